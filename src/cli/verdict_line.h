// The line tavric-run ends with when the script checked expectations:
// "14 expectations: 13 met, 1 failed".
#pragma once

#include <string>

class CTVRVerdictCounter;

class CTVRVerdictLine {
 public:
  // The line with its line end; empty when the run checked no expectation.
  static std::string Text(const CTVRVerdictCounter& verdicts);
};
