// The virtual card's rule file against a real pcscd (tools/pcsc-stack.sh):
// each fault it chooses, shown in the trace of tavric-run as the host must
// show it; two cards with rule files of their own on the stack's two readers.
// Skipped, with the reason, where the stack cannot run.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "pcsc_stack.h"

namespace {

struct CRun {
  int status;
  std::string out;
  std::string err;
};

struct CRuleCase {
  const char* m_pszName;
  const char* m_pszRules;
  const char* m_pszScript;
  std::vector<const char*> m_Args;
  int m_nStatus;
  std::vector<const char*> m_Shown;  // in the trace, in this order
};

class PcscVcardRulesTest : public ::testing::TestWithParam<CRuleCase> {
 protected:
  void SetUp() override {
    const std::string why = m_Stack.Start();
    if (!why.empty()) GTEST_SKIP() << "no PC/SC stack: " << why;
    ASSERT_TRUE(m_Dir.isValid());
  }

  std::string Write(const char* name, const std::string& text) {
    const QString path = m_Dir.path() + "/" + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.data(), qint64(text.size()));
    return path.toStdString();
  }

  CRun Run(const char* reader, const std::string& script, const std::vector<const char*>& args = {}) {
    std::vector<const char*> all{"--reader", reader};
    all.insert(all.end(), args.begin(), args.end());
    return RunTool(all, QString::fromStdString(Write("script.cmd", script)));
  }

  CRun RunTool(const std::vector<const char*>& args, const QString& script) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PCSCLITE_CSOCK_NAME", QString::fromStdString(m_Stack.GetSocket()));
    process.setProcessEnvironment(env);
    const QString folder = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../bin");
    process.setWorkingDirectory(folder);
    QStringList all{"--board", "pcsc", "--protocol", "PC/SC", "--no-colour"};
    for (const char* arg : args) all << arg;
    all << script;
    process.start(folder + "/tavric-run", all);
    const bool ended = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1, process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
  }

  // Each text found after the one before it.
  static void ExpectInOrder(const std::string& out, const std::vector<const char*>& texts, const char* what) {
    std::size_t at = 0;
    for (const char* text : texts) {
      const std::size_t found = out.find(text, at);
      EXPECT_NE(found, std::string::npos) << what << ": no \"" << text << "\" in\n" << out.substr(at);
      if (found != std::string::npos) at = found + std::string(text).size();
    }
  }

  CTVRPcscStack m_Stack;
  QTemporaryDir m_Dir;
};

TEST_P(PcscVcardRulesTest, TheFaultShowsInTheTrace) {
  const CRuleCase& row = GetParam();
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER0_PORT, "--rules '" + Write("rules.txt", row.m_pszRules) + "'"))
      << m_Stack.GetCardLog();
  const CRun run = Run("Virtual PCD 00 00", row.m_pszScript, row.m_Args);
  EXPECT_EQ(run.status, row.m_nStatus) << run.out << run.err;
  ExpectInOrder(run.out + "--- stderr\n" + run.err, row.m_Shown, row.m_pszName);
}

const CRuleCase kCases[] = {
    {"chain",
     "00 B0 * -> chain 12\n",
     "00 A4 00 0C 02 2F 01;\n00 B0 00 00 20;\n",
     {"--get-response"},
     0,
     {"IFD -> PC : 61 0C: the board asks for them with GET RESPONSE\n            61 0C \n",
      "PC -> IFD : GET RESPONSE, added by the board\n            00 C0 00 00 0C \n",
      "            00 C0 00 00 08 \nPC/SC: the statement's answer: the data of its 4 answers and the last status word\n"
      "IFD -> PC : NORMAL PROCESSING\n"
      "            54 41 56 52 49 43 20 53 49 4D 20 43 41 52 44 20 \n"}},
    {"le",
     "# the card takes READ BINARY for 16 bytes only\n00 B0 00 00 ?? -> le 10\n",
     "00 A4 00 0C 02 2F 01;\n00 B0 00 00 20;\n",
     {"--get-response"},
     0,
     {"IFD -> PC : 6C 10: the board sends the command again with Le = 10\n            6C 10 \n",
      "PC -> IFD : THE COMMAND AGAIN WITH LE = 10, added by the board\n            00 B0 00 00 10 \n",
      "IFD -> PC : NORMAL PROCESSING\n            54 41 56 52 49 43 20 53 49 4D 20 43 41 52 44 20 \n            90 00 "
      "\n"}},
    {"delay",
     "00 A4 00 0C 02 3F 00 -> delay 600\n",
     "00 A4 00 0C 02 3F 00;\n.expect_time(<= 300 ms);\n00 A4 00 0C 02 2F 01;\n.expect_time(<= 300 ms);\n",
     {},
     9,
     {"MISMATCH  : line 2: expected <= 300 ms, received ", "2 expectations: 1 met, 1 failed"}},
    // The daemon's SCardTransmit waits for ever, and so does the board's
    // Disconnect behind it: the run stalls, then the watchdog ends it.
    {"mute",
     "00 A4 * -> mute\n",
     "00 B0 00 00 01;\n00 A4 00 0C 02 3F 00;\n",
     {"--timeout", "1"},
     8,
     {"PC -> IFD : SELECT\n            00 A4 00 0C 02 3F 00 \n--- stderr\n",
      "tavric-run: the run stalled: no answer within 1 s to the statement on line 2\n",
      "tavric-run: the board's Disconnect has not returned within --timeout 1 s: the run is ended\n"}},
    // The card gone in the middle of the exchange: the driver hands the
    // daemon no bytes at all.
    {"remove",
     "00 A4 * -> remove\n",
     "00 A4 00 0C 02 3F 00;\n",
     {},
     0,
     {"PC -> IFD : SELECT\n            00 A4 00 0C 02 3F 00 \nIFD -> PC : UNKNOWN CARD RESULT\n\n"}},
    {"drop",
     "00 A4 * -> drop\n",
     "00 A4 00 0C 02 3F 00;\n",
     {},
     0,
     {"PC -> IFD : SELECT\n            00 A4 00 0C 02 3F 00 \nIFD -> PC : UNKNOWN CARD RESULT\n\n"}},
    // Fifteen historical bytes announced, none given.
    {"malformed answer to reset",
     "atr 3B 8F 80\n",
     "FF 10 00 00;\n",
     {"--card-params"},
     0,
     {"IFD -> PC : ATR\n            3B 8F 80 \n", "PC -> IFD : READER : POWER UP CARD\n",
      "IFD -> PC : ATR\n            3B 8F 80 \n", "Nbr of histo bytes : 0x0F\n", "Histo bytes : = \n"}},
};

