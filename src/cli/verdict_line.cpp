#include "cli/verdict_line.h"

#include "document/verdict_counter.h"

std::string CTVRVerdictLine::Text(const CTVRVerdictCounter& verdicts) {
  const unsigned long long count = verdicts.GetCount();
  if (count == 0) return {};
  return std::to_string(count) + (count == 1 ? " expectation: " : " expectations: ") +
         std::to_string(verdicts.GetMet()) + " met, " + std::to_string(verdicts.GetFailed()) + " failed\n";
}
