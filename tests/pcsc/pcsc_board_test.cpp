// tavric-run with the PC/SC board and protocol against a real pcscd, its vpcd
// driver and our virtual cards (tools/pcsc-stack.sh): the runs a scenario case
// cannot set up (cards that come and go, a daemon stopped, two readers, the
// JUnit report of a rack); a run of one script on one card is a scenario case,
// tests/scenarios/pcsc_stack_*. Skipped, with the reason, where the stack
// cannot run.
#include <gtest/gtest.h>

#include <signal.h>

#include <functional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "junit_check.h"
#include "pcsc_stack.h"

namespace {

struct CRun {
  int status;
  std::string out;
  std::string err;
};

QString RunFolder() {
  return QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../bin");
}

class PcscBoardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string why = m_Stack.Start();
    if (!why.empty()) GTEST_SKIP() << "no PC/SC stack: " << why;
    ASSERT_TRUE(m_Dir.isValid());
  }

  QString Script(const std::string& name, const std::string& text) {
    const QString path = m_Dir.path() + "/" + QString::fromStdString(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.data(), qint64(text.size()));
    return path;
  }

  bool InsertCard(int port, const std::string& options, const char* rules = nullptr) {
    const std::string file = "rules" + std::to_string(port) + ".txt";
    return m_Stack.InsertCard(port, options + (rules ? " --rules '" + Script(file, rules).toStdString() + "'" : ""));
  }

  QProcess* Start(const QStringList& args) {
    auto* process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PCSCLITE_CSOCK_NAME", QString::fromStdString(m_Stack.GetSocket()));
    process->setProcessEnvironment(env);
    process->setWorkingDirectory(RunFolder());
    process->start(RunFolder() + "/tavric-run",
                   QStringList{"--board", "pcsc", "--protocol", "PC/SC", "--no-colour"} + args);
    return process;
  }

  static CRun Finish(QProcess* process, const std::string& before = std::string()) {
    const bool ended = process->waitForFinished(60000) && process->exitStatus() == QProcess::NormalExit;
    CRun run{ended ? process->exitCode() : -1, before + process->readAllStandardOutput().toStdString(),
             process->readAllStandardError().toStdString()};
    delete process;
    return run;
  }

  CRun Run(const QStringList& args) { return Finish(Start(args)); }

  // What the run printed until done holds of it (or 30 s pass without output).
  static std::string ReadUntil(QProcess* process, const std::function<bool(const std::string&)>& done) {
    std::string out;
    while (!done(out) && process->waitForReadyRead(30000)) out += process->readAllStandardOutput().toStdString();
    return out;
  }
  // Ends the run as Ctrl+C does; all it printed, what was read before first.
  static CRun Interrupt(QProcess* process, const std::string& before) {
    ::kill(pid_t(process->processId()), SIGINT);
    return Finish(process, before);
  }

  static bool Contains(const std::string& text, const std::string& what) {
    return text.find(what) != std::string::npos;
  }
  static std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
  // Each text found after the one before it.
  static void ExpectInOrder(const std::string& out, const std::vector<std::string>& texts) {
    std::size_t at = 0;
    for (const std::string& text : texts) {
      const std::size_t found = out.find(text, at);
      EXPECT_NE(found, std::string::npos) << "no \"" << text << "\" in\n" << out.substr(at);
      if (found != std::string::npos) at = found + text.size();
    }
  }

  CTVRPcscStack m_Stack;
  QTemporaryDir m_Dir;
};

