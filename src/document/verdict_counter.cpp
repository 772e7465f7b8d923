#include "document/verdict_counter.h"

#include <utility>

void CTVRVerdictCounter::Reset() {
  m_nMet = 0;
  m_nFailed = 0;
  m_Mismatches.clear();
  m_eAction = MISMATCH_CONTINUE;
}

void CTVRVerdictCounter::OnFailed(Mismatch mismatch) {
  ++m_nFailed;
  if (m_Mismatches.size() == kKeptMismatches) m_Mismatches.pop_front();
  m_Mismatches.push_back(std::move(mismatch));
}
