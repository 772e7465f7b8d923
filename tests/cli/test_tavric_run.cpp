// The real tavric-run, run as a user runs it, against the simulated reader and
// the test plug-ins.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "small_disk.h"

namespace {

// The environment names the folders; without it they are found from this
// test binary's place in the build tree (build/tests, build/bin).
QString FromEnvironment(const char* name, const char* besideTests) {
  const char* value = std::getenv(name);
  if (value != nullptr && *value != '\0') return QString::fromLocal8Bit(value);
  return QDir::cleanPath(QCoreApplication::applicationDirPath() + "/" + besideTests);
}

QString RunFolder() {
  return FromEnvironment("TAVRIC_RUN_DIR", "../bin");
}

QString TestPlugins(const char* testCase) {
  return FromEnvironment("TAVRIC_TEST_PLUGINS", "plugins") + "/" + testCase;
}

struct CRun {
  int status;  // -1: did not end normally
  std::string out;
  std::string err;
};

CRun RunTool(const QStringList& args, const QString& workDir = RunFolder()) {
  QProcess process;
  process.setWorkingDirectory(workDir);
  process.start(RunFolder() + "/tavric-run", args);
  // One that does not end within the minute is killed and fails.
  const bool ended = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
  return {ended ? process.exitCode() : -1, process.readAllStandardOutput().toStdString(),
          process.readAllStandardError().toStdString()};
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

bool Contains(const std::string& text, const std::string& what) {
  return text.find(what) != std::string::npos;
}

std::string ReadWhole(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<unreadable>");
}

// Runs the program to its end with its output thrown away; the peak resident
// memory of the process in kilobytes, or -1.
long PeakKilobytes(const std::vector<std::string>& args, const std::string& workDir) {
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (::chdir(workDir.c_str()) != 0) ::_exit(127);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return usage.ru_maxrss;
}

std::string ReadWhole(const QString& path);

class TavricRunTest : public ::testing::Test {
 protected:
  QString Script(const char* name, const std::string& text) {
    const QString path = m_Dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.data(), qint64(text.size()));
    return path;
  }

  QTemporaryDir m_Dir;
};

const char* const kHello = "* three statements and a breakpoint\n30;\n10;\n.b;\n31 01;\n";

TEST(TavricRunProtocolExamples, EachRunsToItsEndAgainstTheSimulatedReader) {
  struct CCase {
    const char* protocol;
    const char* example;
    std::vector<std::string> lines;  // in this order in the output
  };
  const CCase cases[] = {
      {"PC/SC",
       "examples/pcsc.cmd",
       {"PC -> IFD : READER : GET MASK\n", "IFD -> PC : VENDOR COMMAND : MASK\n", "IFD -> PC : ATR\n",
        "IFD -> PC : FILE OR APPLICATION NOT FOUND\n            6A 82 \n"}},
      {"CCID",
       "examples/ccid.cmd",
       {"IFD -> PC : DATA BLOCK : ANSWER TO RESET\n", "IFD -> PC : DATA BLOCK : MORE DATA AVAILABLE\n",
        "IFD -> PC : COMMAND NOT SUPPORTED\n", "IFD -> PC : SLOT CHANGE\n"}},
      {"Kiro",
       "examples/kiro.cmd",
       {"IFD -> PC : GET RELEASE EXECUTED\n", "IFD -> PC : ACTIVATE CARD EXECUTED\n",
        "IFD -> PC : ERROR 0x7F : THE READER COULD NOT READ THE FRAME\n"}},
      {"Loopback", "examples/loopback_emv.cmd", {"PC -> IFD : EMV LOOPBACK TEST\n", "LOOPBACK : TEST OK\n"}},
  };
  for (const CCase& c : cases) {
    SCOPED_TRACE(c.example);
    const CRun run = RunTool({"--no-colour", "--protocol", c.protocol, c.example});
    EXPECT_EQ(run.status, 0) << run.err;
    std::size_t at = 0;
    for (const std::string& line : c.lines) {
      at = run.out.find(line, at);
      ASSERT_NE(at, std::string::npos) << line << "\nin\n" << run.out;
    }
    EXPECT_TRUE(Contains(run.out, "Simulated reader disconnected"));
  }
}

}  // namespace

