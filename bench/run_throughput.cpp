// Statements per second of a long free run in loop mode, and the memory each
// kept trace record costs beyond its bytes.
//
// Four runs of the same loop script (".info" once, then 99 Verta loopback
// commands of 8 data bytes), each for a fixed time:
//   echo board, trace on / off: a board of this program that answers every
//     frame with a ready-made answer, posted like a real link would. What is
//     measured is the host's own cost per statement: interpreter, framing,
//     the answer decoder, trace records, and the two messages of the cycle.
//   echo board, trace on, each command followed by two expectations on its
//     answer (".expect(60 00 ?? 40 *)" and ".expect_ok"), all met: the
//     figure per command, its expectations included, against the first run's;
//     and the same with every check collected for a report (tavric-run --junit).
//   simulated reader (brdsim.so), trace on: the same with the reader firmware
//     in software behind the board, for comparison.
// The firmware alone is timed too, so its share of the last figure shows, and
// the two readings of the monotonic clock that a timed answer costs at the
// board's edge, so that the host's own share of timing shows.
//
// Run from the run folder (build/bin), where proverta.so and brdsim.so are:
//   ./run_throughput [seconds per run, default 2] [only runs whose name holds this]
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <string>
#include <vector>

#include <sys/resource.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <tavric/doc_template.h>
#include <tavric/messages.h>
#include <tavric/tavric.h>

#include "contract/host_context.h"
#include "contract/plugin_loader.h"
#include "document/board_doc_private.h"
#include "document/round_trip_stats.h"
#include "document/run_controller.h"
#include "document/trace_text_view.h"
#include "document/verdict_cases.h"
#include "platform/dispatcher.h"
#include "platform/user_prompts.h"
#include "sim_firmware.h"
#include "trace/trace_log.h"
#include "verta_frame.h"

namespace {

constexpr int COMMANDS_PER_LOOP = 99;
const char* const LOOPBACK = "40 01 02 03 04 05 06 07 08;";
const char* const EXPECTATIONS[] = {".expect(60 00 ?? 40 *);", ".expect_ok;"};

// Answers every frame with the Verta answer to the loopback command, posted;
// timed, with its round-trip time measured as the boards of the tree do.
class CTVREchoBoard : public CTVRBoardDoc {
  TVR_DECLARE_DYNCREATE(CTVREchoBoard)

 public:
  tvr::BOOL Connect() override { return TRUE; }
  tvr::BOOL Disconnect() override { return TRUE; }
  tvr::BOOL Send(tvr::BYTE* frame, tvr::DWORD length) override {
    // Untimed, it reads no clock: what is measured is the host's cost.
    const auto sent = m_bTimed ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point();
    if (m_answer.empty()) m_answer = m_firmware.ProcessFrame(frame, length).front();
    if (m_bTimed)
      return PostTimedAnswer(GetDummyWindow()->GetSafeHwnd(), m_answer.data(), tvr::DWORD(m_answer.size()),
                             std::chrono::steady_clock::now() - sent);
    return PostAnswer(GetDummyWindow()->GetSafeHwnd(), m_answer.data(), tvr::DWORD(m_answer.size()));
  }
  bool m_bTimed = false;

 private:
  CTVRSimFirmware m_firmware;
  std::vector<tvr::BYTE> m_answer;
};
TVR_IMPLEMENT_DYNCREATE(CTVREchoBoard)

std::vector<std::string> LoopScript(bool traceOn, bool expectations) {
  std::vector<std::string> lines{".command;", traceOn ? ".trace(on);" : ".trace(off);", ".info;"};
  for (int i = 0; i < COMMANDS_PER_LOOP; ++i) {
    lines.emplace_back(LOOPBACK);
    if (expectations) lines.insert(lines.end(), std::begin(EXPECTATIONS), std::end(EXPECTATIONS));
  }
  return lines;
}

struct CRunFigures {
  double m_dStatementsPerSecond = 0;
  double m_dMicrosPerStatement = 0;
  // The process's own processor time: on a machine shared with other work the
  // elapsed time above includes the time others had the processor.
  double m_dCpuMicrosPerStatement = 0;
  // Of that, the time in the program's own code: the rest is the kernel's,
  // most of it the fresh pages of a growing trace, which on a virtual machine
  // can cost as much again as the code does.
  double m_dUserMicrosPerStatement = 0;
  std::size_t m_nRecords = 0;
  double m_dOverheadPerRecord = 0;  // bytes of memory beyond the record's own bytes
};

// What a run adds: expectations after each command (each command's figure
// then includes its expectations), the view that prints as tavric-run's does
// (here the text is dropped), with or without the time column, and the
// statistics per line.
struct CRunSetup {
  bool m_bExpectations = false;
  bool m_bPrintingView = false;
  bool m_bTimeColumn = false;
  bool m_bStats = false;
  bool m_bReport = false;  // every expectation checked collected as --junit does
};

// The process's processor time in its own code so far, in seconds.
double UserSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec) + double(usage.ru_utime.tv_usec) / 1e6;
}

