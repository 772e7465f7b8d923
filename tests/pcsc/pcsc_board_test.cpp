// tavric-run with the PC/SC board and protocol against a real pcscd, its vpcd
// driver and our virtual cards (tools/pcsc-stack.sh): the runs a scenario case
// cannot set up (cards that come and go, a daemon stopped, two readers, a
// rack); a run of one script on one card is a scenario case,
// tests/scenarios/pcsc_stack_*. Skipped, with the reason, where the stack
// cannot run.
#include <gtest/gtest.h>

#include <signal.h>

#include <functional>
#include <memory>
#include <string>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "pcsc_stack.h"
#include "tavric_run.h"

namespace {

using tvr_test::Contains;
using tvr_test::Count;
using tvr_test::CRun;
using tvr_test::Finish;
using tvr_test::RunFolder;

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

  std::unique_ptr<QProcess> Start(const QStringList& args) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PCSCLITE_CSOCK_NAME", QString::fromStdString(m_Stack.GetSocket()));
    process->setProcessEnvironment(env);
    process->setWorkingDirectory(RunFolder());
    process->start(RunFolder() + "/tavric-run",
                   QStringList{"--board", "pcsc", "--protocol", "PC/SC", "--no-colour"} + args);
    return process;
  }

  CRun Run(const QStringList& args) { return Finish(*Start(args)); }

  // What the run printed until done holds of it (or 30 s pass without output).
  static std::string ReadUntil(QProcess& process, const std::function<bool(const std::string&)>& done) {
    std::string out;
    while (!done(out) && process.waitForReadyRead(30000)) out += process.readAllStandardOutput().toStdString();
    return out;
  }
  // Ends the run as Ctrl+C does once done holds of what it printed; all it printed.
  static CRun InterruptWhen(QProcess& process, const std::function<bool(const std::string&)>& done) {
    const std::string before = ReadUntil(process, done);
    tvr_test::Signal(process, SIGINT);
    return Finish(process, before);
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
  const CRun run = InterruptWhen(
      *Start({"--loop", "--max-seconds", "60", Script("removal.cmd", ".t(50);\n00 A4 00 0C 02 3F 00;\n")}), served);
  EXPECT_TRUE(served(run.out)) << run.out;
  EXPECT_EQ(run.status, 130) << run.err;
  EXPECT_EQ(Count(run.out, "IFD -> PC : ATR"), 2u) << run.out;
}

// A card that leaves after its first answer, in a run that goes on until the
// board has seen it go (a card that stays: the case pcsc_stack_rule_atr).
TEST_F(PcscBoardTest, ACardRemovedEmptiesItsSlotInTheCardParameters) {
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER1_PORT, "--atr t1 --remove-after 1"));
  const std::string removed = "PC/SC: the card was removed from Virtual PCD 00 01";
  const CRun run =
      InterruptWhen(*Start({"--card-params", "--loop", "--max-seconds", "60", "--reader", "Virtual PCD 00 01",
                            Script("slot.cmd", "FF 10 00 00;\n.t(50);\n00 A4 00 0C 02 3F 00;\n")}),
                    [&](const std::string& out) { return Contains(out, removed); });
  EXPECT_EQ(run.status, 130) << run.err;
  EXPECT_TRUE(Contains(run.out, removed)) << run.out;
  const std::string bar = "Card Parameters\n ATR :\n";
  const std::size_t emptied = run.out.rfind(bar);
  ASSERT_NE(emptied, std::string::npos) << run.out;
  EXPECT_EQ(run.out.substr(emptied, bar.size() + 12), bar + "    no data\n") << run.out;
}

TEST_F(PcscBoardTest, TheDaemonStoppedMidRunIsOneDisconnection) {
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER0_PORT, "--latency 100"));
  std::string script = ".t(100);\n";
  for (int i = 0; i < 40; ++i) script += "00 A4 00 0C 02 3F 00;\n";
  const std::unique_ptr<QProcess> process = Start({Script("long.cmd", script)});
  // Stopped once the run exchanges with the card.
  const std::string before = ReadUntil(*process, [](const std::string& out) { return Contains(out, "IFD -> PC :"); });
  m_Stack.StopDaemon();
  const CRun run = Finish(*process, before);
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
  const auto first = Start({"--reader", "Virtual PCD 00 00", script});
  const auto second = Start({"--reader", "Virtual PCD 00 01", script});
  const CRun one = Finish(*first);
  const CRun two = Finish(*second);
  EXPECT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(two.status, 0) << two.err;
  for (const char* text : {"PC/SC reader Virtual PCD 00 00 connected", "3B 7A 96 00 00",
                           "IFD -> PC : MORE DATA AVAILABLE (SW2 BYTES FOR GET RESPONSE)\n            61 04"})
    EXPECT_TRUE(Contains(one.out, text)) << one.out;
  for (const char* text : {"PC/SC reader Virtual PCD 00 01 connected", "3B F8 13 00 00 81 31 FE 45",
                           "IFD -> PC : WRONG LE FIELD (SW2 GIVES THE EXACT LENGTH)\n            6C 02"})
    EXPECT_TRUE(Contains(two.out, text)) << two.out;
  EXPECT_FALSE(Contains(one.out, "6C 02")) << one.out;
  EXPECT_FALSE(Contains(two.out, "61 04")) << two.out;
}

// A rack of readers: every reader the daemon lists runs the same script; the
// card whose rules make it misbehave fails its own expectations, and the run
// ends with the failed expectations' status. (The JUnit report of a rack, a
// suite a reader: TavricRunTest and JUnitReport.)
TEST_F(PcscBoardTest, ARackOfTwoCardsHasOnePassingAndOneFailingReader) {
  ASSERT_TRUE(InsertCard(CTVRPcscStack::READER0_PORT, ""));
  ASSERT_TRUE(InsertCard(CTVRPcscStack::READER1_PORT, "", "00 B0 * -> le 10\n"));
  const CRun run = Run({"--all-readers", "examples/apdu.cmd"});
  EXPECT_EQ(run.status, 9) << run.err;
  EXPECT_TRUE(Contains(run.out, "[Virtual PCD 00 00] 5 expectations: 5 met, 0 failed\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "[Virtual PCD 00 01] 5 expectations: 3 met, 2 failed\n")) << run.out;
}

}  // namespace
