// The desktop panes under a free run: statements per second with the script
// editor and the trace pane shown, against the headless rate of the same run
// (the same document without views, and tavric-run itself); the longest time
// the UI thread did not get to a 1 ms timer during the run (what a click would
// wait); what each kept trace record costs with the pane open; and the cost of
// editing and scrolling a script of 100,000 lines next to one of 10.
//
// Offscreen by default (QT_QPA_PLATFORM=offscreen), or on any display.
// Run from the run folder (build/bin), where proverta.so, brdsim.so and
// tavric-run are:
//   ./gui_throughput [seconds per run, default 3]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScrollBar>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
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
#include "shell/script_view.h"
#include "trace/trace_log.h"

namespace {

using Clock = std::chrono::steady_clock;
using tvr_bench::COMMANDS_PER_LOOP;
using tvr_bench::LoopScript;
using tvr_bench::NewSimDocument;

struct CRunFigures {
  double m_dStatementsPerSecond = 0;
  double m_dLongestStallMs = 0;
  double m_dStall999Ms = 0;  // 99.9 % of the ticks came sooner than this
  std::size_t m_nStallsOver20Ms = 0;
  std::size_t m_nRecords = 0;
  double m_dBytesPerRecord = 0;  // beyond the records' own bytes, index of the pane included
  std::size_t m_nTraceFrames = 0;
  std::size_t m_nScriptFrames = 0;
  double m_dPageRepaintMicros = 0;  // a page of the trace pane anywhere in the trace
  double m_dFindAllMs = 0;          // a search through the whole trace that finds nothing
};

CRunFigures Run(CTVRHostContext& context, bool withPanes, double seconds) {
  CTVRBoardDoc* pDoc = NewSimDocument(context);
  context.Host().SetActiveDocument(pDoc);
  CTVRBoardDocPrivate::Of(*pDoc).SelectProtocol("Verta", 0);
  CTVRBoardDocPrivate::Of(*pDoc).OnReaderConnect();
  CTVRDispatcher::GetInstalled()->RunUntilIdle(std::chrono::seconds(2));
  CTVRBoardDocPrivate::Of(*pDoc).SetScriptLines(LoopScript());
  CTVRBoardDocPrivate::Of(*pDoc).SetLoopMode(TRUE);
  CTVRBoardDocPrivate::Of(*pDoc).SetLoopCounter(0);

  QSplitter* pWindow = nullptr;
  CTVRScriptView* pScript = nullptr;
  CTVRBoardView* pTrace = nullptr;
  if (withPanes) {
    pWindow = new QSplitter(Qt::Vertical);
    pScript = new CTVRScriptView(pDoc, pWindow);
    pTrace = new CTVRBoardView(pDoc, pWindow);
    pWindow->resize(900, 700);
    pWindow->show();
    pDoc->UpdateAllViews(nullptr, HINT_ALL, nullptr);
    QApplication::processEvents();
  }

  // The UI thread's longest absence: the widest gap between two ticks of a
  // 1 ms timer, less the millisecond.
  Clock::time_point lastTick = Clock::now();
  double longestGap = 0;
  std::vector<double> gaps;
  gaps.reserve(100000);
  QTimer ticker;
  ticker.setTimerType(Qt::PreciseTimer);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const Clock::time_point now = Clock::now();
    const double gap = std::chrono::duration<double, std::milli>(now - lastTick).count();
    longestGap = std::max(longestGap, gap);
    gaps.push_back(gap);
    lastTick = now;
  });

  bool stopped = false;
  QTimer::singleShot(int(seconds * 1000), [&] {
    pDoc->OnScriptStop();
    stopped = true;
  });
  const Clock::time_point start = Clock::now();
  lastTick = start;
  ticker.start(1);
  CTVRBoardDocPrivate::Of(*pDoc).OnScriptStart();
  CTVRDispatcher::GetInstalled()->RunUntil([&] { return stopped; },
                                           std::chrono::milliseconds(int(seconds * 1000) + 5000));
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  ticker.stop();
  CTVRDispatcher::GetInstalled()->RunUntilIdle(std::chrono::seconds(2));

  CRunFigures f;
  f.m_dStatementsPerSecond =
      double(CTVRBoardDocPrivate::Of(*pDoc).GetLoopCounter()) * (COMMANDS_PER_LOOP + 1) / elapsed;
  f.m_dLongestStallMs = std::max(0.0, longestGap - 1.0);
  if (!gaps.empty()) {
    std::sort(gaps.begin(), gaps.end());
    f.m_dStall999Ms = std::max(0.0, gaps[gaps.size() * 999 / 1000] - 1.0);
    f.m_nStallsOver20Ms = std::size_t(gaps.end() - std::upper_bound(gaps.begin(), gaps.end(), 21.0));
  }
  CTVRTraceLog& log = CTVRBoardDocPrivate::Of(*pDoc).GetTraceLog();
  f.m_nRecords = log.GetCount();
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < f.m_nRecords; ++i) bytes += log.GetAt(i).m_dwCount;
  std::size_t memory = log.GetMemoryUsed() - bytes;
  if (pTrace) {
    memory += pTrace->GetMemoryUsed();
    pTrace->FlushFrame();
    f.m_nTraceFrames = pTrace->GetFrameCount();
    f.m_nScriptFrames = pScript->GetFrameCount();
    // Pages anywhere in the trace, painted as a scroll would.
    std::mt19937 random(7);
    QScrollBar* pBar = pTrace->verticalScrollBar();
    const int pages = 200;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < pages; ++i) {
      pBar->setValue(int(random() % unsigned(pBar->maximum() + 1)));
      pTrace->viewport()->repaint();
    }
    f.m_dPageRepaintMicros = double(timer.nsecsElapsed()) / 1000.0 / pages;
    timer.restart();
    pTrace->FindNext("not in the trace");
    f.m_dFindAllMs = double(timer.nsecsElapsed()) / 1e6;
  }
  if (f.m_nRecords) f.m_dBytesPerRecord = double(memory) / double(f.m_nRecords);
  delete pWindow;
  delete pDoc;
  return f;
}

