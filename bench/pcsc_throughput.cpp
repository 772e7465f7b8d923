// The PC/SC board's cost per APDU, as tavric-run runs a script through it,
// against a bare SCardTransmit loop on the same virtual card, in the same run,
// beside scriptor (pcsc-tools) on the same APDUs; and the time from each
// program's start to its first APDU and to its exit on a one-APDU script.
//
// All loops are timed from the card's side: tavric-vcard --stamps prints when
// each APDU arrives, so they are measured by one clock at one place, and a
// client's start-up and exit stay out of its per-APDU figure. Each round runs
// the bare loop, then tavric-run (a new process, its trace written to a file),
// then scriptor, so that the load of the machine at that moment weighs on all
// alike.
//
// The PC/SC stack is a private one (tools/pcsc-stack.sh), which needs root.
// Run from the run folder (build/bin), where tavric-run and the plug-ins are:
//   ./pcsc_throughput [APDUs per loop, default 2000] [rounds, default 5]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <winscard.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <QTemporaryDir>

#include "pcsc_stack.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// SELECT of the master file without an answer of data: the card says 90 00.
const BYTE SELECT_MF[] = {0x00, 0xA4, 0x00, 0x0C, 0x02, 0x3F, 0x00};
const char* const SELECT_MF_LINE = "00 A4 00 0C 02 3F 00";
// The peer in the field that runs a script of APDUs (pcsc-tools).
const char* const SCRIPTOR = "/usr/bin/scriptor";
const char* const READER = "Virtual PCD 00 00";

long long NowMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}

// The card's stamps, in microseconds of the monotonic clock, in order.
std::vector<long long> Stamps(const CTVRPcscStack& stack) {
  std::vector<long long> stamps;
  std::istringstream in(stack.GetCardLog());
  std::string word;
  long long us = 0;
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    if (fields >> word >> us && word == "apdu") stamps.push_back(us);
  }
  return stamps;
}

struct CLoop {
  std::string m_strError;       // empty: the figures hold
  double m_dMicrosPerApdu = 0;  // between the first and the last APDU's arrival
  // The median gap between two APDUs: what a loop costs when nothing else
  // on the machine takes its processor away.
  double m_dMedianMicros = 0;
  double m_dFirstMillis = 0;  // from the start to the first APDU (tavric-run only)
};

// The APDUs that arrived since `before` stamps: their spacing.
bool Spacing(const CTVRPcscStack& stack, std::size_t before, std::size_t expected, CLoop& loop,
             std::vector<long long>& stamps) {
  stamps = Stamps(stack);
  if (stamps.size() < before || stamps.size() - before != expected) {
    loop.m_strError =
        "the card saw " + std::to_string(stamps.size() - before) + " APDUs instead of " + std::to_string(expected);
    return false;
  }
  stamps.erase(stamps.begin(), stamps.begin() + long(before));
  loop.m_dMicrosPerApdu = double(stamps.back() - stamps.front()) / double(expected - 1);
  std::vector<long long> gaps;
  for (std::size_t i = 1; i < stamps.size(); ++i) gaps.push_back(stamps[i] - stamps[i - 1]);
  std::nth_element(gaps.begin(), gaps.begin() + long(gaps.size() / 2), gaps.end());
  loop.m_dMedianMicros = double(gaps[gaps.size() / 2]);
  return true;
}

