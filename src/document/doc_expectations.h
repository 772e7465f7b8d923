// The expectations of a reader document's script: the answer each one reads
// (taken as the answer decoder finishes with a statement's answer), the check
// of that answer, the count, the mismatch record, and what a mismatch does to
// the run. The state lives with the run controller; this is the document's
// side of it.
#pragma once

class CTVRBoardDoc;
class CTVRAnswerFrame;
class CTVRExpectation;

class CTVRDocExpectations {
 public:
  // Start and Step: the run takes and times answers when the script names an
  // expectation (".expect" anywhere, any letter case).
  static void OnRunStarted(CTVRBoardDoc& doc);
  // A statement's frame goes to the board: no answer yet, its round trip begins.
  static void OnFrameHandedOver(CTVRBoardDoc& doc);
  // The answer of a statement as the trace shows it; `statusWord`: its layout
  // ends APDU answers with a status word.
  static void OnAnswerSeen(CTVRBoardDoc& doc, const CTVRAnswerFrame& answer, bool error, bool statusWord);
  // Checks the answer seen against the expectation on `line` (from 0): counts
  // it, traces a mismatch and does what the run's .on_mismatch says. True
  // when the run goes on at once.
  static bool Check(CTVRBoardDoc& doc, const CTVRExpectation& expectation, int line);

 private:
  // Check's failed case: the record, the count, and the run paused or stopped.
  static bool OnMismatch(CTVRBoardDoc& doc, const CTVRExpectation& expectation, int line);
};