// Statements are counted as the loop's commands and its ".info".
CRunFigures Run(CTVRBoardDoc* pDoc, bool traceOn, double seconds, const CRunSetup& setup = {}) {
  CTVRTraceTextView view;
  std::size_t printed = 0;
  if (setup.m_bPrintingView) {
    view.SetKeepText(false);
    view.SetTiming(setup.m_bTimeColumn);
    view.SetAppendCallback([&printed](const std::string& text, tvr::COLORREF) { printed += text.size(); });
    pDoc->AddView(&view);
  }
  CTVRRoundTripStats stats;
  if (setup.m_bStats) CTVRBoardDocPrivate::Of(*pDoc).SetRoundTripStats(&stats);
  CTVRVerdictCases cases;
  if (setup.m_bReport)
    CTVRBoardDocPrivate::Of(*pDoc).SetExpectationObserver(
        [&cases, pDoc](int line, const CTVRExpectation& expectation, const CTVRAnswerSeen& seen, bool met) {
          cases.OnChecked(*pDoc, line, expectation, seen, met);
        });
  CTVRBoardDocPrivate::Of(*pDoc).GetHostContext()->Host().SetActiveDocument(pDoc);
  CTVRBoardDocPrivate::Of(*pDoc).SelectProtocol("Verta", 0);
  CTVRBoardDocPrivate::Of(*pDoc).OnReaderConnect();
  CTVRBoardDocPrivate::Of(*pDoc).SetScriptLines(LoopScript(traceOn, setup.m_bExpectations));
  CTVRBoardDocPrivate::Of(*pDoc).SetLoopMode(TRUE);
  CTVRBoardDocPrivate::Of(*pDoc).SetLoopCounter(0);

  bool stopped = false;
  QTimer::singleShot(int(seconds * 1000), [&] {
    pDoc->OnScriptStop();
    stopped = true;
  });
  auto start = std::chrono::steady_clock::now();
  const std::clock_t cpuStart = std::clock();
  const double userStart = UserSeconds();
  CTVRBoardDocPrivate::Of(*pDoc).OnScriptStart();
  CTVRDispatcher::GetInstalled()->RunUntil([&] { return stopped; },
                                           std::chrono::milliseconds(int(seconds * 1000) + 5000));
  double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  const double user = UserSeconds() - userStart;
  CTVRDispatcher::GetInstalled()->RunUntilIdle(std::chrono::seconds(2));

  // Every loop is ".info" and the loopback commands: count whole loops.
  double statements = double(CTVRBoardDocPrivate::Of(*pDoc).GetLoopCounter()) * (COMMANDS_PER_LOOP + 1);
  CRunFigures f;
  f.m_dStatementsPerSecond = statements / elapsed;
  f.m_dMicrosPerStatement = elapsed * 1e6 / statements;
  f.m_dCpuMicrosPerStatement = cpu * 1e6 / statements;
  f.m_dUserMicrosPerStatement = user * 1e6 / statements;
  CTVRTraceLog& log = CTVRBoardDocPrivate::Of(*pDoc).GetTraceLog();
  f.m_nRecords = log.GetCount();
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < f.m_nRecords; ++i) bytes += log.GetAt(i).m_dwCount;
  if (f.m_nRecords) f.m_dOverheadPerRecord = double(log.GetMemoryUsed() - bytes) / double(f.m_nRecords);
  CTVRBoardDocPrivate::Of(*pDoc).SetRoundTripStats(nullptr);
  CTVRBoardDocPrivate::Of(*pDoc).SetExpectationObserver(nullptr);
  if (setup.m_bPrintingView) pDoc->RemoveView(&view);
  return f;
}

CTVRBoardDoc* NewDocument(CTVRHostContext& context, const char* className) {
  for (auto& pTemplate : context.Host().GetTemplates()) {
    if (std::string(pTemplate->GetDocClass()->m_lpszClassName) == className) return pTemplate->OpenNewDocument();
  }
  return nullptr;
}

double FirmwareMicrosPerFrame(double seconds) {
  CTVRSimFirmware firmware;
  tvr::BYTE command[] = {0x40, 1, 2, 3, 4, 5, 6, 7, 8};
  std::vector<tvr::BYTE> frame = CTVRVertaFrame::Make(VERTA_FRAME_COMMAND, command[0], command + 1, sizeof command - 1);
  long frames = 0;
  auto start = std::chrono::steady_clock::now();
  double elapsed = 0;
  do {
    for (int i = 0; i < 1000; ++i) frames += long(firmware.ProcessFrame(frame.data(), frame.size()).size());
    elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  } while (elapsed < seconds);
  return elapsed * 1e6 / double(frames);
}