CLoop BareLoop(const CTVRPcscStack& stack, int apdus) {
  CLoop loop;
  const std::size_t before = Stamps(stack).size();
  SCARDCONTEXT context = 0;
  SCARDHANDLE card = 0;
  DWORD protocol = 0;
  LONG rv = SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &context);
  if (rv == SCARD_S_SUCCESS)
    rv = SCardConnect(context, READER, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &card, &protocol);
  const SCARD_IO_REQUEST* pci = protocol == SCARD_PROTOCOL_T1 ? SCARD_PCI_T1 : SCARD_PCI_T0;
  BYTE response[258];
  for (int i = 0; i < apdus && rv == SCARD_S_SUCCESS; ++i) {
    DWORD length = sizeof response;
    rv = SCardTransmit(card, pci, SELECT_MF, sizeof SELECT_MF, nullptr, response, &length);
    if (rv == SCARD_S_SUCCESS && (length != 2 || response[0] != 0x90 || response[1] != 0x00))
      rv = SCARD_F_UNKNOWN_ERROR;
  }
  if (card) SCardDisconnect(card, SCARD_LEAVE_CARD);
  if (context) SCardReleaseContext(context);
  if (rv != SCARD_S_SUCCESS) {
    loop.m_strError = std::string("bare loop: ") + pcsc_stringify_error(rv);
    return loop;
  }
  std::vector<long long> stamps;
  Spacing(stack, before, std::size_t(apdus), loop, stamps);
  return loop;
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Runs the program with its output in `out`; its exit status, -1 when it
// could not start or did not exit. cpuMillis: the processor time it used.
// scriptor's notes on stderr ("Using given file: ...") are left out.
int Spawn(std::vector<std::string> args, const std::string& out, long long& start, double* cpuMillis = nullptr) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (args.front() == SCRIPTOR) posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  start = NowMicros();
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  if (cpuMillis != nullptr)
    *cpuMillis = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                 double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The floor under any start-up: the same program loaded and run to its end
// without plug-ins, reader or script (its help text).
double HelpMillis(const std::string& runFolder, const std::string& out) {
  long long start = 0;
  Spawn({runFolder + "/tavric-run", "--help"}, out, start);
  return double(NowMicros() - start) / 1000.0;
}

// A client run on a script of `apdus` APDUs, which it must show answered
// (`answered` once per APDU in its output): its spacing at the card and the
// time from its start to the first APDU.
CLoop ClientLoop(const CTVRPcscStack& stack, const std::vector<std::string>& args, const std::string& out, int apdus,
                 const std::string& answered) {
  CLoop loop;
  const std::size_t before = Stamps(stack).size();
  long long start = 0;
  const int status = Spawn(args, out, start);
  if (status != 0) {
    loop.m_strError = args.front() + " ended with status " + std::to_string(status);
    return loop;
  }
  std::ifstream in(out);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (Count(text, answered) != std::size_t(apdus)) {
    loop.m_strError = args.front() + " does not show " + std::to_string(apdus) + " answers 90 00";
    return loop;
  }
  std::vector<long long> stamps;
  if (Spacing(stack, before, std::size_t(apdus), loop, stamps))
    loop.m_dFirstMillis = double(stamps.front() - start) / 1000.0;
  return loop;
}

struct COneApdu {
  std::string m_strError;
  double m_dFirstMillis = 0;  // from the start to the APDU's arrival
  double m_dRunMillis = 0;    // from the start to the exit
  double m_dCpuMillis = 0;    // all the processor time the run took
};

// One APDU: the start to it, the start to the exit, and all the processor
// time the run took, which bounds what the start costs on an idle machine.
COneApdu OneApdu(const CTVRPcscStack& stack, const std::vector<std::string>& args, const std::string& out) {
  COneApdu one;
  const std::size_t before = Stamps(stack).size();
  long long start = 0;
  const int status = Spawn(args, out, start, &one.m_dCpuMillis);
  one.m_dRunMillis = double(NowMicros() - start) / 1000.0;
  const std::vector<long long> stamps = Stamps(stack);
  if (status != 0 || stamps.size() != before + 1) {
    one.m_strError = args.front() + ": the run of one APDU failed (status " + std::to_string(status) + ")";
    return one;
  }
  one.m_dFirstMillis = double(stamps.back() - start) / 1000.0;
  return one;
}

struct CSpread {
  double m_dMin, m_dMedian, m_dMax;
};

