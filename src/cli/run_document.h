// One reader document of a tavric-run: the document with its trace view
// (printed and streamed to its log), its run observer, its capture and
// round-trip statistics, and the watch over its run (stalls, breakpoints,
// mismatches that pause, an early end). The driver runs one per reader, all
// of them at once on the UI thread; each ends by itself and keeps its status.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "cli/golden_compare.h"
#include "cli/junit_report.h"
#include "cli/log_stream.h"
#include "cli/reader_printer.h"
#include "cli/reader_result.h"
#include "cli/run_options.h"
#include "document/round_trip_stats.h"
#include "document/verdict_cases.h"
#include "trace/frame_capture.h"
#include "trace/trace_spool.h"

class CTVRBoardDoc;
class CTVRHostContext;
class CTVRRunObserver;
class CTVRTerminalPrinter;
class CTVRTraceTextView;

class CTVRRunDocument {
 public:
  using Clock = std::chrono::steady_clock;

  // reader: handed to the board as its "reader" option (empty: the board's
  // choice); name: what begins each of its lines and its files' names, empty
  // in a run over one reader. drainQueue handles what is queued, briefly.
  CTVRRunDocument(CTVRHostContext& context, const CTVRRunOptions& options, CTVRTerminalPrinter& printer,
                  CTVRBoardDoc& doc, std::string reader, std::string name, std::function<void()> drainQueue);
  ~CTVRRunDocument();
  CTVRRunDocument(const CTVRRunDocument&) = delete;
  CTVRRunDocument& operator=(const CTVRRunDocument&) = delete;

  CTVRBoardDoc& GetDocument() { return m_Doc; }
  int GetStatus() const { return m_nStatus; }
  bool IsOver() const { return m_bOver; }

  // From the trace view to the reader connected and the script type set:
  // EXIT_DONE, or the status that ends this reader before its run.
  int Prepare();
  void Start();
  // One look at the run, from the event loop: FALSE once it is over.
  bool OnCheck();
  // --quick: the quick command sent once and its answer awaited.
  int SendQuick();
  void OnInterrupt(int status);
  void OnTimeLimit();
  void Flush() { m_Log.Flush(); }
  // The end, in three steps with the run's shared steps between (saving the
  // workspace, the card parameters): the trace complete (drained, compared,
  // its log closed); the reader disconnected and the capture written; the
  // statistics and the verdict line. Each takes and gives the reader's status.
  int EndTrace(int status);
  int Disconnect(int status);
  int Report(int status);
  CTVRReaderResult GetResult() const;
  // --junit: this reader's suite, added once its run is over.
  void AddToReport(CTVRJUnitReport& report);

  // PATH with "-NAME" before its extension, NAME's characters other than
  // letters, digits, '.', '-' and '_' made '_': the file of one reader.
  static std::string ReaderPath(const std::string& path, const std::string& name);

 private:
  void Fail(const std::string& text);
  void StopRun();
  int EarlyEndStatus();
  int LineOfStatement() const;
  std::string FilePath(const std::string& path) const;
  int CompareWithGolden(int status);
  void End(int status);

  CTVRHostContext& m_Context;
  const CTVRRunOptions& m_Options;
  CTVRTerminalPrinter& m_Terminal;
  CTVRBoardDoc& m_Doc;
  const std::string m_strReader;
  const std::string m_strName;
  const std::function<void()> m_DrainQueue;
  CTVRReaderPrinter m_Printer;
  std::unique_ptr<CTVRTraceTextView> m_pTraceView;
  std::unique_ptr<CTVRRunObserver> m_pObserver;
  CTVRLogStream m_Log;
  std::string m_strLogPath;
  CTVRTraceSpool m_Spool;
  CTVRFrameCapture m_Capture;  // --pcap
  // Round-trip times per script line, with --stats or --stats-csv.
  CTVRRoundTripStats m_Stats;
  std::unique_ptr<CTVRGoldenCompare> m_pGolden;  // with --compare
  // With --junit: the expectations checked, and when the run began.
  CTVRVerdictCases m_Cases;
  std::string m_strStartedAt;     // local time, "2026-12-07T03:10:00"
  std::string m_strFirstFailure;  // what Fail said first: the report's error

  int m_nStatus = CTVRRunOptions::EXIT_DONE;
  bool m_bStarted = false;
  bool m_bOver = false;
  bool m_bInterrupted = false;
  bool m_bTimeLimitReached = false;
  Clock::time_point m_startedAt;
  Clock::time_point m_endedAt;
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
