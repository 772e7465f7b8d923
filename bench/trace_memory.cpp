// Memory of the desktop program through a long free loop with the trace on:
// one simulated reader in its child window (script editor above, trace pane
// below) inside the main window's area, offscreen by default, running the
// loop of gui_throughput for a given time. Every few seconds it prints the
// process's resident memory (VmRSS) and peak (VmHWM), the statements run, the
// records the document holds, the lines in the pane and the size of the
// pane's spool on disk. At the end it saves the log (the whole trace since
// the pane was opened) and says how long that took.
//
// Run from the run folder (build/bin), where proverta.so and brdsim.so are:
//   ./trace_memory [seconds, default 120] [seconds between lines, default 10]
//                  [records the pane holds, default the program's]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QTimer>

#include <tavric/doc_template.h>
#include <tavric/tavric.h>

#include "contract/host.h"
#include "contract/plugin_loader.h"
#include "desktop_loop.h"
#include "document/board_doc_private.h"
#include "platform/dispatcher.h"
#include "platform/user_prompts.h"
#include "shell/board_view.h"
#include "shell/child_frame.h"
#include "shell/script_view.h"
#include "trace/trace_log.h"
#include "trace/trace_spool.h"

namespace {

using Clock = std::chrono::steady_clock;
using tvr_bench::COMMANDS_PER_LOOP;
using tvr_bench::LoopScript;
using tvr_bench::NewSimDocument;

// A value of /proc/self/status in megabytes ("VmRSS", "VmHWM").
double StatusMegabytes(const char* name) {
  std::ifstream status("/proc/self/status");
  std::string key;
  long kilobytes = 0;
  while (status >> key) {
    if (key == std::string(name) + ":") {
      status >> kilobytes;
      return double(kilobytes) / 1024.0;
    }
    status.ignore(4096, '\n');
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir settings;
  qputenv("TAVRIC_SETTINGS", (settings.path() + "/bench.ini").toLocal8Bit());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  double seconds = argc > 1 ? std::atof(argv[1]) : 120.0;
  if (seconds <= 0) seconds = 120.0;
  double every = argc > 2 ? std::atof(argv[2]) : 10.0;
  if (every <= 0) every = 10.0;
  const long limit = argc > 3 ? std::atol(argv[3]) : 0;

  // The program's one context, installed like the programs' own.
  CTVRHostContext context;
  context.Install();
  CTVRPromptRecorder prompts{context};
  tvr_bench::LoadRunFolder(context);
  CTVRBoardDoc* pDoc = NewSimDocument(context);
  if (context.Host().GetProtocols().empty() || pDoc == nullptr) {
    std::fprintf(stderr, "trace_memory: no Verta protocol or simulated reader: run it from the run folder\n");
    return 3;
  }
  context.Host().SetActiveDocument(pDoc);
  CTVRBoardDocPrivate::Of(*pDoc).SelectProtocol("Verta", 0);
  CTVRBoardDocPrivate::Of(*pDoc).OnReaderConnect();
  CTVRDispatcher::GetInstalled()->RunUntilIdle(std::chrono::seconds(2));
  CTVRBoardDocPrivate::Of(*pDoc).SetScriptLines(LoopScript());
  CTVRBoardDocPrivate::Of(*pDoc).SetLoopMode(TRUE);
  CTVRBoardDocPrivate::Of(*pDoc).SetLoopCounter(0);

  QMdiArea area;
  auto* pFrame = new CTVRChildFrame(pDoc);
  area.addSubWindow(pFrame);
  area.resize(1000, 760);
  // The size the main window gives a new reader's window.
  pFrame->resize(520, 420);
  area.show();
  auto* pTrace = static_cast<CTVRBoardView*>(pFrame->GetTracePane());
  auto* pScript = static_cast<CTVRScriptView*>(pFrame->GetScriptPane());
  if (limit > 0) pTrace->SetRecordLimit(std::size_t(limit));
  QApplication::processEvents();

  std::printf(
      "simulated reader, loop of %d Verta loopback commands and one .info, trace on, %.0f s;"
      " the pane holds at most %zu records\n",
      COMMANDS_PER_LOOP, seconds, pTrace->GetRecordLimit());
  std::printf("%8s %12s %10s %10s %12s %12s %12s %9s %10s\n", "seconds", "statements", "RSS MB", "peak MB", "records",
              "pane lines", "spool MB", "pane fr.", "editor fr.");
  const Clock::time_point start = Clock::now();
  auto report = [&] {
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%8.0f %12lld %10.1f %10.1f %12zu %12zu %12.1f %9zu %10zu\n", elapsed,
                (long long)CTVRBoardDocPrivate::Of(*pDoc).GetLoopCounter() * (COMMANDS_PER_LOOP + 1),
                StatusMegabytes("VmRSS"), StatusMegabytes("VmHWM"),
                CTVRBoardDocPrivate::Of(*pDoc).GetTraceLog().GetCount(), pTrace->GetLineCount(),
                double(pTrace->GetSpool()->GetSize()) / 1e6, pTrace->GetFrameCount(), pScript->GetFrameCount());
    std::fflush(stdout);
  };
  report();
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, report);
  ticker.start(int(every * 1000));

  bool stopped = false;
  QTimer::singleShot(int(seconds * 1000), [&] {
    pDoc->OnScriptStop();
    stopped = true;
  });
  CTVRBoardDocPrivate::Of(*pDoc).OnScriptStart();
  CTVRDispatcher::GetInstalled()->RunUntil([&] { return stopped; },
                                           std::chrono::milliseconds(int(seconds * 1000) + 5000));
  ticker.stop();
  CTVRDispatcher::GetInstalled()->RunUntilIdle(std::chrono::seconds(2));
  pTrace->FlushFrame();
  report();
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("%.0f statements/s; the pane shows lines %zu to %zu of %zu\n",
              double(CTVRBoardDocPrivate::Of(*pDoc).GetLoopCounter()) * (COMMANDS_PER_LOOP + 1) / elapsed,
              pTrace->GetFirstVisibleLine(), pTrace->GetFirstVisibleLine() + pTrace->GetVisibleLineCount() - 1,
              pTrace->GetLineCount() - 1);

  const std::string log = (settings.path() + "/loop.log").toStdString();
  QElapsedTimer timer;
  timer.start();
  const bool saved = pTrace->SaveLog(log);
  std::printf("Save Log: %s, %.1f MB in %.1f s\n", saved ? "written" : "FAILED",
              double(QFileInfo(QString::fromStdString(log)).size()) / 1e6, double(timer.nsecsElapsed()) / 1e9);
  delete pFrame;
  delete pDoc;
  context.Host().Shutdown();
  return saved ? 0 : 1;
}