TEST_F(TavricRunTest, HelpListsTheExitStatusesAndUsageErrorsExitWithOne) {
  CRun run = RunTool({"--help"});
  EXPECT_EQ(run.status, 0);
  for (const char* line :
       {"\n  0    the run ended", "\n  1    usage error", "\n  2    the script file", "\n  3    no plug-in found",
        "\n  4    the reader could not be connected", "\n  5    the run stalled",
        "\n  6    the run ended early on a reader error", "\n       regs: the register file has an error",
        "\n  7    a file the run must write", "\n  8    a plug-in fault", "\n  129  ended by SIGHUP, 143 by SIGTERM",
        "\n  130  interrupted"})
    EXPECT_TRUE(Contains(run.out, line)) << line;

  for (const QStringList& args : {QStringList{}, QStringList{"--type", "hex", "x.cmd"}}) {
    CRun usage = RunTool(args);
    EXPECT_EQ(usage.status, 1) << args.join(' ').toStdString();
    EXPECT_TRUE(Contains(usage.err, "tavric-run: ")) << usage.err;
  }
}

TEST_F(TavricRunTest, ListShowsBoardTypesAndProtocolsInRegistrationOrder) {
  CRun run = RunTool({"--list", "--plugins", TestPlugins("discovery")});
  EXPECT_EQ(run.status, 0) << run.err;
  // Within one library the plug-in's own order, whatever the folder's.
  ASSERT_TRUE(Contains(run.out, "CTVRPlugBoardTwo")) << run.out;
  EXPECT_LT(run.out.find("CTVRPlugBoardOne"), run.out.find("CTVRPlugBoardTwo"));
  EXPECT_TRUE(Contains(run.out, "Board one"));
  EXPECT_LT(run.out.find("Alpha"), run.out.find("Beta"));
  EXPECT_EQ(run.err, "") << "the library that fails to load is passed over in silence";
}

TEST_F(TavricRunTest, WhatIsMissingDecidesTheExitStatus) {
  CRun list = RunTool({"--list"}, m_Dir.path());
  EXPECT_EQ(list.status, 3);
  EXPECT_TRUE(Contains(list.err, "no board type and no protocol found")) << list.err;

  const QString script = Script("a.cmd", "30;\n");
  EXPECT_EQ(RunTool({script}, m_Dir.path()).status, 3);
  // Protocol names are matched exactly; board types by class or file-new name, in any case.
  CRun protocol = RunTool({"--protocol", "verta", script});
  EXPECT_EQ(protocol.status, 3);
  EXPECT_TRUE(Contains(protocol.err, "no protocol 'verta'")) << protocol.err;
  EXPECT_EQ(RunTool({"--board", "ctvrsimdoc", script}).status, 0);

  CRun missing = RunTool({m_Dir.filePath("missing.cmd")});
  EXPECT_EQ(missing.status, 2);
  EXPECT_TRUE(Contains(missing.err, "cannot read the script file")) << missing.err;

  CRun refused =
      RunTool({"--plugins", TestPlugins("discovery"), "--board", "CTVRPlugBoardTwo", "--protocol", "Alpha", script});
  EXPECT_EQ(refused.status, 4);
  // The board's own message box, then the runner's word.
  EXPECT_TRUE(Contains(refused.err, "tavric: The reader does not answer.")) << refused.err;
  EXPECT_TRUE(Contains(refused.err, "the reader could not be connected")) << refused.err;
}

TEST_F(TavricRunTest, AtrDecodesTheBytesOfItsArguments) {
  const std::string text =
      "TS  - 0x3B\n         Direct Conv.\nT0   - 0x02\n         Nbr of histo bytes : 0x02\n"
      "Histo bytes : = 0x14 0x50 \n";
  for (const QStringList& args : {QStringList{"atr", "3B", "02", "14", "50"}, QStringList{"atr", "3b021450"}}) {
    // No plug-in is needed: it works from a folder without any.
    CRun run = RunTool(args, m_Dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, text);
    EXPECT_EQ(run.err, "");
  }
  for (const QStringList& args : {QStringList{"atr", "3B", "XY"}, QStringList{"atr", "3B"}, QStringList{"atr"}}) {
    CRun run = RunTool(args);
    EXPECT_EQ(run.status, 1) << args.join(' ').toStdString();
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(Contains(run.err, "tavric-run atr: ")) << run.err;
  }
}

TEST_F(TavricRunTest, CardParamsShowTheSlotShownLast) {
  // Card 4 holds the card of inverse convention; the firmware version is the mask.
  CRun run = RunTool({"--card-params", Script("slot.cmd", "30;\n20 04;\n10;\n")});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string params =
      "Card Parameters\n ATR :\n    TS  - 0x3F\n             Inverse Conv.\n    T0   - 0x65\n"
      "             Nbr of histo bytes : 0x05\n    TB1 - 0x25\n             Max prog current : II = 0x01\n"
      "             Prog voltage : PI1 = 0x05\n    TC1 - Extra G.T. = 0x00\n"
      "    Histo bytes : = 0x54 0x56 0x52 0x2D \n                           0x34 \n Mask : VRT-SIM 2.04\n";
  ASSERT_GE(run.out.size(), params.size());
  EXPECT_EQ(run.out.substr(run.out.size() - params.size()), params) << run.out;
  EXPECT_FALSE(Contains(RunTool({Script("slot.cmd", "30;\n")}).out, "Card Parameters"));
}

