// The verdicts of one run: how many expectations were met and failed, the
// mismatches themselves (the newest ones, for the Verdicts list), and what a
// mismatch does (.on_mismatch). A new run starts them over; a run taken up
// after a pause keeps them.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include <tavric/types.h>

#include "decode/expectation.h"

// Views are told with this hint (no object) when a verdict is counted. Not a
// bit of the trace record hint (16), so trace views pass it by.
inline constexpr tvr::LPARAM HINT_VERDICT = 128;

class CTVRVerdictCounter {
 public:
  struct Mismatch {
    int m_nLine;  // the expectation's line, from 1
    std::string m_strExpected;
    std::string m_strReceived;
    std::string m_strTime;  // local time of day, "hh:mm:ss.mmm"
  };
  // Mismatches kept for the list; the counts go on past them.
  static constexpr std::size_t kKeptMismatches = 10000;

  void Reset();
  void OnMet(unsigned long long count = 1) { m_nMet += count; }
  void OnFailed(Mismatch mismatch);

  unsigned long long GetMet() const { return m_nMet; }
  unsigned long long GetFailed() const { return m_nFailed; }
  unsigned long long GetCount() const { return m_nMet + m_nFailed; }
  // The newest kKeptMismatches, oldest first.
  const std::deque<Mismatch>& GetMismatches() const { return m_Mismatches; }

  ETVRMismatchAction GetAction() const { return m_eAction; }
  void SetAction(ETVRMismatchAction action) { m_eAction = action; }

 private:
  unsigned long long m_nMet = 0;
  unsigned long long m_nFailed = 0;
  std::deque<Mismatch> m_Mismatches;
  ETVRMismatchAction m_eAction = MISMATCH_CONTINUE;
};
