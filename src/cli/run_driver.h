// One run of tavric-run: a document of the chosen board type with the chosen
// protocol, the script loaded, the reader connected, the run started and
// watched on the event loop until it ends, stalls, ends early (a reader
// error, a plug-in fault) or is interrupted (SIGINT, SIGTERM, SIGHUP).
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "cli/run_options.h"

#include "cli/golden_compare.h"
#include "cli/log_stream.h"
#include "document/round_trip_stats.h"
#include "document/verdict_cases.h"
#include "trace/frame_capture.h"
#include "trace/trace_spool.h"

class CTVRBoardDoc;
class CTVRDocTemplate;
class CTVRHeadlessFrames;
class CTVRHostContext;
class CTVRWorkspace;
class CTVRRunObserver;
class CTVRRunWatchdog;
class CTVRTerminalPrinter;
class CTVRTraceTextView;

class CTVRRunDriver {
 public:
  CTVRRunDriver(CTVRHostContext& context, const CTVRRunOptions& options, CTVRTerminalPrinter& printer);
  ~CTVRRunDriver();
  CTVRRunDriver(const CTVRRunDriver&) = delete;
  CTVRRunDriver& operator=(const CTVRRunDriver&) = delete;

  // The plug-ins are loaded already; returns the exit status.
  int Run();

 private:
  using Clock = std::chrono::steady_clock;

  CTVRDocTemplate* FindBoardType(std::string& known) const;
  int Prepare();
  // The document of the run: a new one of the board type asked for, or one of
  // those saved by the last exit.
  int OpenNewDocument();
  int OpenRestoredDocument();
  int Watch();
  // --quick: the quick command sent once and its answer awaited.
  int SendQuick();
  // One look at the run, from the event loop: FALSE once it is over.
  bool OnCheck();
  void OnInterrupt(int signal);
  void OnTimeLimit();
  // On a short timer while anything runs: the watchdog is told the UI
  // thread is alive, and the terminal and the log get what is pending.
  void OnBeat();
  // Stop, through the board's own OnScriptStop.
  void StopRun();
  // The run ended early by the document's word: says so and gives the status.
  int EarlyEndStatus();
  int Finish(int status);
  // Handles the messages queued now and those they queue, for a short while at most.
  void DrainQueue();
  void Fail(const std::string& text);
  int LineOfStatement() const;
  // --compare, --stats and --stats-csv, at the end of the run.
  int CompareWithGolden(int status);
  int ReportStats(int status);
  // --junit, at the end however the run ended.
  int WriteJUnit(int status);

  CTVRHostContext& m_Context;
  const CTVRRunOptions& m_Options;
  CTVRTerminalPrinter& m_Printer;
  // The documents belong to their board types; the workspace closes them all
  // when the driver goes.
  std::unique_ptr<CTVRHeadlessFrames> m_pFrames;
  std::unique_ptr<CTVRWorkspace> m_pWorkspace;
  CTVRBoardDoc* m_pDoc = nullptr;
  std::unique_ptr<CTVRTraceTextView> m_pTraceView;
  std::unique_ptr<CTVRRunObserver> m_pObserver;
  CTVRLogStream m_Log;
  CTVRRunWatchdog* m_pWatchdog = nullptr;  // while Run runs
  CTVRTraceSpool m_Spool;
  CTVRFrameCapture m_Capture;  // --pcap
  // Round-trip times per script line, with --stats or --stats-csv.
  CTVRRoundTripStats m_Stats;
  std::unique_ptr<CTVRGoldenCompare> m_pGolden;  // with --compare
  // With --junit: the expectations checked, and when the run began.
  CTVRVerdictCases m_Cases;
  std::string m_strStartedAt;  // local time, "2026-12-07T03:10:00"
  Clock::time_point m_startedClock;

  int m_nStatus = CTVRRunOptions::EXIT_DONE;
  bool m_bStarted = false;
  bool m_bInterrupted = false;
  bool m_bTimeLimitReached = false;
  // The queue and the run both idle with the run still running: since when,
  // and at what progress.
  bool m_bIdle = false;
  Clock::time_point m_idleSince;
  unsigned long long m_nIdleProgress = 0;
  // The document waiting for an answer: since when, and at what progress. A
  // statement that ends moves the progress, with the trace off as well.
  bool m_bWaiting = false;
  Clock::time_point m_waitSince;
  unsigned long long m_nWaitProgress = 0;
};
