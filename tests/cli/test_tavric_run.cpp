// The real tavric-run, run as a user runs it, against the simulated reader and
// the test plug-ins.
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

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
  int status = -1;
  std::string out;
  std::string err;
  qint64 ms = 0;
};

CRun RunTool(const QStringList& args, const QString& workDir = RunFolder(), int timeoutMs = 60000) {
  QProcess process;
  process.setWorkingDirectory(workDir);
  QElapsedTimer timer;
  timer.start();
  process.start(RunFolder() + "/tavric-run", args);
  CRun run;
  if (!process.waitForStarted(10000)) {
    run.err = "tavric-run did not start";
    return run;
  }
  process.waitForFinished(timeoutMs);
  run.ms = timer.elapsed();
  run.out = process.readAllStandardOutput().toStdString();
  run.err = process.readAllStandardError().toStdString();
  run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  return run;
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

bool Contains(const std::string& text, const std::string& what) {
  return text.find(what) != std::string::npos;
}

class TavricRunTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_Dir.isValid()); }

  QString Script(const char* name, const std::string& text) {
    const QString path = m_Dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.data(), qint64(text.size()));
    return path;
  }

  QTemporaryDir m_Dir;
};

const char* const kHello =
    "* three statements and a breakpoint\n"
    "30;\n"
    "10;\n"
    ".b;\n"
    "31 01;\n";

}  // namespace

TEST_F(TavricRunTest, HelpListsTheExitStatuses) {
  CRun run = RunTool({"--help"});
  EXPECT_EQ(run.status, 0);
  for (const char* status : {"  0  ", "  1  ", "  2  ", "  3  ", "  4  ", "  5  ", "  130  "})
    EXPECT_TRUE(Contains(run.out, status)) << status;
  EXPECT_TRUE(Contains(run.out, "--save-log"));
}

TEST_F(TavricRunTest, UsageErrorsExitWithOne) {
  for (const QStringList& args : {QStringList{}, QStringList{"--bogus", "x.cmd"}, QStringList{"--type", "hex", "x.cmd"},
                                  QStringList{"a.cmd", "b.cmd"}}) {
    CRun run = RunTool(args);
    EXPECT_EQ(run.status, 1) << args.join(' ').toStdString();
    EXPECT_TRUE(Contains(run.err, "tavric-run: ")) << run.err;
  }
}

TEST_F(TavricRunTest, ListShowsBoardTypesAndProtocolsInRegistrationOrder) {
  CRun run = RunTool({"--list"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "CTVRSimDoc")) << run.out;
  EXPECT_TRUE(Contains(run.out, "Verta")) << run.out;

  CRun plugins = RunTool({"--list", "--plugins", TestPlugins("discovery")});
  EXPECT_EQ(plugins.status, 0) << plugins.err;
  // Within one library the plug-in's own order, whatever the folder's.
  const auto one = plugins.out.find("CTVRPlugBoardOne"), two = plugins.out.find("CTVRPlugBoardTwo");
  ASSERT_NE(one, std::string::npos) << plugins.out;
  ASSERT_NE(two, std::string::npos) << plugins.out;
  EXPECT_LT(one, two);
  EXPECT_TRUE(Contains(plugins.out, "Board one"));
  EXPECT_LT(plugins.out.find("Alpha"), plugins.out.find("Beta"));
  EXPECT_FALSE(Contains(plugins.out, "CTVRPlugHiddenBoard"));
  // The library that fails to load is passed over in silence.
  EXPECT_EQ(plugins.err, "");
}

TEST_F(TavricRunTest, NoPluginsExitsWithThree) {
  CRun list = RunTool({"--list"}, m_Dir.path());
  EXPECT_EQ(list.status, 3);
  EXPECT_TRUE(Contains(list.err, "no board type and no protocol found")) << list.err;
  EXPECT_EQ(list.out, "");

  CRun run = RunTool({Script("a.cmd", "30;\n")}, m_Dir.path());
  EXPECT_EQ(run.status, 3);
  EXPECT_TRUE(Contains(run.err, "no plug-in found")) << run.err;
}

TEST_F(TavricRunTest, BoardAndProtocolMustExist) {
  const QString script = Script("a.cmd", "30;\n");
  CRun board = RunTool({"--board", "nosuch", script});
  EXPECT_EQ(board.status, 3);
  EXPECT_TRUE(Contains(board.err, "no board type 'nosuch'")) << board.err;
  EXPECT_TRUE(Contains(board.err, "CTVRSimDoc")) << board.err;

  // Protocol names are matched exactly.
  CRun protocol = RunTool({"--protocol", "verta", script});
  EXPECT_EQ(protocol.status, 3);
  EXPECT_TRUE(Contains(protocol.err, "no protocol 'verta'")) << protocol.err;

  // Board types by class or file-new name, letter case ignored.
  EXPECT_EQ(RunTool({"--board", "ctvrsimdoc", script}).status, 0);
}

TEST_F(TavricRunTest, AScriptThatCannotBeReadExitsWithTwo) {
  CRun run = RunTool({m_Dir.filePath("missing.cmd")});
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(Contains(run.err, "cannot read the script file")) << run.err;
}

TEST_F(TavricRunTest, AReaderThatCannotConnectExitsWithFour) {
  CRun run = RunTool({"--plugins", TestPlugins("discovery"), "--board", "CTVRPlugBoardTwo", "--protocol", "Alpha",
                      Script("a.cmd", "30;\n")});
  EXPECT_EQ(run.status, 4);
  // The board's own message box, then the runner's word.
  EXPECT_TRUE(Contains(run.err, "tavric: The reader does not answer.")) << run.err;
  EXPECT_TRUE(Contains(run.err, "the reader could not be connected")) << run.err;
}

