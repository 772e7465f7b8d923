// `tavric-run --junit FILE`: the verdicts of a run as a JUnit XML report, the
// form CI systems (GitLab, Jenkins) collect. One test suite per reader
// document, one test case per expectation (its script line; a loop's rounds
// are one case), a failure with what was expected and what came:
//
//   <testsuites name="tavric-run" tests="8" failures="1" errors="0" time="0.012">
//    <testsuite name="Sim1" tests="8" failures="1" errors="0" skipped="0" time="0.012"
//               timestamp="2026-12-07T03:10:00" hostname="bench-3">
//     <properties><property name="board" value="Simulated reader"/>...</properties>
//     <testcase name="verdicts.cmd:19 .expect_sw(9000|61??);" classname="Sim1" time="0.000183"
//               assertions="1">
//      <failure message="line 19: expected SW 9000|61??, received SW 6A82" type="mismatch">...
//
// A case's time is the round-trip time of the answer it checked (summed over
// a loop's rounds, `assertions` being how many). The file is written only,
// never read back, and replaced in one step.
#pragma once

#include <string>
#include <utility>
#include <vector>

class CTVRVerdictCases;

class CTVRJUnitReport {
 public:
  struct CSuite {
    std::string m_strName;    // the reader document's title
    std::string m_strScript;  // the script's file name, which names the cases
    // In this order: board, reader, protocol, host, firmware (when reported).
    std::vector<std::pair<std::string, std::string>> m_Properties;
    std::string m_strTimestamp;  // when its run began, local time: "2026-12-07T03:10:00"
    double m_dSeconds = 0;       // how long its run took
    const CTVRVerdictCases* m_pCases = nullptr;
    // A run that ended on something other than its verdicts (the reader not
    // connected, an error, a stall, a signal): one more case, "SCRIPT (run)",
    // with an <error> saying why, so that CI counts the reader as broken even
    // when its script checks nothing. Empty: the run itself went well.
    std::string m_strError;
    double m_dErrorSeconds = 0;
  };

  void AddSuite(CSuite suite) { m_Suites.push_back(std::move(suite)); }
  std::string Xml() const;
  // Replaces the file in one step; false with the system's reason.
  bool Write(const std::string& path, std::string& reason) const;

 private:
  std::vector<CSuite> m_Suites;
};
