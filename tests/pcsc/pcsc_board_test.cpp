// tavric-run with the PC/SC board and protocol against a real pcscd, its vpcd
// driver and our virtual card (tools/pcsc-stack.sh). Skipped, with the reason,
// where the stack cannot run.
#include <gtest/gtest.h>

#include <signal.h>

#include <functional>
#include <string>

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

  QString Script(const char* name, const std::string& text) {
    const QString path = m_Dir.path() + "/" + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.data(), qint64(text.size()));
    return path;
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

  static CRun Finish(QProcess* process) {
    const bool ended = process->waitForFinished(60000) && process->exitStatus() == QProcess::NormalExit;
    CRun run{ended ? process->exitCode() : -1, process->readAllStandardOutput().toStdString(),
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
    CRun run = Finish(process);
    run.out = before + run.out;
    return run;
  }

  static bool Contains(const std::string& text, const std::string& what) {
    return text.find(what) != std::string::npos;
  }
  static std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

  CTVRPcscStack m_Stack;
  QTemporaryDir m_Dir;
};

TEST_F(PcscBoardTest, RunsAnApduScriptOnTheFirstReader) {
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER0_PORT));
  const CRun run = Run({Script("apdus.cmd",
                               "FF 10 00 00;\n"
                               "00 A4 00 00 02 2F 01;\n"
                               "00 C0 00 00 0D;\n"
                               "00 A4 00 0C 02 12 34;\n"
                               "FF 0A 00 00;\n")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "PC/SC reader Virtual PCD 00 00 connected")) << run.out;
  EXPECT_TRUE(Contains(run.out, "IFD -> PC : ATR\n            3B 7A 96 00 00 54 56 52 2D 49 53 4F 2D 30 31"))
      << run.out;
  EXPECT_TRUE(Contains(run.out, "IFD -> PC : MORE DATA AVAILABLE (SW2 BYTES FOR GET RESPONSE)\n            61 0D"))
      << run.out;
  EXPECT_TRUE(Contains(run.out, "            62 0B 82 01 01 83 02 2F 01 80 02 00 20 90 00")) << run.out;
  EXPECT_TRUE(Contains(run.out, "IFD -> PC : FILE OR APPLICATION NOT FOUND\n            6A 82")) << run.out;
  EXPECT_TRUE(Contains(run.out, "IFD -> PC : VENDOR COMMAND : MASK\n            56 69 72 74 75 61 6C")) << run.out;
}

// What a CI job collects from a test host with a PC/SC reader: the JUnit
// report of the verdicts example, its failing case, accepted by the schema.
TEST_F(PcscBoardTest, TheJUnitReportOfAVerdictScriptHasItsFailureAndTheSchemaAcceptsIt) {
  const std::string missing = tvr_test::JUnitReadersMissing();
  if (!missing.empty()) GTEST_SKIP() << missing;
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER0_PORT));
  const std::string report = m_Dir.filePath("r.xml").toStdString();
  const CRun run = Run({"--junit", QString::fromStdString(report), "examples/pcsc_verdicts.cmd"});
  EXPECT_EQ(run.status, 9) << run.err;
  EXPECT_EQ(tvr_test::JUnitSchemaErrors(report), "");
  const QJsonObject suite = tvr_test::JUnitAsJson(report)["testsuite"].toArray()[0].toObject();
  EXPECT_EQ(suite["tests"].toInt(), 7);
  EXPECT_EQ(suite["failures"].toInt(), 1);
  QStringList properties;
  for (const QJsonValue& property : suite["properties"].toArray())
    properties << property["name"].toString() + "=" + property["value"].toString();
  EXPECT_TRUE(properties.contains("reader=Virtual PCD 00 00")) << properties.join(", ").toStdString();
  EXPECT_TRUE(properties.contains("protocol=PC/SC")) << properties.join(", ").toStdString();
  QStringList failed;
  for (const QJsonValue& testcase : suite["testcase"].toArray())
    if (testcase.toObject().contains("failure"))
      failed << testcase["name"].toString() + ": " + testcase["failure"][0]["message"].toString();
  EXPECT_EQ(failed, QStringList{"pcsc_verdicts.cmd:15 .expect_sw(9000|61?\?);: line 15: expected SW 9000|61?\?, "
                                "received SW 6A82"});
}

