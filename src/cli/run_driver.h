// One run of tavric-run: one document per reader of the chosen board type
// (one, or a rack of them: --reader given again, --all-readers, --readers N)
// with the chosen protocol, the script loaded, the readers connected, the run
// started on all of them at once and watched on the event loop until each
// ends, stalls, ends early (a reader error, a plug-in fault, its reader gone)
// or the whole run is interrupted (SIGINT, SIGTERM, SIGHUP).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/reader_result.h"
#include "cli/run_options.h"

class CTVRBoardDoc;
class CTVRDocTemplate;
class CTVRHeadlessFrames;
class CTVRHostContext;
class CTVRWorkspace;
class CTVRRunDocument;
class CTVRRunWatchdog;
class CTVRTerminalPrinter;

class CTVRRunDriver {
 public:
  CTVRRunDriver(CTVRHostContext& context, const CTVRRunOptions& options, CTVRTerminalPrinter& printer);
  ~CTVRRunDriver();
  CTVRRunDriver(const CTVRRunDriver&) = delete;
  CTVRRunDriver& operator=(const CTVRRunDriver&) = delete;

  // The plug-ins are loaded already; returns the exit status: the most
  // serious of the readers' (CTVRRunOptions::Worst).
  int Run();

  // Once Run has returned: one result per reader document, in the order
  // they were opened (the order of --reader, of the board's list, or Sim1 to
  // SimN). Empty when the run ended before any document was opened.
  const std::vector<CTVRReaderResult>& GetResults() const { return m_Results; }

 private:
  int Prepare();
  // The documents of the run: new ones of the board type asked for, or one
  // of those saved by the last exit.
  int OpenNewDocuments();
  int OpenRestoredDocument();
  // The readers the board lists (its "Reader" setting's choices) whose name
  // matches --all-readers' glob.
  int ListReaders(CTVRBoardDoc& doc, std::vector<std::string>& readers);
  void AddDocument(CTVRBoardDoc& doc, const std::string& reader, const std::string& name);
  int Watch();
  // Whether a reader still running waits for the answer to its statement.
  bool IsAnswerDue();
  // One look at every reader still running, from the event loop: FALSE once all are over.
  bool OnCheck();
  void OnInterrupt(int signal);
  void OnTimeLimit();
  // On a short timer while anything runs: the watchdog is told the UI
  // thread is alive, and the terminal and the logs get what is pending.
  void OnBeat();
  int Finish(int status);
  // --junit: one suite per reader, written however the run ended.
  int WriteJUnit(int status);
  // Handles the messages queued now and those they queue, for a short while at most.
  void DrainQueue();
  void Fail(const std::string& text);

  CTVRHostContext& m_Context;
  const CTVRRunOptions& m_Options;
  CTVRTerminalPrinter& m_Printer;
  // The documents belong to their board types; the workspace closes them all
  // when the driver goes.
  std::unique_ptr<CTVRHeadlessFrames> m_pFrames;
  std::unique_ptr<CTVRWorkspace> m_pWorkspace;
  std::vector<std::unique_ptr<CTVRRunDocument>> m_Documents;
  // Each reader's status so far, beside its document.
  std::vector<int> m_Statuses;
  std::vector<CTVRReaderResult> m_Results;
  CTVRRunWatchdog* m_pWatchdog = nullptr;  // while Run runs
  bool m_bInterrupted = false;
  int m_nSignalStatus = CTVRRunOptions::EXIT_DONE;
};
