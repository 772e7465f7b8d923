// One expectation on the answer of the statement before it, as a script
// states it with a directive, and the check of an answer against it:
//   .expect(60 00 ?? 9? *)   the bytes as the trace shows them: "??" any byte,
//                            "?" any nibble, a last "*" any number of further bytes
//   .expect_sw(9000|61??)    the status word, nibble wildcards, alternatives
//   .expect_ok               the answer decoder found no error
//   .expect_time(<= 50 ms)   a bound on the round-trip time (<= or <; ms, s or us)
// and what a mismatch does, .on_mismatch(continue|pause|stop). The directive
// texts come lowered, without their ';'; blanks inside the parentheses are
// ignored. A text that cannot be read is refused with the message to show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <tavric/types.h>

#include "decode/answer_seen.h"

enum ETVRMismatchAction : unsigned char {
  MISMATCH_CONTINUE,  // counted; the run goes on
  MISMATCH_PAUSE,     // counted; the run halts after the directive, as at a breakpoint
  MISMATCH_STOP,      // counted; the run is stopped
};

class CTVRExpectation {
 public:
  enum EForm : unsigned char { FORM_BYTES, FORM_STATUS, FORM_OK, FORM_TIME };

  // The text names an expectation directive (".expect" and what follows).
  static bool IsExpectation(std::string_view text) { return text.substr(0, 7) == ".expect"; }
  static bool IsMismatchAction(std::string_view text) { return text.substr(0, 12) == ".on_mismatch"; }

  // Reads the directive into `out`; empty when read, else the refusal's text.
  static std::string Parse(std::string_view text, CTVRExpectation& out);
  static std::string ParseMismatchAction(std::string_view text, ETVRMismatchAction& action);

  EForm GetForm() const { return m_eForm; }
  // The bits of the answer's byte `index` that the expectation leaves open on
  // `answer`: for a bytes pattern 0xFF for "??" and past a "*", 0xF0 or 0x0F
  // for a "?"; for a status word, the wildcard digits of the first
  // alternative the answer's word meets, on its two bytes. 0 for a byte it
  // fixes and for every other form.
  tvr::BYTE OpenBits(std::size_t index, const CTVRAnswerSeen& answer) const;
  bool IsMetBy(const CTVRAnswerSeen& answer) const {
    // The common forms where the run checks them, the rest out of line.
    if (m_eForm == FORM_OK) return answer.m_bAnswered && !answer.m_bError;
    if (m_eForm == FORM_BYTES && m_Pattern.size() <= CTVRAnswerSeen::HEAD_BYTES) {
      const std::size_t count = answer.Bytes().size();
      return answer.m_bAnswered && (m_bMoreBytes ? count >= m_Pattern.size() : count == m_Pattern.size()) &&
             (answer.Head() & m_nHeadMask) == m_nHeadValue;
    }
    return IsMetByOther(answer);
  }
  // "60 00 ?? 9? *", "SW 9000|61??", "no error", "<= 50 ms".
  std::string Expected() const;
  // What came, in the same terms: "60 00 03", "SW 6A82", "an error answer",
  // "73.2 ms", "no answer", "an empty answer", "no status word".
  std::string Received(const CTVRAnswerSeen& answer) const;

 private:
  bool IsMetByOther(const CTVRAnswerSeen& answer) const;

  EForm m_eForm = FORM_OK;
  // FORM_BYTES: (value, mask) of each byte; FORM_STATUS: of each alternative's word.
  std::vector<std::pair<tvr::WORD, tvr::WORD>> m_Pattern;
  // FORM_BYTES: the first CTVRAnswerSeen::HEAD_BYTES (value, mask) pairs as
  // one word, as CTVRAnswerSeen::Head reads the answer's first bytes.
  std::uint64_t m_nHeadValue = 0;
  std::uint64_t m_nHeadMask = 0;
  bool m_bMoreBytes = false;  // a last "*"
  bool m_bStrict = false;     // "<" rather than "<="
  double m_dLimitMs = 0;
};