TEST_F(PcscBoardTest, TheCardRemovedMidRunIsReportedAndItsReturnServed) {
  // The card leaves after its second answer and comes back 1.5 s later. The
  // run selects the MF over and over until the test has seen the card go,
  // come back and answer again.
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER0_PORT, "--remove-after 2 --reinsert-after 1500"));
  const auto served = [](const std::string& out) {
    const std::size_t removed = out.find("PC/SC: the card was removed from Virtual PCD 00 00");
    const std::size_t back = out.find("IFD -> PC : ATR", removed == std::string::npos ? out.size() : removed);
    return back != std::string::npos && Contains(out.substr(back), "IFD -> PC : NORMAL PROCESSING\n            90 00");
  };
  QProcess* process =
      Start({"--loop", "--max-seconds", "60", Script("removal.cmd", ".t(50);\n00 A4 00 0C 02 3F 00;\n")});
  const CRun run = Interrupt(process, ReadUntil(process, served));
  EXPECT_TRUE(served(run.out)) << run.out;
  EXPECT_EQ(run.status, 130) << run.err;
  EXPECT_EQ(Count(run.out, "IFD -> PC : ATR"), 2u) << run.out;
}

TEST_F(PcscBoardTest, ACardRemovedEmptiesItsSlotInTheCardParameters) {
  // A card that stays, and one that leaves after its first answer, in a run
  // that goes on until the board has seen it go.
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER0_PORT, "--atr t1"));
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER1_PORT, "--atr t1 --remove-after 1"));
  const QString script = Script("slot.cmd", "FF 10 00 00;\n.t(50);\n00 A4 00 0C 02 3F 00;\n");
  const CRun stays = Run({"--card-params", "--reader", "Virtual PCD 00 00", script});
  const std::string removed = "PC/SC: the card was removed from Virtual PCD 00 01";
  QProcess* process =
      Start({"--card-params", "--loop", "--max-seconds", "60", "--reader", "Virtual PCD 00 01", script});
  const CRun leaves =
      Interrupt(process, ReadUntil(process, [&](const std::string& out) { return Contains(out, removed); }));
  EXPECT_EQ(stays.status, 0) << stays.err;
  EXPECT_EQ(leaves.status, 130) << leaves.err;
  const std::string bar = "Card Parameters\n ATR :\n";
  const std::size_t kept = stays.out.rfind(bar);
  ASSERT_NE(kept, std::string::npos) << stays.out;
  EXPECT_EQ(stays.out.substr(kept + bar.size(), 15), "    TS  - 0x3B\n") << stays.out;
  EXPECT_FALSE(Contains(stays.out.substr(kept), "no data")) << stays.out;
  EXPECT_TRUE(Contains(leaves.out, removed)) << leaves.out;
  const std::size_t emptied = leaves.out.rfind(bar);
  ASSERT_NE(emptied, std::string::npos) << leaves.out;
  EXPECT_EQ(leaves.out.substr(emptied, bar.size() + 12), bar + "    no data\n") << leaves.out;
}

TEST_F(PcscBoardTest, TheDaemonStoppedMidRunIsOneDisconnection) {
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER0_PORT, "--latency 100"));
  std::string script = ".t(100);\n";
  for (int i = 0; i < 40; ++i) script += "00 A4 00 0C 02 3F 00;\n";
  QProcess* process = Start({Script("long.cmd", script)});
  // Stopped once the run exchanges with the card.
  const std::string before = ReadUntil(process, [](const std::string& out) { return Contains(out, "IFD -> PC :"); });
  m_Stack.StopDaemon();
  const CRun run = Finish(process, before);
  EXPECT_EQ(run.status, 4) << run.out << run.err;
  EXPECT_EQ(Count(run.err, "The USB connection has been broken !"), 1u) << run.err;
  EXPECT_EQ(Count(run.out, "PC/SC: Virtual PCD 00 00: "), 1u) << run.out;
  EXPECT_TRUE(Contains(run.out, "PC/SC reader Virtual PCD 00 00 disconnected")) << run.out;
}