TEST_F(TavricRunTest, RunsTheScriptAndGoesOnAfterABreakpoint) {
  CRun run = RunTool({Script("hello.cmd", kHello)});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Count(run.out, "PC -> IFD :"), 3u) << run.out;
  EXPECT_EQ(Count(run.out, "IFD -> PC :"), 3u) << run.out;
  EXPECT_TRUE(Contains(run.out, "PC -> IFD : GET FIRMWARE VERSION\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "* three statements and a breakpoint")) << run.out;
  // Not a terminal: plain text, LF line ends.
  EXPECT_FALSE(Contains(run.out, "\r"));
  EXPECT_FALSE(Contains(run.out, "\x1b["));
  EXPECT_TRUE(Contains(run.err, "tavric-run: halted at the breakpoint on line 4\n")) << run.err;

  CRun stopped = RunTool({"--stop-at-breakpoint", Script("hello.cmd", kHello)});
  EXPECT_EQ(stopped.status, 0) << stopped.err;
  EXPECT_EQ(Count(stopped.out, "PC -> IFD :"), 2u) << stopped.out;
  EXPECT_TRUE(Contains(stopped.err, "halted at the breakpoint on line 4")) << stopped.err;
}

TEST_F(TavricRunTest, TheScriptTypeDecidesTheFraming) {
  // A Verta frame written out in full, sent as raw data: unchanged, and no
  // command name, as for any raw frame.
  CRun raw = RunTool({"--type", "raw", Script("raw.cmd", "40 00 01 30 71;\n")});
  EXPECT_EQ(raw.status, 0) << raw.err;
  EXPECT_EQ(Count(raw.out, "PC -> IFD :"), 0u) << raw.out;
  EXPECT_TRUE(Contains(raw.out, "            40 00 01 30 71 \n")) << raw.out;

  CRun commands = RunTool({"--type", "commands", Script("cmd.cmd", "30;\n")});
  EXPECT_EQ(commands.status, 0) << commands.err;
  EXPECT_TRUE(Contains(commands.out, "            40 00 01 30 71 \n")) << commands.out;
  EXPECT_EQ(Count(commands.out, "PC -> IFD :"), 1u) << commands.out;
}

TEST_F(TavricRunTest, StepRunsOneStatement) {
  CRun run = RunTool({"--step", Script("hello.cmd", kHello)});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Count(run.out, "PC -> IFD :"), 1u) << run.out;
}

TEST_F(TavricRunTest, TheStatementBoundIsExact) {
  CRun one = RunTool({"--loop", "--max-statements", "25", Script("one.cmd", "30;\n")});
  EXPECT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(Count(one.out, "PC -> IFD :"), 25u);
  EXPECT_EQ(Count(one.out, "IFD -> PC :"), 25u);

  CRun two = RunTool({"--loop", "--max-statements=7", Script("two.cmd", "30;\n10;\n")});
  EXPECT_EQ(two.status, 0) << two.err;
  EXPECT_EQ(Count(two.out, "PC -> IFD : GET FIRMWARE VERSION"), 4u);
  EXPECT_EQ(Count(two.out, "PC -> IFD : RESET CARD"), 3u);
}

TEST_F(TavricRunTest, TheTimeBoundEndsALoop) {
  CRun run = RunTool({"--loop", "--max-seconds", "0.3", Script("one.cmd", "30;\n")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_GT(Count(run.out, "PC -> IFD :"), 10u);
  EXPECT_LT(run.ms, 20000);
}

TEST_F(TavricRunTest, AStatementThatSendsNothingStallsTheRun) {
  CRun run = RunTool({Script("stall.cmd", "30;\n.nosuchdirective;\n10;\n")});
  EXPECT_EQ(run.status, 5) << run.err;
  EXPECT_TRUE(Contains(run.err, "the statement on line 2 sent nothing and ended nothing")) << run.err;
  EXPECT_EQ(Count(run.out, "PC -> IFD :"), 1u);
}

TEST_F(TavricRunTest, AnAnswerThatDoesNotComeStallsTheRun) {
  CRun run = RunTool({"--plugins", TestPlugins("discovery"), "--board", "Board one", "--protocol", "Alpha", "--type",
                      "raw", "--timeout", "0.3", Script("silent.cmd", "* nobody answers\n01 02 03;\n")});
  EXPECT_EQ(run.status, 5) << run.err;
  EXPECT_TRUE(Contains(run.err, "no answer within 0.3 s to the statement on line 2")) << run.err;
  EXPECT_LT(run.ms, 20000);
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

TEST_F(TavricRunTest, CtrlCStopsCleanlyAndStillWritesTheLog) {
  QProcess process;
  process.setWorkingDirectory(RunFolder());
  const QString log = m_Dir.filePath("interrupted.log");
  process.start(RunFolder() + "/tavric-run", {"--loop", "--save-log=" + log, Script("loop.cmd", "30;\n")});
  ASSERT_TRUE(process.waitForStarted(10000));
  // Interrupt once the loop is surely going.
  std::string out;
  QElapsedTimer timer;
  timer.start();
  while (Count(out, "PC -> IFD :") < 3 && timer.elapsed() < 20000 && process.state() == QProcess::Running) {
    process.waitForReadyRead(1000);
    out += process.readAllStandardOutput().toStdString();
  }
  ASSERT_EQ(process.state(), QProcess::Running);
  ::kill(pid_t(process.processId()), SIGINT);
  ASSERT_TRUE(process.waitForFinished(20000));
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 130);
  EXPECT_TRUE(Contains(process.readAllStandardError().toStdString(), "tavric-run: interrupted"));
  QFile file(log);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_GT(Count(file.readAll().toStdString(), "PC -> IFD :"), 2u);
}