TEST_F(TavricRunTest, RunsTheScriptAndGoesOnAfterABreakpoint) {
  CRun run = RunTool({Script("hello.cmd", kHello)});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Count(run.out, "PC -> IFD :"), 3u) << run.out;
  EXPECT_EQ(Count(run.out, "IFD -> PC :"), 3u) << run.out;
  EXPECT_TRUE(Contains(run.out, "PC -> IFD : GET FIRMWARE VERSION\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "* three statements and a breakpoint")) << run.out;
  EXPECT_FALSE(Contains(run.out, "\r") || Contains(run.out, "\x1b[")) << "not a terminal: plain text, LF line ends";
  EXPECT_TRUE(Contains(run.err, "tavric-run: halted at the breakpoint on line 4\n")) << run.err;

  CRun stopped = RunTool({"--stop-at-breakpoint", Script("hello.cmd", kHello)});
  EXPECT_EQ(stopped.status, 0) << stopped.err;
  EXPECT_EQ(Count(stopped.out, "PC -> IFD :"), 2u) << stopped.out;
  EXPECT_EQ(Count(RunTool({"--step", Script("hello.cmd", kHello)}).out, "PC -> IFD :"), 1u);

  // A Verta frame written out in full, sent as raw data: unchanged, with no command name.
  CRun raw = RunTool({"--type", "raw", Script("raw.cmd", "40 00 01 30 71;\n")});
  EXPECT_EQ(raw.status, 0) << raw.err;
  EXPECT_EQ(Count(raw.out, "PC -> IFD :"), 0u) << raw.out;
  EXPECT_TRUE(Contains(raw.out, "            40 00 01 30 71 \n")) << raw.out;
}

TEST_F(TavricRunTest, TheStatementAndTimeBoundsEndALoop) {
  CRun two = RunTool({"--loop", "--max-statements=7", Script("two.cmd", "30;\n10;\n")});
  EXPECT_EQ(two.status, 0) << two.err;
  EXPECT_EQ(Count(two.out, "PC -> IFD : GET FIRMWARE VERSION"), 4u);
  EXPECT_EQ(Count(two.out, "PC -> IFD : RESET CARD"), 3u);

  CRun timed = RunTool({"--loop", "--max-seconds", "0.3", Script("one.cmd", "30;\n")});
  EXPECT_EQ(timed.status, 0) << timed.err;
  EXPECT_GT(Count(timed.out, "PC -> IFD :"), 10u);
}

TEST_F(TavricRunTest, ARunThatStallsExitsWithFive) {
  CRun nothing = RunTool({Script("stall.cmd", "30;\n.nosuchdirective;\n10;\n")});
  EXPECT_EQ(nothing.status, 5) << nothing.err;
  EXPECT_TRUE(Contains(nothing.err, "the statement on line 2 sent nothing and ended nothing")) << nothing.err;
  EXPECT_EQ(Count(nothing.out, "PC -> IFD :"), 1u);

  // A reader that takes every frame and never answers.
  CRun silent = RunTool({"--plugins", TestPlugins("discovery"), "--board", "Board one", "--protocol", "Alpha", "--type",
                         "raw", "--timeout", "0.3", Script("silent.cmd", "* nobody answers\n01 02 03;\n")});
  EXPECT_EQ(silent.status, 5) << silent.err;
  EXPECT_TRUE(Contains(silent.err, "no answer within 0.3 s to the statement on line 2")) << silent.err;
}

TEST_F(TavricRunTest, TheLogIsTheTraceWithCrLf) {
  Script("hello.cmd", kHello);
  // Relative, so the log file rule puts the log beside it.
  CRun run = RunTool({"--plugins", RunFolder(), "--save-log", "hello.cmd"}, m_Dir.path());
  EXPECT_EQ(run.status, 0) << run.err;
  QFile log(m_Dir.filePath("hello.log"));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  std::string text = log.readAll().toStdString();
  EXPECT_TRUE(Contains(text, "PC -> IFD : GET FIRMWARE VERSION\r\n")) << text;
  std::string lf;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf += text[i];
  // What the board says on disconnecting comes after the save.
  EXPECT_EQ(run.out.compare(0, lf.size(), lf), 0) << "log:\n" << lf << "\nout:\n" << run.out;

  CRun named = RunTool({"--save-log=" + m_Dir.filePath("named.log"), Script("a.cmd", "30;\n")});
  EXPECT_EQ(named.status, 0) << named.err;
  EXPECT_TRUE(QFile::exists(m_Dir.filePath("named.log")));
  EXPECT_FALSE(QFile::exists(m_Dir.filePath("a.log")));
}

TEST_F(TavricRunTest, AScriptPathThatIsNoFileIsAScriptThatCannotBeRead) {
  // A folder used to open as a stream and throw on the first read (exit 134).
  for (const QString& path : {m_Dir.path(), m_Dir.path() + "/", QString("/dev/null"), m_Dir.filePath("none.cmd")}) {
    CRun run = RunTool({"--plugins", RunFolder(), path});
    EXPECT_EQ(run.status, 2) << path.toStdString() << "\n" << run.err;
    EXPECT_TRUE(Contains(run.err, "cannot read the script file")) << run.err;
  }
}

TEST_F(TavricRunTest, AFileTheRunMustWriteThatCannotBeWrittenExitsWithSevenAndIsLeftAsItWas) {
  const QString script = Script("run.cmd", "30;\n");
  const QString fifo = m_Dir.filePath("pipe");
  ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
  ASSERT_TRUE(QDir(m_Dir.path()).mkdir("folder"));
  const QString folder = m_Dir.filePath("folder");
  tvr_test::CSmallDisk disk;
  const QString full = QString::fromStdString(disk.PathOf("Tavric.ini"));
  const std::string bench = "[Settings]\nKept=1\n";
  if (disk.Unavailable().empty()) {
    QFile ini(full);
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly) && ini.write(bench.c_str()) == qint64(bench.size()));
    ini.close();
    ASSERT_TRUE(disk.Fill());
  }

  const QByteArray previous = qgetenv("TAVRIC_SETTINGS");
  const struct {
    QStringList args;
    QString settings;  // empty: the tests' own
    std::string said;
  } cases[] = {
      // A log that is no regular file would block the run or be lost.
      {{"--save-log=" + fifo, script}, "", "could not be created"},
      {{"--save-log=" + folder, script}, "", "could not be created"},
      {{"--save-log=/dev/null", script}, "", "could not be created"},
      // Opening the log would empty the script.
      {{"--save-log=" + m_Dir.path() + "/./run.cmd", script}, "", "is the script file itself"},
      // The settings of --save: a folder or a pipe in their place, a full disk.
      {{"--save", script}, folder, "could not be saved"},
      {{"--save", script}, fifo, "could not be saved"},
      {{"--save", script}, disk.Unavailable().empty() ? full : QString(), "No space left on device"},
  };
  for (const auto& c : cases) {
    if (c.args.front() == "--save" && c.settings.isEmpty()) continue;  // no small disk here
    SCOPED_TRACE(c.args.join(' ').toStdString() + " " + c.settings.toStdString());
    if (!c.settings.isEmpty()) qputenv("TAVRIC_SETTINGS", c.settings.toLocal8Bit());
    const CRun run = RunTool(c.args);
    qputenv("TAVRIC_SETTINGS", previous);
    EXPECT_EQ(run.status, 7) << run.err;
    EXPECT_TRUE(Contains(run.err, c.said)) << run.err;
  }
  EXPECT_EQ(ReadWhole(script), "30;\n");
  if (!disk.Unavailable().empty()) GTEST_SKIP() << "the full disk case: " << disk.Unavailable();
  EXPECT_EQ(ReadWhole(full), bench);
}