// A card on each reader, each with its own rule file, and a run on each at
// once: each run gets its own reader's card and fault, not the other's.
TEST_F(PcscBoardTest, TwoReadersServeTwoRunsAtOnce) {
  ASSERT_TRUE(InsertCard(CTVRPcscStack::READER0_PORT, "", "00 B0 * -> chain 4\n"));
  ASSERT_TRUE(InsertCard(CTVRPcscStack::READER1_PORT, "--atr t1", "00 B0 * -> le 02\n"));
  const QString script = Script("two.cmd", "00 A4 00 0C 02 00 01;\n00 B0 00 00 08;\n");
  QProcess* first = Start({"--reader", "Virtual PCD 00 00", script});
  QProcess* second = Start({"--reader", "Virtual PCD 00 01", script});
  const CRun one = Finish(first);
  const CRun two = Finish(second);
  EXPECT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(two.status, 0) << two.err;
  ExpectInOrder(one.out, {"PC/SC reader Virtual PCD 00 00 connected", "3B 7A 96 00 00",
                          "IFD -> PC : MORE DATA AVAILABLE (SW2 BYTES FOR GET RESPONSE)\n            61 04"});
  ExpectInOrder(two.out, {"PC/SC reader Virtual PCD 00 01 connected", "3B F8 13 00 00 81 31 FE 45",
                          "IFD -> PC : WRONG LE FIELD (SW2 GIVES THE EXACT LENGTH)\n            6C 02"});
  EXPECT_FALSE(Contains(one.out, "6C 02")) << one.out;
  EXPECT_FALSE(Contains(two.out, "61 04")) << two.out;
}

// What a CI job collects from a rack of readers: every reader the daemon
// lists runs the same script; the card whose rules make it misbehave fails
// its own suite of the JUnit report, which the schema accepts, and the run
// ends with the failed expectations' status.
TEST_F(PcscBoardTest, ARackOfTwoCardsHasOnePassingAndOneFailingSuite) {
  ASSERT_TRUE(InsertCard(CTVRPcscStack::READER0_PORT, ""));
  ASSERT_TRUE(InsertCard(CTVRPcscStack::READER1_PORT, "", "00 B0 * -> le 10\n"));
  const std::string report = m_Dir.filePath("rack.xml").toStdString();
  const CRun run = Run({"--all-readers", "--junit", QString::fromStdString(report), "examples/apdu.cmd"});
  EXPECT_EQ(run.status, 9) << run.err;
  EXPECT_TRUE(Contains(run.out, "[Virtual PCD 00 00] 5 expectations: 5 met, 0 failed\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "[Virtual PCD 00 01] 5 expectations: 3 met, 2 failed\n")) << run.out;
  // The report is read back by the JUnit readers where the machine has them.
  const std::string missing = tvr_test::JUnitReadersMissing();
  if (!missing.empty()) GTEST_SKIP() << missing;
  EXPECT_EQ(tvr_test::JUnitSchemaErrors(report), "");
  QStringList suites;
  for (const QJsonValue& suite : tvr_test::JUnitAsJson(report)["testsuite"].toArray()) {
    QString line = QString("%1 tests, %2 failed").arg(suite["tests"].toInt()).arg(suite["failures"].toInt());
    for (const QJsonValue& property : suite["properties"].toArray())
      if (property["name"] == "reader" || property["name"] == "protocol")
        line += "; " + property["name"].toString() + "=" + property["value"].toString();
    for (const QJsonValue& testcase : suite["testcase"].toArray())
      if (testcase.toObject().contains("failure"))
        line += "; " + testcase["name"].toString() + ": " + testcase["failure"][0]["message"].toString();
    suites << line;
  }
  EXPECT_EQ(suites, (QStringList{"5 tests, 0 failed; reader=Virtual PCD 00 00; protocol=PC/SC",
                                 "5 tests, 2 failed; reader=Virtual PCD 00 01; protocol=PC/SC; apdu.cmd:12 "
                                 ".expect(\"TAVRIC\" *);: line 12: expected 54 41 56 52 49 43 *, received 6C 10; "
                                 "apdu.cmd:13 .expect_sw(9000);: line 13: expected SW 9000, received SW 6C10"}))
      << suites.join("\n").toStdString();
}

}  // namespace
