// The JUnit report of several readers' runs, as the two readers of the tests
// read it: a suite per document, a loop's checks of one expectation one case
// (a case's name, class and failure message as a run writes them: the
// scenario case run_junit_verdicts).
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include "cli/junit_report.h"
#include "decode/answer_seen.h"
#include "decode/expectation.h"
#include "doc_fixture.h"
#include "document/verdict_cases.h"
#include "junit_check.h"
#include "seen_answer.h"

class JUnitReport : public CTVRDocFixture {};

TEST_F(JUnitReport, EachReaderIsASuiteAndALoopsChecksOfALineAreOneCase) {
  const std::string missing = tvr_test::JUnitReadersMissing();
  if (!missing.empty()) GTEST_SKIP() << missing;
  // A control character in a statement has no place in XML.
  SetScript({"00 A4 00 0C 02 2F 01;", ".expect_sw(9000);   // the file is there", ".expect_ok; \x01"});
  CTVRExpectation status, ok;
  ASSERT_EQ(CTVRExpectation::Parse(".expect_sw(9000)", status), "");
  ASSERT_EQ(CTVRExpectation::Parse(".expect_ok", ok), "");
  const CTVRAnswerSeen answer = tvr_test::AnswerSeen({0x90, 0x00}, true, 1.5);
  const CTVRAnswerSeen missingFile = tvr_test::AnswerSeen({0x6A, 0x82}, true, 2.25);
  // Three rounds of a loop on the first reader, the second round failing; one on the second.
  CTVRVerdictCases first, second;
  for (const CTVRAnswerSeen* pSeen : {&answer, &missingFile, &answer})
    first.OnChecked(*m_pDoc, 1, status, *pSeen, pSeen == &answer);
  first.OnChecked(*m_pDoc, 2, ok, answer, true);
  second.OnChecked(*m_pDoc, 1, status, answer, true);
  CTVRJUnitReport report;
  report.AddSuite({"PCSC1", "apdus.cmd", {{"reader", "Virtual PCD 00 00"}}, "2026-12-07T03:10:00", 0.5, &first, {}, 0});
  // The second reader's run ended on an error after its one check: a case of its own says why.
  report.AddSuite({"PCSC2",
                   "apdus.cmd",
                   {{"reader", "Virtual PCD 00 01"}},
                   "2026-12-07T03:10:00",
                   0.25,
                   &second,
                   "exit status 6: the run ended early on a reader error, at the statement on line 4",
                   0.25});
  QTemporaryDir dir;
  const std::string file = dir.filePath("r.xml").toStdString();
  std::string reason;
  ASSERT_TRUE(report.Write(file, reason)) << reason;

  EXPECT_EQ(tvr_test::JUnitSchemaErrors(file), "");
  const QJsonObject root = tvr_test::JUnitAsJson(file);
  EXPECT_EQ(root["tests"].toInt(), 4);
  EXPECT_EQ(root["failures"].toInt(), 1);
  EXPECT_EQ(root["errors"].toInt(), 1);
  EXPECT_DOUBLE_EQ(root["time"].toDouble(), 0.75);
  const QJsonArray suites = root["testsuite"].toArray();
  ASSERT_EQ(suites.size(), 2);
  EXPECT_EQ(suites[1]["name"].toString(), "PCSC2");
  EXPECT_EQ(suites[1]["properties"][0]["value"].toString(), "Virtual PCD 00 01");
  EXPECT_EQ(suites[1]["failures"].toInt(), 0);
  EXPECT_EQ(suites[1]["errors"].toInt(), 1);
  const QJsonValue run = suites[1]["testcase"][1];
  EXPECT_EQ(run["name"].toString(), "apdus.cmd (run)");
  EXPECT_EQ(run["error"][0]["message"].toString(),
            "exit status 6: the run ended early on a reader error, at the statement on line 4");
  const QJsonArray cases = suites[0]["testcase"].toArray();
  ASSERT_EQ(cases.size(), 2);
  EXPECT_EQ(cases[0]["assertions"].toInt(), 3);
  EXPECT_DOUBLE_EQ(cases[0]["time"].toDouble(), 0.00525);
  EXPECT_EQ(cases[0]["failure"][0]["inner"].toString(), "expected SW 9000\nreceived SW 6A82\nfailed 1 of 3 checks\n");
  EXPECT_EQ(cases[1]["name"].toString(), QString::fromUtf8("apdus.cmd:3 .expect_ok; \xEF\xBF\xBD"));
  EXPECT_FALSE(cases[1].toObject().contains("failure"));
}