TEST_F(TavricRunTest, WithTheTraceOffAHealthyLoopIsNotTakenForAStall) {
  // Every frame is answered at once, so the short timeout must never fire;
  // the run ends on its time bound.
  CRun run = RunTool({"--loop", "--timeout", "0.2", "--max-seconds", "1.2", "--no-colour",
                      Script("quiet.cmd", ".command;\n.trace(off);\n30;\n")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(Contains(run.err, "stalled")) << run.err;
}

TEST_F(TavricRunTest, ALongLoopWithTheTraceOnKeepsItsMemoryFlatAndStreamsTheLog) {
#ifdef __SANITIZE_ADDRESS__
  // The address sanitizer holds freed memory in its quarantine (256 MB), so
  // the peak of a sanitized process measures the quarantine, not the trace.
  GTEST_SKIP() << "peak memory is not the program's own under the address sanitizer";
#endif
  // Peak memory of the whole process, short run against a run ten times as
  // long: a kept trace would grow by well over 100 bytes per statement.
  auto peakKilobytes = [this](long long statements) {
    const std::string log = m_Dir.filePath("long.log").toStdString();
    const std::string script = Script("long.cmd", "30;\n").toStdString();
    const std::string bound = std::to_string(statements);
    const std::string program = (RunFolder() + "/tavric-run").toStdString();
    std::vector<std::string> args = {
        program, "--loop", "--no-colour", "--max-statements", bound, "--keep", "1000", "--save-log=" + log, script};
    return PeakKilobytes(args, RunFolder().toStdString());
  };
  const long shortRun = peakKilobytes(20000);
  const long longRun = peakKilobytes(200000);
  ASSERT_GT(shortRun, 0);
  ASSERT_GT(longRun, 0);
  EXPECT_LT(longRun - shortRun, 6 * 1024) << shortRun << " kB, then " << longRun << " kB";

  // The log file has every statement although memory kept only a tail.
  QFile file(m_Dir.filePath("long.log"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(Count(file.readAll().toStdString(), "PC -> IFD : GET FIRMWARE VERSION\r\n"), 200000u);
}

TEST_F(TavricRunTest, ClearingTheTraceStartsTheLogOver) {
  const QString log = m_Dir.filePath("cleared.log");
  CRun run = RunTool({"--no-colour", "--save-log=" + log, Script("clear.cmd", "30;\n.clear;\n10;\n")});
  EXPECT_EQ(run.status, 0) << run.err;
  QFile file(log);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const std::string text = file.readAll().toStdString();
  EXPECT_FALSE(Contains(text, "GET FIRMWARE VERSION")) << text;
  EXPECT_TRUE(Contains(text, "PC -> IFD : RESET CARD\r\n")) << text;
}

TEST_F(TavricRunTest, DotSaveWritesTheTraceSinceTheLastClear) {
  // Run where the script is, so the log is named after it beside it.
  struct Case {
    const char* name;
    std::string script;
    QStringList options;
    std::vector<std::string> shown, gone;
  };
  const std::string firmware = "PC -> IFD : GET FIRMWARE VERSION\r\n", reset = "PC -> IFD : RESET CARD\r\n";
  const std::vector<Case> cases = {
      {"cleared", "30;\n.clear;\n10;\n.save;\n", {}, {reset}, {"GET FIRMWARE"}},
      {"traceoff", "30;\n.trace(off);\n10;\n.save;\n", {}, {firmware}, {"RESET CARD"}},
      // The streamed log is the file .save names: saving must not cut what follows.
      {"streamed", "30;\n.save;\n10;\n", {"--save-log"}, {firmware, reset}, {}},
      // Another streamed log: .save still writes the view text under its own name.
      {"other", "30;\n.save;\n10;\n", {"--save-log=streamed.log"}, {firmware}, {"RESET CARD"}},
  };
  for (const Case& c : cases) {
    Script((std::string(c.name) + ".cmd").c_str(), c.script);
    CRun run = RunTool(
        QStringList{"--plugins", RunFolder(), "--no-colour"} + c.options + QStringList{QString(c.name) + ".cmd"},
        m_Dir.path());
    EXPECT_EQ(run.status, 0) << c.name << run.err;
    QFile file(m_Dir.filePath(QString(c.name) + ".log"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.name;
    const std::string text = file.readAll().toStdString();
    for (const std::string& wanted : c.shown) EXPECT_TRUE(Contains(text, wanted)) << c.name << ":\n" << text;
    for (const std::string& unwanted : c.gone) EXPECT_FALSE(Contains(text, unwanted)) << c.name << ":\n" << text;
    EXPECT_EQ(Count(text, "\n"), Count(text, "\r\n")) << c.name;
  }
}

TEST_F(TavricRunTest, DotSaveInALongLoopKeepsEveryStatementWithFlatMemory) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "peak memory is not the program's own under the address sanitizer";
#endif
  // Loops of 999 statements and a .save; the bound ends the run on a .save.
  std::string loop;
  for (int i = 0; i < 999; ++i) loop += "30;\n";
  Script("saved.cmd", loop + ".save;\n");
  const std::string program = (RunFolder() + "/tavric-run").toStdString();
  auto peakKilobytes = [&](int loops) {
    return PeakKilobytes({program, "--plugins", RunFolder().toStdString(), "--loop", "--no-colour", "--keep", "1000",
                          "--max-statements", std::to_string(loops * 1000), "saved.cmd"},
                         m_Dir.path().toStdString());
  };
  const long shortRun = peakKilobytes(10);
  const long longRun = peakKilobytes(100);
  ASSERT_GT(shortRun, 0);
  ASSERT_GT(longRun, 0);
  EXPECT_LT(longRun - shortRun, 6 * 1024) << shortRun << " kB, then " << longRun << " kB";
  QFile file(m_Dir.filePath("saved.log"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(Count(file.readAll().toStdString(), "PC -> IFD : GET FIRMWARE VERSION\r\n"), 99900u);
}

TEST_F(TavricRunTest, RegsPrintsARegisterFileWithNotesOrItsFirstError) {
  CRun run = RunTool({"regs", "RegPar/SimReader.par"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, 51), "RegPar/SimReader.par: 16 registers, 3 value tables\n");
  EXPECT_TRUE(Contains(run.out, "\n4 POWER_OFF: write-only, initial 00\n")) << run.out;

  // What the files' own rules ignore is read as the register tool reads it:
  // 257 registers held in 8 bits are one, the second register line is one too
  // many, and a sub-register whose parent does not match is kept.
  const QString ignored = Script("ignored.par",
                                 "[GENERAL]\r\nNBROFREGISTERS=257;\r\n[END_GENERAL]\r\n[REGISTERS]\r\n"
                                 "CTRL,b0,b1,b2,b3,b4,b5,b6,b7:5,rw,00,9,0,.read(05),4,.write(05 XX);\r\n"
                                 "EXTRA,b0,b1,b2,b3,b4,b5,b6,b7:6,r,00,5,0,.read(06),4,.write(06 XX);\r\n"
                                 "[END_REGISTERS]\r\n[SUB_REGISTERS]\r\nSUB:1,7,2,0,01;\r\n[END_SUB_REGISTERS]\r\n");
  const std::string name = ignored.toStdString();
  run = RunTool({"regs", ignored});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, name + ":2: note: NBROFREGISTERS=257 is kept in 8 bits: 1 registers\n" + name +
                         ":6: note: more register lines than NBROFREGISTERS=1: the line is ignored\n" + name +
                         ":9: note: Syntax error for the parent reg number mentionned in the [SUB_REGISTER] part\n"
                         " in the '*.par' file\n");
  EXPECT_EQ(run.out.substr(0, name.size() + 31), name + ": 1 registers, 0 value tables\n\n");
  EXPECT_TRUE(Contains(run.out, "\n5 CTRL: read-write, initial 00\n")) << run.out;
  EXPECT_FALSE(Contains(run.out, "EXTRA")) << run.out;

  const QString bad = Script("bad.par", "[REGISTERS]\r\n[END_REGISTERS]\r\n");
  run = RunTool({"regs", bad});
  EXPECT_EQ(run.status, 6);
  EXPECT_EQ(run.err, bad.toStdString() + ":1: no [GENERAL] section: the file has no registers\n");

  run = RunTool({"regs", "RegPar"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "tavric-run: RegPar: Not a regular file\n");
}

namespace {

// A run of the readers that fail at their third frame (tests/plugins/libs/
// faulty_boards.cpp): five raw frames, the log written as it goes.
QStringList FaultyRun(const QString& board, const QString& log, const QString& script) {
  return {"--plugins", TestPlugins("faults"), "--board",           board, "--protocol", "Alpha", "--type",
          "raw",       "--no-colour",         "--save-log=" + log, script};
}

// CR LF line ends of a log made LF, as the terminal has them.
std::string WithLf(const std::string& text) {
  std::string lf;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf += text[i];
  return lf;
}

}  // namespace

TEST_F(TavricRunTest, ARunThatEndsEarlySaysWhyAndKeepsItsTraceUpToTheFault) {
  struct CCase {
    const char* board;
    QStringList options;
    int status;  // -1: ended by the signal of the crash
    const char* err;
    const char* lastLine;  // the log's last line
  };
  const CCase cases[] = {
      {"Erring board",
       {},
       6,
       "tavric-run: the run ended early on a reader error, at the statement on line 3\n",
       "a garbled frame was dropped\r\n"},
      {"Throwing board",
       {},
       8,
       "tavric: Plug-in fault: the board's Send threw an exception (the link is gone): the reader is disconnected.\n",
       "Plug-in fault: the board's Send threw an exception (the link is gone): the reader is disconnected.\r\n"},
      {"Hanging board",
       {"--timeout", "0.5"},
       8,
       "tavric-run: the board's Send has not returned within --timeout 0.5 s: the run is ended\n",
       "frame 2 taken\r\n"},
      {"Hanging board",
       {"--max-seconds", "0.5"},
       8,
       "tavric-run: the board's Send has not returned within --max-seconds 0.5 s: the run is ended\n",
       "frame 2 taken\r\n"},
      {"Crashing board",
       {},
       -1,
       "tavric-run: fatal signal SIGSEGV: the trace so far is written\n",
       "frame 2 taken\r\n"},
  };
  const QString script = Script("five.cmd", "01;\n02;\n03;\n04;\n05;\n");
#ifdef __SANITIZE_ADDRESS__
  // The address sanitizer would take the crash for its own report instead of
  // leaving it to the runner's handler.
  qputenv("ASAN_OPTIONS", qgetenv("ASAN_OPTIONS") + ":handle_segv=0");
#endif
  for (const CCase& c : cases) {
    SCOPED_TRACE(std::string(c.board) + " " + c.options.join(' ').toStdString());
    const QString log = m_Dir.filePath("faulty.log");
    const CRun run = RunTool(c.options + FaultyRun(c.board, log, script));
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_TRUE(Contains(run.err, c.err)) << run.err;
    // The log holds the trace as it was when the fault came, to its last line,
    // and the terminal got the same.
    const std::string text = ReadWhole(log);
    EXPECT_EQ(Count(text, " taken\r\n"), 2u) << text;
    ASSERT_GE(text.size(), std::strlen(c.lastLine));
    EXPECT_EQ(text.substr(text.size() - std::strlen(c.lastLine)), c.lastLine) << text;
    EXPECT_EQ(run.out.compare(0, WithLf(text).size(), WithLf(text)), 0) << "log:\n" << text << "\nout:\n" << run.out;
  }
}

TEST_F(TavricRunTest, ASignalStopsTheRunCleanlyWithTheLogCompleteToItsLastLine) {
  const struct {
    int signal;
    int status;
    const char* err;
  } cases[] = {{SIGINT, 130, "tavric-run: interrupted\n"},
               {SIGTERM, 143, "tavric-run: terminated (SIGTERM)\n"},
               {SIGHUP, 129, "tavric-run: hung up (SIGHUP)\n"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.signal);
    QProcess process;
    process.setWorkingDirectory(RunFolder());
    const QString log = m_Dir.filePath("signalled.log");
    process.start(RunFolder() + "/tavric-run", {"--loop", "--save-log=" + log, Script("loop.cmd", "30;\n")});
    // Signalled once the loop is surely going.
    std::string out;
    while (Count(out, "PC -> IFD :") < 3 && process.waitForReadyRead(20000))
      out += process.readAllStandardOutput().toStdString();
    ::kill(pid_t(process.processId()), c.signal);
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), c.status);
    EXPECT_TRUE(Contains(process.readAllStandardError().toStdString(), c.err));
    out += process.readAllStandardOutput().toStdString();
    const std::string text = ReadWhole(log);
    EXPECT_GT(Count(text, "PC -> IFD :"), 2u);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << text;
    EXPECT_EQ(out.compare(0, WithLf(text).size(), WithLf(text)), 0) << "log:\n" << text << "\nout:\n" << out;
  }
}

TEST_F(TavricRunTest, CtrlCTwiceEndsARunStuckInAPlugIn) {
  QProcess process;
  process.setWorkingDirectory(RunFolder());
  const QString log = m_Dir.filePath("stuck.log");
  process.setReadChannel(QProcess::StandardError);
  process.start(
      RunFolder() + "/tavric-run",
      QStringList{"--timeout", "600"} + FaultyRun("Hanging board", log, Script("five.cmd", "01;\n02;\n03;\n")));
  std::string err;
  while (!Contains(err, "test board: Send hangs") && process.waitForReadyRead(20000))
    err += process.readAllStandardError().toStdString();
  ASSERT_TRUE(Contains(err, "test board: Send hangs")) << err;
  // The first Ctrl+C cannot reach the stuck run; the next one ends it.
  for (int i = 0; i < 100 && process.state() != QProcess::NotRunning; ++i) {
    ::kill(pid_t(process.processId()), SIGINT);
    process.waitForFinished(100);
  }
  ASSERT_EQ(process.state(), QProcess::NotRunning);
  EXPECT_EQ(process.exitStatus(), QProcess::CrashExit) << "ended by the signal";
  EXPECT_TRUE(Contains(process.readAllStandardError().toStdString(), "a second signal: the program ends at once"));
  EXPECT_EQ(Count(ReadWhole(log), " taken\r\n"), 2u);
}

namespace {

// A bench of two simulated readers as the desktop program would have saved it.
std::string BenchSettings(const QString& folder) {
  std::string ini = "[Settings]\n";
  const char* scripts[] = {"a.cmd", "b.cmd"};
  for (int i = 0; i < 2; ++i) {
    const std::string doc = "CTVRSimDoc\\" + std::to_string(i) + "\\";
    const std::vector<std::pair<std::string, std::string>> values = {
        {"LastRegSettingUsed", ""},
        {"Title", i == 0 ? "Bench A" : "Bench B"},
        {"Connected", "1"},
        {"Protocol", "Verta"},
        {"Script", (folder + "/" + scripts[i]).toStdString()},
        {"Command", "1"},
        {"Mode", "0"},
        {"AutoPause", "1"},
        {"Standard", "0"},
        {"Beep", i == 0 ? "1" : "0"},
        {"HexMode", "1"},
        {"Cmd1", "30"},
        {"Cmd2", i == 0 ? "12" : "20 02"},
        {"Cmd3", ""},
        {"Cmd4", i == 0 ? "3" : ""},
        {"Cmd5", ""},
        {"CypheringKey", ""},
        {"DecypheringKey", ""},
        {"3CypheringKey", ""},
        {"3DecypheringKey", ""},
        {"Placement",
         "2C000000000000000100000000000000000000000000000000000000000000000A0000001400000090010000F4010000"},
        {"Row0.cur", "200"},
        {"Row0.min", "50"},
        {"Row1.cur", "220"},
        {"Row1.min", "100"},
    };
    for (const auto& [name, value] : values) ini += doc + name + "=" + value + "\n";
  }
  return ini + "CTVRSimDoc\\NbDoc=2\nCTVRSimDoc\\UntitledCount=2\n";
}

TEST(TavricRunWorkspace, ABenchSavedAndRestoredComesBackExactly) {
  QTemporaryDir dir;
  const QString settings = dir.path() + "/Tavric.ini";
  const QByteArray previous = qgetenv("TAVRIC_SETTINGS");
  qputenv("TAVRIC_SETTINGS", settings.toLocal8Bit());
  {
    QFile a(dir.path() + "/a.cmd"), b(dir.path() + "/b.cmd"), ini(settings);
    ASSERT_TRUE(a.open(QIODevice::WriteOnly) && b.open(QIODevice::WriteOnly) && ini.open(QIODevice::WriteOnly));
    a.write("* reader A\r\n10;\r\n");
    b.write("30;\n");
    ini.write(BenchSettings(dir.path()).c_str());
  }

  // The first document runs its own script; saving puts the bench back as it was read.
  const CRun first = RunTool({"--no-colour", "--restore", "--save"});
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_TRUE(Contains(first.out, "PC -> IFD : RESET CARD")) << first.out;
  const std::string saved = ReadWhole(settings);
  for (const char* value : {"CTVRSimDoc\\0\\Title=Bench A", "CTVRSimDoc\\1\\Cmd2=20 02", "CTVRSimDoc\\1\\Beep=0",
                            "CTVRSimDoc\\1\\Row1.cur=220", "CTVRSimDoc\\0\\Connected=1", "CTVRSimDoc\\NbDoc=2"})
    EXPECT_TRUE(Contains(saved, value)) << value << "\n" << saved;

  // The second document's quick command, then its script: the settings stay the same.
  const CRun quick = RunTool({"--no-colour", "--restore", "--document", "2", "--quick", "2", "--save"});
  EXPECT_EQ(quick.status, 0) << quick.err;
  EXPECT_TRUE(Contains(quick.out, "PC -> IFD : SELECT CARD")) << quick.out;
  EXPECT_FALSE(Contains(quick.out, "GET FIRMWARE")) << "the script is not run";
  const CRun second = RunTool({"--no-colour", "--restore", "--document", "2", "--save"});
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_TRUE(Contains(second.out, "PC -> IFD : GET FIRMWARE VERSION")) << second.out;
  EXPECT_EQ(ReadWhole(settings), saved);

  // A quick command of fewer than two characters is not offered, as its key
  // is not; a document that is not there is refused.
  for (const auto& [n, text] : {std::pair{"3", ""}, std::pair{"4", "3"}}) {
    const CRun disabled = RunTool({"--no-colour", "--restore", "--quick", n});
    EXPECT_EQ(disabled.status, 1) << n;
    EXPECT_TRUE(Contains(disabled.err, std::string("tavric-run: quick command ") + n + " is not offered: its text \"" +
                                           text + "\" is shorter than two characters\n"))
        << disabled.err;
    EXPECT_FALSE(Contains(disabled.out, "PC -> IFD")) << disabled.out;
  }
  const CRun missing = RunTool({"--restore", "--document", "3"});
  EXPECT_EQ(missing.status, 3);
  EXPECT_TRUE(Contains(missing.err, "no document 3 (2 restored)")) << missing.err;

  qputenv("TAVRIC_SETTINGS", previous);
}

}  // namespace
