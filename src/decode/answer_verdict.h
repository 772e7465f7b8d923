// What one answer means for the run, as the answer decoder judges it. The
// decoder traces and decodes; the run controller applies the verdict
// (CTVRRunController::OnAnswerDecoded) and alone changes the run's state.
#pragma once

// What the answer does to the frame sent last.
enum ETVRAnswerEnd : unsigned char {
  ANSWER_KEEP_WAITING,   // an intermediate message: the final answer is still to come
  ANSWER_DONE,           // the answer that frame awaits (its opcode, an empty answer, raw data)
  ANSWER_NOT_DONE,       // another answer: it ends a one-off command, not a statement
  ANSWER_LOOPBACK_STEP,  // judged by the loopback test: over like a one-off command, the script stays
};

// What the answer does to the triple-DES exchange of ".3des(".
enum ETVRCypheringStep : unsigned char {
  CYPHERING_NONE,
  CYPHERING_CONTINUES,  // the challenge went to TripleDes, which sent the cryptogram; nothing more is traced
  CYPHERING_ENDS,       // the answer to the cryptogram: the directive ends like a statement and the run goes on
  CYPHERING_FAILED,     // an error answer: the directive ends like a statement, the run is not taken up again
};

struct CTVRAnswerVerdict {
  ETVRAnswerEnd m_eEnd = ANSWER_DONE;
  ETVRCypheringStep m_eCyphering = CYPHERING_NONE;
  bool m_bError = false;  // an error answer, as the layout tells them (.expect_ok)
  // A frame the reader sent unasked (a card event) while another answer is
  // awaited: traced, and the wait goes on.
  bool m_bUnsolicited = false;
};