CSpread Spread(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  return {values.front(), median, values.back()};
}

std::string RunFolder() {
  char path[4096];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  const std::string exe(path, std::size_t(n));
  return exe.substr(0, exe.rfind('/'));
}

}  // namespace

int main(int argc, char** argv) {
  const int apdus = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

  CTVRPcscStack stack;
  const std::string why = stack.Start();
  if (!why.empty()) {
    std::fprintf(stderr, "pcsc_throughput: no PC/SC stack: %s\n", why.c_str());
    return 3;
  }
  if (!stack.InsertCard(CTVRPcscStack::READER0_PORT, "--stamps")) {
    std::fprintf(stderr, "pcsc_throughput: the virtual card did not start\n");
    return 3;
  }
  stack.UseInThisProcess();

  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  const std::string script = folder + "/select.cmd", one = folder + "/one.cmd";
  const std::string scriptorScript = folder + "/select.scriptor", scriptorOne = folder + "/one.scriptor";
  const std::string trace = folder + "/select.trace";
  {
    std::ofstream out(script), scriptorOut(scriptorScript);
    for (int i = 0; i < apdus; ++i) {
      out << SELECT_MF_LINE << ";\n";
      scriptorOut << SELECT_MF_LINE << "\n";
    }
    std::ofstream(one) << SELECT_MF_LINE << ";\n";
    std::ofstream(scriptorOne) << SELECT_MF_LINE << "\n";
  }
  // Settings of the benchmark's own, so that no stored document interferes.
  ::setenv("TAVRIC_SETTINGS", (folder + "/bench.ini").c_str(), 1);

  const std::string runFolder = RunFolder();
  const auto tavricRun = [&](const std::string& file) {
    return std::vector<std::string>{runFolder + "/tavric-run",
                                    "--plugins",
                                    runFolder,
                                    "--board",
                                    "pcsc",
                                    "--protocol",
                                    "PC/SC",
                                    "--no-colour",
                                    "--reader",
                                    READER,
                                    file};
  };
  const auto scriptor = [&](const std::string& file) { return std::vector<std::string>{SCRIPTOR, "-r", READER, file}; };
  const bool withScriptor = ::access(SCRIPTOR, X_OK) == 0;
  std::printf("%d APDUs (SELECT 3F00, answer 90 00) per loop, %d rounds, timed at the card\n", apdus, rounds);
  std::printf("us/APDU: the median gap between two APDUs (and the mean from the first to the last)\n");
  std::printf("ms: start to first APDU and start to exit of a one-APDU run; help: tavric-run --help\n");
  if (!withScriptor) std::printf("%s is not installed: its columns stay 0\n", SCRIPTOR);
  std::printf("%-5s %13s %13s %13s %6s %6s %11s %11s %5s %5s\n", "round", "bare med/mean", "host med/mean",
              "scrp med/mean", "host", "scrp", "host 1st/run", "scrp 1st/run", "help", "cpu");
  std::vector<double> bare, host, scrip, ratio, scripRatio, bareMedian, hostMedian, scripMedian, ratioMedian,
      scripRatioMedian, first, run, scripFirst, scripRun, help, cpu;
  const auto fail = [](int round, const std::string& error) {
    std::fprintf(stderr, "pcsc_throughput: round %d: %s\n", round, error.c_str());
    return 1;
  };
  for (int round = 1; round <= rounds; ++round) {
    // The three loops back to back, so that the load of the moment weighs on all alike.
    const CLoop b = BareLoop(stack, apdus);
    if (!b.m_strError.empty()) return fail(round, b.m_strError);
    const CLoop h = ClientLoop(stack, tavricRun(script), trace, apdus, "IFD -> PC : NORMAL PROCESSING");
    if (!h.m_strError.empty()) return fail(round, h.m_strError);
    CLoop s;
    if (withScriptor) s = ClientLoop(stack, scriptor(scriptorScript), trace, apdus, "< 90 00 : Normal processing.");
    if (!s.m_strError.empty()) return fail(round, s.m_strError);
    help.push_back(HelpMillis(runFolder, trace));
    const COneApdu o = OneApdu(stack, tavricRun(one), trace);
    if (!o.m_strError.empty()) return fail(round, o.m_strError);
    COneApdu so;
    if (withScriptor) so = OneApdu(stack, scriptor(scriptorOne), trace);
    if (!so.m_strError.empty()) return fail(round, so.m_strError);
    cpu.push_back(o.m_dCpuMillis);
    bare.push_back(b.m_dMicrosPerApdu);
    host.push_back(h.m_dMicrosPerApdu);
    scrip.push_back(s.m_dMicrosPerApdu);
    ratio.push_back(h.m_dMicrosPerApdu / b.m_dMicrosPerApdu);
    scripRatio.push_back(s.m_dMicrosPerApdu / b.m_dMicrosPerApdu);
    bareMedian.push_back(b.m_dMedianMicros);
    hostMedian.push_back(h.m_dMedianMicros);
    scripMedian.push_back(s.m_dMedianMicros);
    ratioMedian.push_back(h.m_dMedianMicros / b.m_dMedianMicros);
    scripRatioMedian.push_back(s.m_dMedianMicros / b.m_dMedianMicros);
    first.push_back(h.m_dFirstMillis);
    first.push_back(o.m_dFirstMillis);
    run.push_back(o.m_dRunMillis);
    scripFirst.push_back(so.m_dFirstMillis);
    scripRun.push_back(so.m_dRunMillis);
    std::printf("%-5d %6.1f/%-6.1f %6.1f/%-6.1f %6.1f/%-6.1f %6.3f %6.3f %5.1f/%-5.1f %5.1f/%-5.1f %5.1f %5.1f\n",
                round, bareMedian.back(), bare.back(), hostMedian.back(), host.back(), scripMedian.back(), scrip.back(),
                ratioMedian.back(), scripRatioMedian.back(), o.m_dFirstMillis, o.m_dRunMillis, so.m_dFirstMillis,
                so.m_dRunMillis, help.back(), cpu.back());
    std::fflush(stdout);
  }
  const auto line = [](const char* name, const std::vector<double>& values, const char* unit) {
    const CSpread s = Spread(values);
    std::printf("%-38s %9.3f %9.3f %9.3f %s\n", name, s.m_dMin, s.m_dMedian, s.m_dMax, unit);
  };
  std::printf("%-38s %9s %9s %9s\n", "over the rounds", "min", "median", "max");
  line("bare SCardTransmit loop, median", bareMedian, "us/APDU");
  line("tavric-run, PC/SC board, median", hostMedian, "us/APDU");
  line("scriptor, median", scripMedian, "us/APDU");
  line("tavric-run: ratio of the medians", ratioMedian, "");
  line("scriptor: ratio of the medians", scripRatioMedian, "");
  line("bare SCardTransmit loop, mean", bare, "us/APDU");
  line("tavric-run, PC/SC board, mean", host, "us/APDU");
  line("scriptor, mean", scrip, "us/APDU");
  line("tavric-run: ratio of the means", ratio, "");
  line("scriptor: ratio of the means", scripRatio, "");
  line("tavric-run start to first APDU", first, "ms");
  line("scriptor start to first APDU", scripFirst, "ms");
  line("tavric-run one-APDU run, start to exit", run, "ms");
  line("scriptor one-APDU run, start to exit", scripRun, "ms");
  line("tavric-run --help start to end", help, "ms");
  line("tavric-run one-APDU run, processor", cpu, "ms");
  double load[3] = {0, 0, 0};
  if (::getloadavg(load, 3) > 0) std::printf("load average at the end: %.2f %.2f %.2f\n", load[0], load[1], load[2]);
  return 0;
}