// tavric-run on the same script, its trace thrown away: statements per second.
double RunnerStatementsPerSecond(const QString& folder, long statements) {
  const QString script = folder + "/loop.cmd";
  QFile file(script);
  if (!file.open(QIODevice::WriteOnly)) return 0;
  for (const std::string& line : LoopScript()) file.write((line + "\r\n").c_str());
  file.close();
  QProcess runner;
  runner.setWorkingDirectory(QCoreApplication::applicationDirPath());
  runner.setStandardOutputFile(QProcess::nullDevice());
  runner.setStandardErrorFile(QProcess::nullDevice());
  QElapsedTimer timer;
  timer.start();
  runner.start(QCoreApplication::applicationDirPath() + "/tavric-run",
               {"--loop", "--no-colour", "--max-statements", QString::number(statements), script});
  if (!runner.waitForFinished(600000)) return 0;
  return double(statements) / (double(timer.nsecsElapsed()) / 1e9);
}

// Microseconds per key with its repaint in the middle of a script of `lines`
// lines: typing (a character and Backspace in the line), Enter and Backspace
// (a line inserted and removed), and a page of scrolling.
struct CEditFigures {
  double m_dTypeMicros = 0;
  double m_dLineMicros = 0;
  double m_dPageMicros = 0;
};

