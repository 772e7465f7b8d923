// The expectations of a run as the test cases of a report: one per
// expectation's script line, however many times a loop checks it, in constant
// memory per line: how often it was checked and how often it failed, the
// round-trip times of the answers it checked (summed over the rounds), and
// its first mismatch.
#pragma once

#include <map>
#include <string>
#include <string_view>

class CTVRBoardDoc;
class CTVRExpectation;
struct CTVRAnswerSeen;

class CTVRVerdictCases {
 public:
  struct Case {
    std::string m_strStatement;  // the expectation's own text, without its comment
    unsigned long long m_nChecks = 0;
    unsigned long long m_nFailed = 0;
    double m_dSeconds = 0;  // the round trips of the answers it checked
    // The first mismatch, in the trace's words.
    std::string m_strExpected;
    std::string m_strReceived;
  };

  // The expectation on `line` (from 0) of the document's script was checked.
  void OnChecked(const CTVRBoardDoc& doc, int line, const CTVRExpectation& expectation, const CTVRAnswerSeen& seen,
                 bool met);
  // By script line, from 1.
  const std::map<int, Case>& GetCases() const { return m_Cases; }
  // The cases that failed at least once.
  std::size_t GetFailedCount() const { return m_nFailedCases; }

  // A script line as a statement: without its "//" comment (outside quotes)
  // and the blanks around it.
  static std::string StatementText(std::string_view line);

 private:
  std::map<int, Case> m_Cases;
  std::size_t m_nFailedCases = 0;
};