TEST_F(PcscBoardTest, AReaderWithoutACardAnswersWithTheDaemonsError) {
  const CRun run = Run({Script("nocard.cmd", "00 A4 00 0C 02 3F 00;\n")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "PC/SC: no card in Virtual PCD 00 00")) << run.out;
  EXPECT_TRUE(Contains(run.out, "IFD -> PC : No smart card inserted.")) << run.out;
}

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
  CRun run = Finish(process);
  run.out = before + run.out;
  EXPECT_EQ(run.status, 4) << run.out << run.err;
  EXPECT_EQ(Count(run.err, "The USB connection has been broken !"), 1u) << run.err;
  EXPECT_EQ(Count(run.out, "PC/SC: Virtual PCD 00 00: "), 1u) << run.out;
  EXPECT_TRUE(Contains(run.out, "PC/SC reader Virtual PCD 00 00 disconnected")) << run.out;
}

TEST_F(PcscBoardTest, TwoReadersServeTwoRunsAtOnce) {
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER0_PORT, "--atr t0"));
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER1_PORT, "--atr t1"));
  const QString script = Script("two.cmd", "00 B0 00 00 05;\n00 A4 00 0C 02 00 01;\n00 B0 00 00 04;\n");
  QProcess* first = Start({"--reader", "Virtual PCD 00 00", script});
  QProcess* second = Start({"--reader", "Virtual PCD 00 01", script});
  const CRun one = Finish(first);
  const CRun two = Finish(second);
  EXPECT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(two.status, 0) << two.err;
  EXPECT_TRUE(Contains(one.out, "PC/SC reader Virtual PCD 00 00 connected")) << one.out;
  EXPECT_TRUE(Contains(two.out, "PC/SC reader Virtual PCD 00 01 connected")) << two.out;
  EXPECT_TRUE(Contains(one.out, "3B 7A 96 00 00")) << one.out;
  EXPECT_TRUE(Contains(two.out, "3B F8 13 00 00 81 31 FE 45")) << two.out;
  for (const CRun* run : {&one, &two}) EXPECT_TRUE(Contains(run->out, "            00 01 02 03 90 00")) << run->out;
}

// A T=0 card that hands its data out 12 bytes at a time: READ BINARY of 32
// bytes answers 61 0C and takes three GET RESPONSEs; asked for 64 bytes it
// first answers 6C 20, then the same chain. The switch comes on through either door, and a
// directive turns what the option turned on off again.
TEST_F(PcscBoardTest, ResponseChainsAreFollowedOnlyWithTheSwitchOn) {
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER0_PORT, "--atr t0 --get-response 12"));
  const std::string statements = "00 A4 00 0C 02 2F 01;\n00 B0 00 00 20;\n00 B0 00 00 40;\n";
  const std::string serial =
      "IFD -> PC : NORMAL PROCESSING\n"
      "            54 41 56 52 49 43 20 53 49 4D 20 43 41 52 44 20 \n"
      "            53 45 52 49 41 4C 20 30 30 30 30 30 30 30 31 00 \n"
      "            90 00 \n";
  const std::string chainStart =
      "IFD -> PC : 61 0C: the board asks for them with GET RESPONSE\n"
      "            61 0C \n\n"
      "PC -> IFD : GET RESPONSE, added by the board\n"
      "            00 C0 00 00 0C \n"
      "IFD -> PC : 61 0C: the board asks for them with GET RESPONSE\n"
      "            54 41 56 52 49 43 20 53 49 4D 20 43 61 0C \n\n";
  const std::string sentAgain =
      "IFD -> PC : 6C 20: the board sends the command again with Le = 20\n"
      "            6C 20 \n\n"
      "PC -> IFD : THE COMMAND AGAIN WITH LE = 20, added by the board\n"
      "            00 B0 00 00 20 \n";
  const struct {
    const char* m_pszDoor;
    QStringList m_Args;
    std::string m_strScript;
    bool m_bOn;
  } rows[] = {
      {"off by default", {}, statements, false},
      {"--get-response", {"--get-response"}, statements, true},
      {".getresponse(on)", {}, ".getresponse(on);\n" + statements, true},
      {".getresponse(off) after --get-response", {"--get-response"}, ".getresponse(off);\n" + statements, false},
  };
  for (const auto& row : rows) {
    const CRun run = Run(row.m_Args + QStringList{Script("chain.cmd", row.m_strScript)});
    EXPECT_EQ(run.status, 0) << row.m_pszDoor << run.err;
    EXPECT_TRUE(Contains(run.out, "PC/SC: protocol T=0 in use")) << row.m_pszDoor << run.out;
    if (row.m_bOn) {
      EXPECT_EQ(Count(run.out, "PC -> IFD : GET RESPONSE, added by the board"), 6u) << row.m_pszDoor << run.out;
      EXPECT_EQ(Count(run.out, chainStart), 2u) << row.m_pszDoor << run.out;
      EXPECT_EQ(Count(run.out, sentAgain), 1u) << row.m_pszDoor << run.out;
      EXPECT_EQ(Count(run.out, serial), 2u) << row.m_pszDoor << run.out;
      for (const char* answers : {"4", "5"})
        EXPECT_TRUE(Contains(run.out, std::string("            00 C0 00 00 08 \nPC/SC: the statement's answer: the "
                                                  "data of its ") +
                                          answers + " answers and the last status word\n" + serial))
            << row.m_pszDoor << run.out;
    } else {
      EXPECT_FALSE(Contains(run.out, "added by the board")) << row.m_pszDoor << run.out;
      EXPECT_TRUE(Contains(run.out, "IFD -> PC : MORE DATA AVAILABLE (SW2 BYTES FOR GET RESPONSE)\n            61 0C"))
          << row.m_pszDoor << run.out;
      EXPECT_TRUE(Contains(run.out, "IFD -> PC : WRONG LE FIELD (SW2 GIVES THE EXACT LENGTH)\n            6C 20"))
          << row.m_pszDoor << run.out;
    }
  }
}

