// The real tavric-run, run as a user runs it, against the simulated reader and
// the test plug-ins.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "small_disk.h"
#include "tavric_run.h"
#include "tshark.h"

namespace {

using tvr_test::Contains;
using tvr_test::Count;
using tvr_test::CRun;
using tvr_test::RunFolder;
using tvr_test::RunTool;

// The test plug-ins, as the tests' main names them.
QString TestPlugins(const char* testCase) {
  return qEnvironmentVariable("TAVRIC_TEST_PLUGINS") + "/" + testCase;
}
std::string ReadWhole(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<unreadable>");
}
// CR LF line ends of a log made LF, as the terminal has them.
std::string WithLf(const std::string& text) {
  std::string lf;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf += text[i];
  return lf;
}
// The terminal got the log's text first, line for line.
void ExpectOutStartsWithLog(const std::string& out, const std::string& log) {
  EXPECT_EQ(out.compare(0, WithLf(log).size(), WithLf(log)), 0) << "log:\n" << log << "\nout:\n" << out;
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

// A run of the readers that fail at their third frame (tests/plugins/libs/
// faulty_boards.cpp): raw frames, the log written as it goes.
QStringList FaultyRun(const QString& board, const QString& log, const QString& script) {
  return {"--plugins", TestPlugins("faults"), "--board",           board, "--protocol", "Alpha", "--type",
          "raw",       "--no-colour",         "--save-log=" + log, script};
}

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

const std::string kFirmware = "PC -> IFD : GET FIRMWARE VERSION";

}  // namespace

// Every way a run ends that a scenario case cannot set up, with its exit
// status and what it says on stderr and stdout.
TEST_F(TavricRunTest, EachOutcomeHasItsExitStatusAndItsWords) {
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
  static constexpr std::size_t kAny = SIZE_MAX;
  struct CCase {
    QStringList args;
    int status;
    std::vector<std::string> err;                          // each found on stderr
    QString settings = {};                                 // empty: the tests' own
    std::vector<std::string> out = {};                     // each found on stdout
    std::pair<std::size_t, std::size_t> sent = {0, kAny};  // "PC -> IFD :" lines, from-to
    std::vector<std::string> gone = {};                    // found on neither
    QString dir = {};                                      // empty: the run folder
  };
  const CCase cases[] = {
      // A pipe as the log would block the run (the other files in the way of
      // the log, the capture and the report, and the script itself in their
      // place: the scenario cases run_log_*, run_pcap_*, run_junit_*); the
      // settings of --save: a folder or a pipe in their place, a full disk.
      {{"--save-log=" + fifo, script}, 7, {"could not be created"}},
      {{"--save", script}, 7, {"could not be saved"}, folder},
      {{"--save", script}, 7, {"could not be saved"}, fifo},
      {{"--save", script}, 7, {"No space left on device"}, disk.Unavailable().empty() ? full : ""},
      // No plug-in is needed for atr, whose text has LF line ends.
      {{"atr", "3b021450"},
       0,
       {},
       {},
       {"TS  - 0x3B\n         Direct Conv.\nT0   - 0x02\n         Nbr of histo bytes : 0x02\n"
        "Histo bytes : = 0x14 0x50 \n"},
       {0, 0},
       {"\r", "tavric-run"},
       m_Dir.path()},
      // The time bound ends a loop.
      {{"--loop", "--max-seconds", "0.3", script}, 0, {}, {}, {}, {11, kAny}},
      // Every frame is answered at once: with the trace off the short timeout never fires.
      {{"--loop", "--timeout", "0.2", "--max-seconds", "1.2", "--no-colour",
        Script("quiet.cmd", ".command;\n.trace(off);\n30;\n")},
       0,
       {},
       {},
       {},
       {0, kAny},
       {"stalled"}},
  };
  const QByteArray previous = qgetenv("TAVRIC_SETTINGS");
  for (const CCase& c : cases) {
    if (c.args.contains("--save") && c.settings.isEmpty()) continue;  // no small disk here
    SCOPED_TRACE(c.args.join(' ').toStdString() + " " + c.settings.toStdString());
    if (!c.settings.isEmpty()) qputenv("TAVRIC_SETTINGS", c.settings.toLocal8Bit());
    const CRun run = RunTool(c.args, c.dir.isEmpty() ? RunFolder() : c.dir);
    qputenv("TAVRIC_SETTINGS", previous);
    EXPECT_EQ(run.status, c.status) << run.err;
    for (const std::string& said : c.err) EXPECT_TRUE(Contains(run.err, said)) << run.err;
    for (const std::string& shown : c.out) EXPECT_TRUE(Contains(run.out, shown)) << run.out;
    for (const std::string& gone : c.gone) EXPECT_FALSE(Contains(run.out + run.err, gone)) << run.out << run.err;
    const std::size_t sent = Count(run.out, "PC -> IFD :");
    EXPECT_TRUE(sent >= c.sent.first && sent <= c.sent.second) << sent << " sent\n" << run.out;
  }
  EXPECT_EQ(ReadWhole(script), "30;\n");
  if (disk.Unavailable().empty()) {
    EXPECT_EQ(ReadWhole(full), bench);
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

// A run that names its board and protocol opens their files alone, unless
// they do not provide both: then every plug-in, and the lists of the error
// are those of a full search (the test folder's first, then the run folder's).
TEST_F(TavricRunTest, ARunOpensTheFilesOfTheBoardAndProtocolItNamesAndTheRestOnlyWhenTheyDoNotDo) {
  setenv("TAVRIC_PLUGIN_DEBUG", "1", 1);
  // A script that asks for a cyphering, in any letter case, needs its plug-in too.
  Script("cypher.cmd", "// .3DES(08,10,404142434445464748494A4B4C4D4E4F);\n");
  const struct {
    const char* protocol;
    const char* script;
    bool all;
    const char* error;
  } cases[] = {{"Alpha", "none.cmd", false, "cannot read the script file"},
               {"Beta", "none.cmd", true, "cannot read the script file"},  // proalpha.so's, but not by its name
               {"Nope", "none.cmd", true, "no protocol 'Nope' (found: Alpha, Beta, "},
               {"Alpha", "cypher.cmd", true, ""}};
  for (const auto& c : cases) {
    const CRun run = RunTool(
        {"--plugins", TestPlugins("faults"), "--board", "rack", "--protocol", c.protocol, m_Dir.filePath(c.script)});
    EXPECT_NE(run.status, 0) << c.protocol;
    EXPECT_TRUE(Contains(run.err, "brdrack.so: loaded") && Contains(run.err, "proalpha.so: loaded")) << run.err;
    EXPECT_EQ(Contains(run.err, "brdfaulty.so: loaded"), c.all) << run.err;
    EXPECT_TRUE(Contains(run.err, c.error)) << run.err;
  }
  unsetenv("TAVRIC_PLUGIN_DEBUG");
}

// Peak memory of the whole process, a run against one ten times as long: a
// kept trace would grow by well over 100 bytes a statement. The streamed log
// and the file of .save have every statement although memory kept a tail.
TEST_F(TavricRunTest, LongLoopsKeepTheirMemoryFlatAndEveryStatementInTheirLog) {
#ifdef __SANITIZE_ADDRESS__
  // The address sanitizer holds freed memory in its quarantine (256 MB), so
  // the peak of a sanitized process measures the quarantine, not the trace.
  GTEST_SKIP() << "peak memory is not the program's own under the address sanitizer";
#endif
  std::string loop;
  for (int i = 0; i < 999; ++i) loop += "30;\n";
  Script("saved.cmd", loop + ".save;\n");  // the bound ends the run on a .save
  Script("long.cmd", "30;\n");
  const struct {
    const char* script;
    std::vector<std::string> options;
    long long statements;  // of the long run; the short one has a tenth
    std::size_t logged;
    const char* log;
  } cases[] = {{"long.cmd", {"--save-log=long.log"}, 200000, 200000, "long.log"},
               {"saved.cmd", {}, 100000, 99900, "saved.log"}};
  const std::string program = (RunFolder() + "/tavric-run").toStdString();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    auto peak = [&](long long statements) {
      std::vector<std::string> args = {program,  "--plugins",        RunFolder().toStdString(),
                                       "--loop", "--no-colour",      "--keep",
                                       "1000",   "--max-statements", std::to_string(statements)};
      args.insert(args.end(), c.options.begin(), c.options.end());
      args.push_back(c.script);
      return PeakKilobytes(args, m_Dir.path().toStdString());
    };
    const long shortRun = peak(c.statements / 10);
    const long longRun = peak(c.statements);
    ASSERT_GT(shortRun, 0);
    ASSERT_GT(longRun, 0);
    EXPECT_LT(longRun - shortRun, 6 * 1024) << shortRun << " kB, then " << longRun << " kB";
    EXPECT_EQ(Count(ReadWhole(m_Dir.filePath(c.log)), kFirmware + "\r\n"), c.logged);
  }
}

// A plug-in that crashes the program: the runner's handler writes the trace so
// far (the other early ends, whose output does not depend on a sanitizer:
// the scenario cases run_*_board).
TEST_F(TavricRunTest, ACrashInAPlugInKeepsTheTraceUpToTheFault) {
#ifdef __SANITIZE_ADDRESS__
  // The address sanitizer would take the crash for its own report instead of
  // leaving it to the runner's handler.
  qputenv("ASAN_OPTIONS", qgetenv("ASAN_OPTIONS") + ":handle_segv=0");
#endif
  const QString log = m_Dir.filePath("faulty.log");
  const CRun run = RunTool(FaultyRun("Crashing board", log, Script("five.cmd", "01;\n02;\n03;\n04;\n05;\n")));
  EXPECT_EQ(run.status, -1) << "ended by the signal of the crash";
  EXPECT_TRUE(Contains(run.err, "tavric-run: fatal signal SIGSEGV: the trace so far is written\n")) << run.err;
  // The log holds the trace as it was when the fault came, to its last line,
  // and the terminal got the same.
  const std::string text = ReadWhole(log);
  EXPECT_EQ(Count(text, " taken\r\n"), 2u) << text;
  EXPECT_TRUE(text.size() > 15 && text.substr(text.size() - 15) == "frame 2 taken\r\n") << text;
  ExpectOutStartsWithLog(run.out, text);
}

// The lines one reader printed in a run over several, its prefix taken off.
std::string LinesOf(const std::string& out, const std::string& reader) {
  const std::string prefix = "[" + reader + "] ";
  std::string lines;
  for (std::size_t at = 0; at < out.size();) {
    const std::size_t end = std::min(out.find('\n', at), out.size() - 1);
    if (out.compare(at, prefix.size(), prefix) == 0)
      lines += out.substr(at + prefix.size(), end + 1 - at - prefix.size());
    at = end + 1;
  }
  return lines;
}

// A rack of readers in one run, chosen by a name pattern: each reader's own
// trace, log and end, and the worst status. Of the rack board's readers
// (tests/plugins/libs/rack_board.cpp), "bench 3" errs and "bench 4" vanishes
// at their third frame, while the steady ones take all five.
TEST_F(TavricRunTest, ARackOfReadersRunsAtOnceAndAReaderThatFailsStopsOnlyItself) {
  const QString script = Script("five.cmd", "01;\n02;\n03;\n04;\n05;\n");
  const QString report = m_Dir.filePath("rack.xml");
  const CRun run = RunTool(QStringList{"--all-readers=bench*", "--junit", report} +
                           FaultyRun("Rack of readers", m_Dir.filePath("rack.log"), script));
  // The reader error (6) comes first, the reader lost (4) is the worse.
  EXPECT_EQ(run.status, 4) << run.err;
  EXPECT_TRUE(Contains(run.err, "tavric-run: bench 4 vanishing: the reader was disconnected\n")) << run.err;
  EXPECT_TRUE(Contains(run.err,
                       "tavric-run: bench 3 erring: the run ended early on a reader error, at the "
                       "statement on line 3\n"))
      << run.err;
  EXPECT_FALSE(Contains(run.out, "spare")) << "the pattern leaves it out";
  const struct {
    const char* reader;
    const char* log;
    std::size_t taken;
  } expected[] = {{"bench 1 steady", "rack-bench_1_steady.log", 5},
                  {"bench 2 steady", "rack-bench_2_steady.log", 5},
                  {"bench 4 vanishing", "rack-bench_4_vanishing.log", 2},
                  {"bench 3 erring", "rack-bench_3_erring.log", 3}};
  for (const auto& e : expected) {
    const std::string log = ReadWhole(m_Dir.filePath(e.log));
    EXPECT_EQ(Count(log, " taken by " + std::string(e.reader) + "\r\n"), e.taken) << log;
    EXPECT_EQ(Count(log, " taken by "), e.taken) << "only its own reader's lines";
    ExpectOutStartsWithLog(LinesOf(run.out, e.reader), log);
  }
  // One suite a reader; the two that did not end well have an error case that says why.
  const std::string judged = ReadWhole(report);
  EXPECT_EQ(Count(judged, "<testsuite "), 4u) << judged;
  EXPECT_EQ(Count(judged, "<error "), 2u) << judged;
  EXPECT_TRUE(Contains(judged, "message=\"exit status 4: the reader was disconnected\"")) << judged;
  EXPECT_TRUE(Contains(judged,
                       "message=\"exit status 6: the run ended early on a reader error, at the statement on "
                       "line 3\""))
      << judged;
}

// Four simulated readers at once, each with its own verdict line and suite,
// named by their documents' titles (each reader's own log: the rack's test
// above). A fault on cue for the third only:
// it is disconnected at its second frame and stops alone; the others meet
// every expectation, and the run ends with the disconnection's status.
TEST_F(TavricRunTest, FourSimulatedReadersEachEndWithTheirOwnVerdicts) {
  const QString script = Script("farm.cmd", ".command;\n30;\n.expect(60 00 0D 30 \"VRT-SIM\" *);\n30;\n.expect_ok;\n");
  const QString report = m_Dir.filePath("farm.xml");
  const CRun run =
      RunTool({"--readers", "4", "--no-colour", "--sim-fault", "Sim3=disconnect@2", "--junit", report, script});
  EXPECT_EQ(run.status, 4) << run.err;
  EXPECT_TRUE(Contains(run.err, "tavric-run: Sim3: the reader was disconnected\n")) << run.err;
  EXPECT_EQ(Count(run.err, "tavric-run: "), 1u) << "the other readers end well: " << run.err;
  const std::string judged = ReadWhole(report);
  EXPECT_TRUE(Contains(judged, "<testsuites name=\"tavric-run\" tests=\"8\" failures=\"0\" errors=\"1\"")) << judged;
  for (const char* reader : {"Sim1", "Sim2", "Sim3", "Sim4"}) {
    SCOPED_TRACE(reader);
    const bool faulty = std::string(reader) == "Sim3";
    const std::string lines = LinesOf(run.out, reader);
    EXPECT_TRUE(Contains(lines, faulty ? "\n1 expectation: 1 met, 0 failed\n" : "\n2 expectations: 2 met, 0 failed\n"))
        << lines;
    EXPECT_TRUE(Contains(judged, "<testsuite name=\"" + std::string(reader) +
                                     "\" tests=\"2\" failures=\"0\" errors=\"" + (faulty ? "1" : "0") + "\""))
        << judged;
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
    const QString report = m_Dir.filePath("signalled.xml");
    // Its second expectation fails every round: the report says so, up to the signal.
    process.start(RunFolder() + "/tavric-run", {"--loop", "--save-log=" + log, "--junit", report,
                                                Script("loop.cmd", "30;\n.expect_ok;\n.expect(61 *);\n")});
    // Signalled once the loop is surely going.
    std::string out;
    while (Count(out, "PC -> IFD :") < 3 && process.waitForReadyRead(20000))
      out += process.readAllStandardOutput().toStdString();
    tvr_test::Signal(process, c.signal);
    const CRun run = tvr_test::Finish(process, out);
    EXPECT_EQ(run.status, c.status);
    EXPECT_TRUE(Contains(run.err, c.err)) << run.err;
    const std::string text = ReadWhole(log);
    EXPECT_GT(Count(text, "PC -> IFD :"), 2u);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << text;
    ExpectOutStartsWithLog(run.out, text);
    const std::string judged = ReadWhole(report), mismatches = std::to_string(Count(text, "MISMATCH  :"));
    // The two expectations, and the run itself as an error: it was stopped.
    EXPECT_EQ(Count(judged, "<testcase "), 3u) << judged;
    EXPECT_TRUE(Contains(
        judged, "exit status " + std::to_string(c.status) + ": stopped by signal " + std::to_string(c.status - 128)))
        << judged;
    EXPECT_TRUE(Contains(judged, "failed " + mismatches + " of " + mismatches + " checks")) << judged;
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
    tvr_test::Signal(process, SIGINT);
    process.waitForFinished(100);
  }
  ASSERT_EQ(process.state(), QProcess::NotRunning);
  EXPECT_EQ(process.exitStatus(), QProcess::CrashExit) << "ended by the signal";
  EXPECT_TRUE(Contains(process.readAllStandardError().toStdString(), "a second signal: the program ends at once"));
  EXPECT_EQ(Count(ReadWhole(log), " taken\r\n"), 2u);
}

// --pcap: the capture of an APDU script read back by tshark. The APDUs are
// decoded by its ISO 7816 dissector, in the order sent, commands sent and
// responses received, stamped on the monotonic clock of the run's time.
TEST_F(TavricRunTest, APcapIsReadByTsharkWithTheApdusDecodedAndTheReaderFramesAsData) {
  if (const std::string missing = tvr_test::TsharkMissing(); !missing.empty()) GTEST_SKIP() << missing;
  const QString script = Script("apdu.cmd",
                                "FF 10 00 00;\n"           // power up: the answer to reset
                                "00 A4 00 00 02 2F 01;\n"  // SELECT 2F01: 61 0D
                                "00 C0 00 00 0D;\n"        // GET RESPONSE: the FCI, 90 00
                                "00 A4 00 0C 02 12 34;\n"  // SELECT an unknown file: 6A 82
                                "FF 11 00 00;\n");         // power down: an empty answer, no packet
  const QString pcap = m_Dir.filePath("apdu.pcapng");
  const auto before = std::chrono::steady_clock::now().time_since_epoch();
  const CRun run = RunTool({"--no-colour", "--protocol", "PC/SC", "--pcap", pcap, script});
  const auto after = std::chrono::steady_clock::now().time_since_epoch();
  ASSERT_EQ(run.status, 0) << run.err;

  const auto rows = tvr_test::TsharkFields(
      pcap.toStdString(), {"exported_pdu.p2p_dir", "iso7816.apdu.cla", "iso7816.apdu.ins", "iso7816.apdu.sw1",
                           "iso7816.apdu.sw2", "_ws.col.Info", "frame.time_epoch"});
  std::vector<std::vector<std::string>> decoded;
  for (const auto& row : rows) decoded.emplace_back(row.begin(), row.end() - 1);
  using Row = std::vector<std::string>;
  EXPECT_EQ(decoded, (std::vector<Row>{
                         // Class FF is no card's: the dissector names neither instruction nor command.
                         {"0", "0xff", "", "", "", ""},
                         {"1", "", "", "", "", "ATR, TA(1)=True TB(1)=True TC(1)=True TD(1)=False"},
                         {"0", "0x00", "0xa4", "", "", "Select file"},
                         {"1", "", "", "0x61", "0x0d", "Response APDU (to Select file)"},
                         {"0", "0x00", "0xc0", "", "", "Get response"},
                         {"1", "", "", "0x90", "0x00", "Response APDU (to Get response)"},
                         {"0", "0x00", "0xa4", "", "", "Select file"},
                         {"1", "", "", "0x6a", "0x82", "Response APDU (to Select file)"},
                         {"0", "0xff", "", "", "", ""},
                     }));
  // Seconds on the monotonic clock, between the run's start and its end, never going back.
  const double from = std::chrono::duration<double>(before).count(), to = std::chrono::duration<double>(after).count();
  double last = from;
  for (const auto& row : rows) {
    const double at = std::stod(row.back());
    EXPECT_LE(last, at) << row.back();
    last = at;
  }
  EXPECT_LE(last, to);

  // The frames of a reader protocol are raw data, each with its protocol's
  // name in the packet comment, in both directions.
  const QString frames = m_Dir.filePath("verta.pcapng");
  const CRun verta = RunTool({"--no-colour", "--pcap", frames, Script("verta.cmd", "30;\n20 01;\n")});
  ASSERT_EQ(verta.status, 0) << verta.err;
  EXPECT_EQ(tvr_test::TsharkFields(frames.toStdString(), {"exported_pdu.p2p_dir", "data.data", "frame.comment"}),
            (std::vector<Row>{
                {"0", "4000013071", "Verta"},
                {"1", "60000d305652542d53494d20322e30344f", "Verta"},
                {"0", "400002200163", "Verta"},
                {"1", "600002200143", "Verta"},
            }));
}