// Two readings of the clock the boards time an exchange with, as the echo
// board makes them for a timed answer.
double ClockReadingsMicros(double seconds) {
  using Clock = std::chrono::steady_clock;
  long pairs = 0;
  std::int64_t sum = 0;  // kept, so that the readings are made
  const Clock::time_point start = Clock::now();
  double elapsed = 0;
  do {
    for (int i = 0; i < 1000; ++i, ++pairs) {
      const Clock::time_point sent = Clock::now();
      sum += (Clock::now() - sent).count();
    }
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  } while (elapsed < seconds);
  if (sum < 0) std::printf("the clock went back\n");
  return elapsed * 1e6 / double(pairs);
}

// The second argument keeps only the runs whose name holds it, so that one
// run can be profiled alone.
const char* g_pszOnly = nullptr;
bool Wanted(const char* name) {
  return !g_pszOnly || std::strstr(name, g_pszOnly);
}

void Print(const char* name, const CRunFigures& f) {
  std::printf("%-32s %12.0f statements/s %8.3f us/statement (%.3f us processor, %.3f in user code)", name,
              f.m_dStatementsPerSecond, f.m_dMicrosPerStatement, f.m_dCpuMicrosPerStatement,
              f.m_dUserMicrosPerStatement);
  if (f.m_nRecords > 1000)
    std::printf("   %zu records kept, %.2f bytes/record beyond their bytes", f.m_nRecords, f.m_dOverheadPerRecord);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir settings;
  qputenv("TAVRIC_SETTINGS", (settings.path() + "/bench.ini").toLocal8Bit());
  QCoreApplication app(argc, argv);
  double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
  if (seconds <= 0) seconds = 2.0;
  if (argc > 2) g_pszOnly = argv[2];

  // The program's one context, installed like the programs' own.
  CTVRHostContext context;
  context.Install();
  CTVRPromptRecorder prompts{context};  // keep message boxes out of the figures
  CTVRPluginLoader(context).LoadFolder(QCoreApplication::applicationDirPath().toStdString());
  context.Host().SetProgramFolder(QCoreApplication::applicationDirPath().toStdString());
  AddBoardType(TVR_RUNTIME_CLASS(CTVREchoBoard), 0);
  if (context.Host().GetProtocols().empty()) {
    std::fprintf(stderr, "run_throughput: no Verta protocol: run it from the run folder (build/bin)\n");
    return 3;
  }

  std::printf("loop of %d Verta loopback commands and one .info, %.1f s per run\n", COMMANDS_PER_LOOP, seconds);
  for (bool traceOn : {true, false}) {
    if (!Wanted(traceOn ? "host only (echo board), trace on" : "host only (echo board), trace off")) continue;
    CTVRBoardDoc* pDoc = NewDocument(context, "CTVREchoBoard");
    Print(traceOn ? "host only (echo board), trace on" : "host only (echo board), trace off",
          Run(pDoc, traceOn, seconds));
    delete pDoc;
  }
  for (bool report : {false, true}) {
    const char* name = report ? "echo, trace on, expect., report" : "echo board, trace on, expectations";
    if (!Wanted(name)) continue;
    CTVRBoardDoc* pDoc = NewDocument(context, "CTVREchoBoard");
    CRunSetup setup;
    setup.m_bExpectations = true;
    setup.m_bReport = report;
    const CRunFigures f = Run(pDoc, true, seconds, setup);
    Print(name, f);
    const CTVRVerdictCounter& verdicts = CTVRBoardDocPrivate::Of(*pDoc).GetRunController().GetVerdicts();
    std::printf("%-32s %12llu met, %llu failed\n", "expectations", verdicts.GetMet(), verdicts.GetFailed());
    delete pDoc;
  }
  // Round-trip times: kept with the answer records, then shown and counted
  // as tavric-run --timing --stats does, each beside the same run untimed.
  const struct {
    const char* name;
    bool timed;
    CRunSetup setup;
  } timing[] = {
      {"timed answers, trace on", true, {}},
      {"printing view, trace on", false, {false, true, false, false}},
      {"timed, --timing --stats view", true, {false, true, true, true}},
  };
  for (const auto& t : timing) {
    if (!Wanted(t.name)) continue;
    auto* pDoc = static_cast<CTVREchoBoard*>(NewDocument(context, "CTVREchoBoard"));
    pDoc->m_bTimed = t.timed;
    Print(t.name, Run(pDoc, true, seconds, t.setup));
    delete pDoc;
    if (t.timed && !t.setup.m_bStats)
      std::printf("%-32s %12.3f us/statement (the board's share of the line above)\n", "two clock readings alone",
                  ClockReadingsMicros(seconds / 4));
  }
  if (CTVRBoardDoc* pDoc = Wanted("simulated reader, trace on") ? NewDocument(context, "CTVRSimDoc") : nullptr) {
    Print("simulated reader, trace on", Run(pDoc, true, seconds));
    delete pDoc;
    std::printf("%-32s %12.3f us/frame (the reader's share of the line above)\n", "firmware alone",
                FirmwareMicrosPerFrame(seconds / 2));
  }
  if (!prompts.m_Messages.empty()) std::printf("messages shown: %s\n", prompts.m_Messages.front().c_str());
  context.Host().Shutdown();
  return 0;
}
