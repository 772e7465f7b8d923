// A rack of simulated readers in one tavric-run: statements per second with
// 1, 2, 4 and 8 readers that each take 2 ms to answer, looping the same
// script, the scaling against one reader, and the resident memory over the
// run per reader document.
//
// Each figure is one real tavric-run process (--board sim --readers N --loop
// --max-seconds S, the simulated reader's latency set by
// TAVRIC_SIM_LATENCY_MS), its trace printed to /dev/null as a terminal would
// get it. The statements are counted from its --stats-csv files (one per
// reader: each answered statement once), and divided by S: the time bound
// starts with the run, after the readers are connected. The process's
// resident memory is read from /proc every 100 ms; what it holds at a
// quarter of the run and at its end, and the growth between, per document,
// show whether a document's memory stays flat. Each document keeps the
// newest 1000 trace records (--keep 1000), a tail that is full well before
// the first quarter's sample, so what grows after it would be a leak.
//
// One host thread, N readers: the host's share of a statement is small next
// to 2 ms, so N readers should come close to N times one reader's rate.
//
// Run from the run folder (build/bin), where tavric-run and the plug-ins are:
//   ./farm_throughput [seconds per run, default 5] [most readers, default 8]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <QTemporaryDir>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kLatencyMs = "2";
// Ten reader commands of the Verta link: GET FIRMWARE VERSION.
constexpr const char* kScript = ".command;\n30;\n30;\n30;\n30;\n30;\n30;\n30;\n30;\n30;\n30;\n";

long ResidentKilobytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

// The answered statements of one reader's --stats-csv: the sum of its counts.
long long StatementsIn(const std::string& csv) {
  std::ifstream file(csv);
  std::string line;
  long long total = 0;
  std::getline(file, line);  // the header
  while (std::getline(file, line)) {
    const std::size_t comma = line.find(',');
    if (comma != std::string::npos) total += std::atoll(line.c_str() + comma + 1);
  }
  return total;
}

struct CFigures {
  bool m_bRan = false;
  double m_dStatementsPerSecond = 0;
  long m_nEarlyKb = -1;  // at a quarter of the run
  long m_nEndKb = -1;    // at its end
};

CFigures Run(int readers, double seconds, const QTemporaryDir& dir) {
  const std::string script = dir.filePath("farm.cmd").toStdString();
  std::ofstream(script) << kScript;
  const std::string csv = dir.filePath("farm.csv").toStdString();
  const std::string seconds_text = std::to_string(seconds);
  std::vector<std::string> args = {
      "./tavric-run", "--board",     "sim",    "--readers", std::to_string(readers), "--loop", "--max-seconds",
      seconds_text,   "--no-colour", "--keep", "1000",      "--stats-csv",           csv,      script};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  setenv("TAVRIC_SIM_LATENCY_MS", kLatencyMs, 1);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  CFigures f;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return f;
  }
  posix_spawn_file_actions_destroy(&actions);

  // The readers connect first: the run's time is counted from the first
  // sample that finds the process grown past its start-up.
  const Clock::time_point start = Clock::now();
  const auto quarter = start + std::chrono::duration<double>(seconds / 4 + 0.5);
  int status = 0;
  for (;;) {
    const long kb = ResidentKilobytes(pid);
    if (kb > 0) {
      if (f.m_nEarlyKb < 0 && Clock::now() >= quarter) f.m_nEarlyKb = kb;
      f.m_nEndKb = kb;
    }
    if (waitpid(pid, &status, WNOHANG) == pid) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "farm_throughput: tavric-run with %d readers ended with status %d\n", readers,
                 WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return f;
  }
  long long statements = 0;
  for (int i = 1; i <= readers; ++i)
    statements +=
        StatementsIn(readers == 1 ? csv : dir.filePath("farm-Sim" + QString::number(i) + ".csv").toStdString());
  f.m_bRan = true;
  f.m_dStatementsPerSecond = double(statements) / seconds;
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
  if (seconds <= 0) seconds = 5.0;
  const int most = argc > 2 ? std::atoi(argv[2]) : 8;
  QTemporaryDir dir;
  setenv("TAVRIC_SETTINGS", dir.filePath("bench.ini").toLocal8Bit().constData(), 1);

  std::printf("readers   statements/s   per reader   scaling   RSS at 1/4    RSS at end   growth/document\n");
  double one = 0;
  bool all = true;
  for (int readers = 1; readers <= most; readers *= 2) {
    const CFigures f = Run(readers, seconds, dir);
    if (!f.m_bRan) {
      all = false;
      continue;
    }
    if (readers == 1) one = f.m_dStatementsPerSecond;
    std::printf("%7d %14.0f %12.0f %8.2fx %10ld kB %10ld kB %+12.1f kB\n", readers, f.m_dStatementsPerSecond,
                f.m_dStatementsPerSecond / readers, one > 0 ? f.m_dStatementsPerSecond / one : 0.0, f.m_nEarlyKb,
                f.m_nEndKb, f.m_nEarlyKb >= 0 ? double(f.m_nEndKb - f.m_nEarlyKb) / readers : 0.0);
    std::fflush(stdout);
  }
  std::printf("(each reader answers after %s ms; %g s per run; the host is one thread)\n", kLatencyMs, seconds);
  return all ? 0 : 1;
}