CEditFigures EditScript(CTVRHostContext& context, int lines) {
  CTVRBoardDoc* pDoc = NewSimDocument(context);
  CTVRBoardDocPrivate::Of(*pDoc).SetScriptLines(
      std::vector<std::string>(std::size_t(lines), "00 a4 04 00 0c 01 02 03;"));
  auto* pView = new CTVRScriptView(pDoc);
  pView->resize(700, 400);
  pView->show();
  pDoc->UpdateAllViews(nullptr, HINT_ALL, nullptr);
  QApplication::processEvents();
  pView->SetSelection({5, lines / 2}, {5, lines / 2});

  const int rounds = 300;
  auto time = [&](const std::vector<Qt::Key>& keys) {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i) {
      for (Qt::Key key : keys) {
        QTest::keyClick(pView, key);
        pView->viewport()->repaint();
      }
    }
    return double(timer.nsecsElapsed()) / 1000.0 / double(rounds * keys.size());
  };
  CEditFigures f;
  f.m_dTypeMicros = time({Qt::Key_X, Qt::Key_Backspace});
  f.m_dLineMicros = time({Qt::Key_Return, Qt::Key_Backspace});
  f.m_dPageMicros = time({Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_PageUp});
  delete pView;
  delete pDoc;
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir settings;
  qputenv("TAVRIC_SETTINGS", (settings.path() + "/bench.ini").toLocal8Bit());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
  if (seconds <= 0) seconds = 3.0;

  // The program's one context, installed like the programs' own.
  CTVRHostContext context;
  context.Install();
  CTVRPromptRecorder prompts{context};
  tvr_bench::LoadRunFolder(context);
  CTVRBoardDoc* pProbe = NewSimDocument(context);
  const bool haveReader = pProbe != nullptr;
  delete pProbe;
  if (context.Host().GetProtocols().empty() || !haveReader) {
    std::fprintf(stderr, "gui_throughput: no Verta protocol or simulated reader: run it from the run folder\n");
    return 3;
  }

  std::printf("simulated reader, loop of %d Verta loopback commands and one .info, %.1f s per run\n", COMMANDS_PER_LOOP,
              seconds);
  const CRunFigures headless = Run(context, false, seconds);
  const CRunFigures panes = Run(context, true, seconds);
  const double runner = RunnerStatementsPerSecond(settings.path(), long(headless.m_dStatementsPerSecond * seconds));
  std::printf("%-34s %10.0f statements/s\n", "tavric-run (trace to /dev/null)", runner);
  for (const auto& [name, f] :
       {std::pair{"headless document (no views)", headless}, std::pair{"editor and trace pane shown", panes}}) {
    std::printf("%-34s %10.0f statements/s   UI stall: longest %.1f ms, 99.9%% under %.1f ms, %zu over 20 ms\n", name,
                f.m_dStatementsPerSecond, f.m_dLongestStallMs, f.m_dStall999Ms, f.m_nStallsOver20Ms);
  }
  std::printf("%-34s %.0f%% of tavric-run, %.0f%% of the headless document\n",
              "panes shown:", runner > 0 ? 100.0 * panes.m_dStatementsPerSecond / runner : 0.0,
              100.0 * panes.m_dStatementsPerSecond / headless.m_dStatementsPerSecond);
  std::printf("%-34s %zu records kept, %.2f bytes/record beyond their bytes (store and pane index)\n", "",
              panes.m_nRecords, panes.m_dBytesPerRecord);
  std::printf("%-34s %zu trace frames, %zu editor frames in %.1f s\n", "", panes.m_nTraceFrames, panes.m_nScriptFrames,
              seconds);
  std::printf("%-34s a page anywhere in the trace: %.0f us; a search through all of it: %.0f ms\n", "",
              panes.m_dPageRepaintMicros, panes.m_dFindAllMs);
  std::printf("editor, us per key with its repaint: typing / Enter and Backspace / a page scrolled\n");
  for (int lines : {10, 100, 100000}) {
    const CEditFigures edit = EditScript(context, lines);
    std::printf("  %6d-line script %15.1f %10.1f %10.1f\n", lines, edit.m_dTypeMicros, edit.m_dLineMicros,
                edit.m_dPageMicros);
  }
  context.Host().Shutdown();
  return 0;
}