INSTANTIATE_TEST_SUITE_P(Rules, PcscVcardRulesTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CRuleCase>& row) {
                           std::string name;
                           for (const char* c = row.param.m_pszName; *c; ++c)
                             if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                           return name;
                         });

// A card on each reader, each with its own rule file: each run sees its own
// card's fault and not the other's.
TEST_F(PcscVcardRulesTest, TwoCardsKeepTheirOwnRules) {
  ASSERT_TRUE(
      m_Stack.InsertCard(CTVRPcscStack::READER0_PORT, "--rules '" + Write("first.txt", "00 B0 * -> chain 4\n") + "'"));
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER1_PORT,
                                 "--atr t1 --rules '" + Write("second.txt", "00 B0 * -> le 02\n") + "'"));
  const std::string script = "00 A4 00 0C 02 00 01;\n00 B0 00 00 08;\n";
  const CRun first = Run("Virtual PCD 00 00", script);
  const CRun second = Run("Virtual PCD 00 01", script);
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(second.status, 0) << second.err;
  ExpectInOrder(first.out,
                {"3B 7A 96 00 00", "IFD -> PC : MORE DATA AVAILABLE (SW2 BYTES FOR GET RESPONSE)\n            61 04"},
                "first reader");
  ExpectInOrder(
      second.out,
      {"3B F8 13 00 00 81 31 FE 45", "IFD -> PC : WRONG LE FIELD (SW2 GIVES THE EXACT LENGTH)\n            6C 02"},
      "second reader");
  EXPECT_EQ(first.out.find("6C 02"), std::string::npos) << first.out;
  EXPECT_EQ(second.out.find("61 04"), std::string::npos) << second.out;
}

// A rack in one run: every reader the daemon lists, the same script on each;
// the card whose rules make it misbehave fails its own suite of the report,
// the other passes, and the run ends with the failed expectations' status.
TEST_F(PcscVcardRulesTest, ARackOfTwoCardsHasOnePassingAndOneFailingSuite) {
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER0_PORT));
  ASSERT_TRUE(
      m_Stack.InsertCard(CTVRPcscStack::READER1_PORT, "--rules '" + Write("le.txt", "00 B0 * -> le 10\n") + "'"));
  const std::string report = m_Dir.filePath("rack.xml").toStdString();
  const CRun run = RunTool({"--all-readers", "--junit", report.c_str()}, "examples/apdu.cmd");
  EXPECT_EQ(run.status, 9) << run.err;
  EXPECT_NE(run.out.find("[Virtual PCD 00 00] 5 expectations: 5 met, 0 failed\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("[Virtual PCD 00 01] 5 expectations: 3 met, 2 failed\n"), std::string::npos) << run.out;
  QFile file(QString::fromStdString(report));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const std::string xml = file.readAll().toStdString();
  EXPECT_NE(xml.find("tests=\"5\" failures=\"0\" errors=\"0\""), std::string::npos) << xml;
  EXPECT_NE(xml.find("tests=\"5\" failures=\"2\" errors=\"0\""), std::string::npos) << xml;
  EXPECT_NE(xml.find("message=\"line 13: expected SW 9000, received SW 6C10\""), std::string::npos) << xml;
}

}  // namespace