// A card that takes extended lengths answers 4,096 bytes whole; one that
// does not answers 67 00, which the trace explains.
TEST_F(PcscBoardTest, AnExtendedAnswerComesWholeOrItsRefusalIsExplained) {
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER0_PORT, "--atr t1 --extended"));
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER1_PORT, "--atr t1"));
  const QString script = Script("extended.cmd", "00 B0 00 00 00 10 00;\n");
  const CRun takes = Run({"--reader", "Virtual PCD 00 00", script});
  const CRun refuses = Run({"--reader", "Virtual PCD 00 01", script});
  EXPECT_EQ(takes.status, 0) << takes.err;
  // The card counts its bytes up from 00: sixteen rounds of 256.
  EXPECT_EQ(Count(takes.out, "            00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F \n"), 16u) << takes.out;
  EXPECT_TRUE(Contains(takes.out, "            F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF \n            90 00 \n"))
      << takes.out;
  EXPECT_EQ(refuses.status, 0) << refuses.err;
  EXPECT_TRUE(Contains(refuses.out,
                       "PC/SC: the card answered 67 00 (wrong length) to an extended APDU: it may not "
                       "take extended lengths\n"))
      << refuses.out;
  EXPECT_TRUE(Contains(refuses.out, "            67 00 \n")) << refuses.out;
}

TEST_F(PcscBoardTest, ARefusedEscapeCommandNamesTheDriversSetting) {
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER0_PORT));
  const CRun run = Run({Script("escape.cmd", ".escape(0, 01 02 03);\n")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(
      Contains(run.out,
               "PC/SC: the reader's driver refused the escape command (Feature not supported.): escape commands "
               "are off in the driver's configuration; the CCID driver takes them once bit 0x01 is set in "
               "ifdDriverOptions (its Info.plist), and pcscd is restarted\n"))
      << run.out;
  EXPECT_TRUE(Contains(run.out, "IFD -> PC : Feature not supported.\n")) << run.out;
}

TEST_F(PcscBoardTest, AnUnknownReaderIsNamedWithTheReadersThereAre) {
  const CRun run = Run({"--reader", "Nowhere 00 00", Script("one.cmd", "00 A4 00 0C 02 3F 00;\n")});
  EXPECT_EQ(run.status, 4) << run.err;
  EXPECT_TRUE(Contains(run.err, "PC/SC: no reader \"Nowhere 00 00\" (readers: Virtual PCD 00 00, Virtual PCD 00 01)"))
      << run.err;
}

}  // namespace
