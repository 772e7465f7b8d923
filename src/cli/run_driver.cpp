#include "cli/run_driver.h"

#include <fnmatch.h>
#include <signal.h>

#include <chrono>
#include <cstdio>

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QTimer>

#include <tavric/board_doc.h>
#include <tavric/board_setting.h>
#include <tavric/doc_template.h>
#include <tavric/protocol.h>
#include <tavric/registry.h>

#include "cli/card_params_printer.h"
#include "cli/interrupt_watcher.h"
#include "cli/junit_report.h"
#include "cli/run_document.h"
#include "cli/run_plugins.h"
#include "cli/run_watchdog.h"
#include "cli/terminal_printer.h"
#include "contract/host_context.h"
#include "document/headless_frames.h"
#include "document/plugin_guard.h"
#include "document/workspace.h"
#include "platform/dispatcher.h"
#include "platform/file_writer.h"

namespace {

using Clock = std::chrono::steady_clock;

// How often the run is looked at: short enough that a run ends promptly, long
// enough to cost nothing next to the statements themselves.
constexpr std::chrono::milliseconds kCheckInterval(5);
// Messages still queued when the run ends (late comments, the last answer's
// text) are handled for at most this long.
constexpr std::chrono::milliseconds kDrainTime(500);
// How long the loop waits awake for an answer due before it sleeps: a few
// exchanges of a fast reader (bench/pcsc_throughput).
constexpr std::chrono::microseconds kAwakeWait(150);

}  // namespace

CTVRRunDriver::CTVRRunDriver(CTVRHostContext& context, const CTVRRunOptions& options, CTVRTerminalPrinter& printer)
    : m_Context(context),
      m_Options(options),
      m_Printer(printer),
      m_pFrames(std::make_unique<CTVRHeadlessFrames>()),
      m_pWorkspace(std::make_unique<CTVRWorkspace>(m_Context, *m_pFrames)) {}

CTVRRunDriver::~CTVRRunDriver() {
  m_Documents.clear();
  // Also leaves the host without an active document.
  m_pWorkspace->CloseAllDocuments();
}

void CTVRRunDriver::Fail(const std::string& text) {
  m_Printer.Finish();
  std::fprintf(stderr, "tavric-run: %s\n", text.c_str());
}

int CTVRRunDriver::Run() {
  // Each document's statements end on its own answers, whichever is active.
  m_Context.Host().SetRunsApart(true);
  // From the start: a signal during connection stops the run once it is
  // watched, and a plug-in may hang while connecting as well as later.
  CTVRInterruptWatcher interrupts([this](int signal) { OnInterrupt(signal); });
  CTVRRunWatchdog watchdog(m_Options.m_dTimeout, CTVRRunOptions::EXIT_PLUGIN_FAULT);
  m_pWatchdog = &watchdog;
  QTimer beat;
  beat.setInterval(kCheckInterval);
  QObject::connect(&beat, &QTimer::timeout, [this] { OnBeat(); });
  beat.start();

  int status = Prepare();
  if (status == CTVRRunOptions::EXIT_DONE) {
    if (m_Options.m_nQuick != 0) {
      if (m_Statuses[0] == CTVRRunOptions::EXIT_DONE) {
        m_pWatchdog->StartRun(m_Options.m_dMaxSeconds);
        m_Statuses[0] = m_Documents[0]->SendQuick();
      }
    } else {
      Watch();
    }
  }
  status = Finish(status);
  m_pWatchdog = nullptr;
  m_Context.Host().SetRunsApart(false);
  return status;
}

void CTVRRunDriver::OnBeat() {
  m_pWatchdog->Beat();
  m_Printer.Flush();
  for (const auto& pDocument : m_Documents) pDocument->Flush();
}

void CTVRRunDriver::AddDocument(CTVRBoardDoc& doc, const std::string& reader, const std::string& name) {
  m_Documents.push_back(
      std::make_unique<CTVRRunDocument>(m_Context, m_Options, m_Printer, doc, reader, name, [this] { DrainQueue(); }));
  m_Statuses.push_back(CTVRRunOptions::EXIT_DONE);
}

int CTVRRunDriver::ListReaders(CTVRBoardDoc& doc, std::vector<std::string>& readers) {
  // The board's own list, as its settings window offers it.
  std::vector<CTVRBoardSetting> settings;
  CTVRPluginGuard::Call(doc, CTVRPluginGuard::SETTINGS, [&] { doc.GetSettings(settings); });
  const CTVRBoardSetting* pReader = nullptr;
  for (const CTVRBoardSetting& setting : settings)
    if (setting.m_strName == "Reader" && setting.m_eKind == CTVRBoardSetting::SETTING_CHOICE) pReader = &setting;
  const std::string board = doc.GetRuntimeClass()->m_lpszClassName;
  if (pReader == nullptr) {
    Fail("--all-readers: the board " + board + " lists no readers");
    return CTVRRunOptions::EXIT_USAGE;
  }
  for (const std::string& name : pReader->m_Choices)
    if (fnmatch(m_Options.m_strReaderGlob.c_str(), name.c_str(), 0) == 0) readers.push_back(name);
  if (readers.empty()) {
    std::string listed;
    for (const std::string& name : pReader->m_Choices) listed += (listed.empty() ? "'" : ", '") + name + "'";
    Fail("no reader of " + board + " matches '" + m_Options.m_strReaderGlob +
         "' (listed: " + (listed.empty() ? "none" : listed) + ")" +
         (pReader->m_strHint.empty() || !listed.empty() ? "" : ": " + pReader->m_strHint));
    return CTVRRunOptions::EXIT_CONNECT;
  }
  return CTVRRunOptions::EXIT_DONE;
}

int CTVRRunDriver::OpenNewDocuments() {
  std::string known;
  CTVRDocTemplate* pTemplate = CTVRRunPlugins::FindBoardType(m_Context.Host(), m_Options.m_strBoard, known);
  if (pTemplate == nullptr) {
    Fail("no board type '" + m_Options.m_strBoard + "' (found: " + (known.empty() ? "none" : known) + ")");
    return CTVRRunOptions::EXIT_NOT_FOUND;
  }
  std::vector<std::string> readers = m_Options.m_Readers;
  // The board lists its readers through a document of its own, which then
  // serves the first of them.
  CTVRBoardDoc* pFirst = nullptr;
  if (m_Options.m_bAllReaders) {
    pFirst = pTemplate->OpenNewDocument();
    const int listed = pFirst != nullptr ? ListReaders(*pFirst, readers) : CTVRRunOptions::EXIT_DONE;
    if (listed != CTVRRunOptions::EXIT_DONE) return listed;
  }
  const std::size_t count = readers.empty() ? std::size_t(m_Options.m_nReaders) : readers.size();
  for (std::size_t i = 0; i < count; ++i) {
    CTVRBoardDoc* pDoc = i == 0 && pFirst != nullptr ? pFirst : pTemplate->OpenNewDocument();
    if (pDoc == nullptr) {
      Fail(std::string("cannot create a document of board type ") + pTemplate->GetDocClass()->m_lpszClassName);
      return CTVRRunOptions::EXIT_NOT_FOUND;
    }
    m_pFrames->CreateFrame(*pDoc);
    const std::string reader = readers.empty() ? std::string() : readers[i];
    // A run over several readers names each on its lines and in its files.
    const std::string name = count == 1 ? std::string() : reader.empty() ? pDoc->GetTitle() : reader;
    AddDocument(*pDoc, reader, name);
  }
  return CTVRRunOptions::EXIT_DONE;
}

int CTVRRunDriver::OpenRestoredDocument() {
  m_pWorkspace->LoadCustomState();
  std::vector<CTVRBoardDoc*> restored;
  for (const auto& pTemplate : m_Context.Host().GetTemplates())
    restored.insert(restored.end(), pTemplate->GetDocuments().begin(), pTemplate->GetDocuments().end());
  if (restored.empty()) {
    Fail("no document saved by the last exit in " + CTVRRegistry::GetStoreFileName());
    return CTVRRunOptions::EXIT_NOT_FOUND;
  }
  if (m_Options.m_nDocument > (long long)restored.size()) {
    Fail("no document " + std::to_string(m_Options.m_nDocument) + " (" + std::to_string(restored.size()) +
         " restored)");
    return CTVRRunOptions::EXIT_NOT_FOUND;
  }
  const std::string reader = m_Options.m_Readers.empty() ? std::string() : m_Options.m_Readers[0];
  AddDocument(*restored[std::size_t(m_Options.m_nDocument - 1)], reader, std::string());
  return CTVRRunOptions::EXIT_DONE;
}

int CTVRRunDriver::Prepare() {
  const int opened = m_Options.m_bRestore ? OpenRestoredDocument() : OpenNewDocuments();
  if (opened != CTVRRunOptions::EXIT_DONE) return opened;
  // Each reader is made ready on its own: one that cannot be leaves the others their run.
  for (std::size_t i = 0; i < m_Documents.size(); ++i) m_Statuses[i] = m_Documents[i]->Prepare();
  // Tools and one-off commands address the first reader.
  m_Context.Host().SetActiveDocument(&m_Documents.front()->GetDocument());
  return CTVRRunOptions::EXIT_DONE;
}

int CTVRRunDriver::Watch() {
  QEventLoop loop;
  QTimer check;
  check.setInterval(kCheckInterval);
  QObject::connect(&check, &QTimer::timeout, [this, &loop] {
    if (!OnCheck()) loop.quit();
  });
  // Also each time the loop has handled what came and is about to sleep: the
  // run's last answer ends it at once, not at the next tick (up to 5 ms
  // later, a third of a one-statement run). The check costs well under a
  // microsecond per answer; the tick stays for the time limits.
  QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop, [this, &loop] {
    // An answer due from a board's thread usually comes within some ten
    // microseconds: waiting for it awake, and handling it at once, spares
    // each statement the wake-up of a sleeping loop and a trip through it.
    // Longer waits sleep; the loop gets its turn at least once a tick.
    const Clock::time_point turn = Clock::now() + kCheckInterval;
    while (loop.isRunning()) {
      if (!OnCheck()) {
        loop.quit();
        return;
      }
      if (!IsAnswerDue() || Clock::now() >= turn || m_Context.Dispatcher().DrainAwake(kAwakeWait) == 0) return;
    }
  });
  QTimer limit;
  limit.setSingleShot(true);
  // A coarse timer may fire 5 % early: a bound of 60 s would end at 57 s.
  limit.setTimerType(Qt::PreciseTimer);
  QObject::connect(&limit, &QTimer::timeout, [this] { OnTimeLimit(); });

  m_pWatchdog->StartRun(m_Options.m_dMaxSeconds);
  // All at once: each board's own thread or timer does the waiting.
  for (std::size_t i = 0; i < m_Documents.size(); ++i)
    if (m_Statuses[i] == CTVRRunOptions::EXIT_DONE) m_Documents[i]->Start();

  if (m_Options.m_dMaxSeconds > 0) {
    // QTimer counts in int milliseconds; beyond that the bound is out of reach anyway.
    const double ms = m_Options.m_dMaxSeconds * 1000.0;
    limit.start(ms >= 2147483647.0 ? 2147483647 : int(ms));
  }
  if (OnCheck()) {
    check.start();
    loop.exec();
  }
  for (std::size_t i = 0; i < m_Documents.size(); ++i)
    if (m_Statuses[i] == CTVRRunOptions::EXIT_DONE) m_Statuses[i] = m_Documents[i]->GetStatus();
  return CTVRRunOptions::EXIT_DONE;
}

bool CTVRRunDriver::IsAnswerDue() {
  for (std::size_t i = 0; i < m_Documents.size(); ++i)
    if (m_Statuses[i] == CTVRRunOptions::EXIT_DONE && m_Documents[i]->GetDocument().IsWaitingAnswer()) return true;
  return false;
}

bool CTVRRunDriver::OnCheck() {
  bool going = false;
  for (std::size_t i = 0; i < m_Documents.size(); ++i)
    if (m_Statuses[i] == CTVRRunOptions::EXIT_DONE && m_Documents[i]->OnCheck()) going = true;
  return going;
}

void CTVRRunDriver::OnInterrupt(int signal) {
  if (m_bInterrupted) return;
  m_bInterrupted = true;
  m_nSignalStatus = CTVRRunOptions::EXIT_SIGNAL + signal;
  for (const auto& pDocument : m_Documents) pDocument->OnInterrupt(m_nSignalStatus);
  Fail(signal == SIGTERM ? "terminated (SIGTERM)" : signal == SIGHUP ? "hung up (SIGHUP)" : "interrupted");
}

void CTVRRunDriver::OnTimeLimit() {
  for (const auto& pDocument : m_Documents) pDocument->OnTimeLimit();
}

void CTVRRunDriver::DrainQueue() {
  CTVRDispatcher& dispatcher = m_Context.Dispatcher();
  const Clock::time_point end = Clock::now() + kDrainTime;
  while (dispatcher.PendingCount() != 0 && Clock::now() < end) {
    dispatcher.Drain();
    m_pWatchdog->Beat();
  }
}

int CTVRRunDriver::Finish(int status) {
  if (m_Documents.empty()) return status;
  for (std::size_t i = 0; i < m_Documents.size(); ++i) {
    // A reader stopped by a signal before its run began says so too.
    if (m_bInterrupted && m_Statuses[i] == CTVRRunOptions::EXIT_DONE) m_Statuses[i] = m_nSignalStatus;
    m_Statuses[i] = m_Documents[i]->EndTrace(m_Statuses[i]);
  }
  // Saved while still connected, so the next --restore connects again. A
  // settings file that could not be written fails a run that otherwise
  // ended well; the reason is on stderr already.
  if (m_Options.m_bSave && !m_pWorkspace->SaveCustomState())
    for (int& readerStatus : m_Statuses)
      if (readerStatus == CTVRRunOptions::EXIT_DONE) readerStatus = CTVRRunOptions::EXIT_WRITE;
  for (std::size_t i = 0; i < m_Documents.size(); ++i) m_Statuses[i] = m_Documents[i]->Disconnect(m_Statuses[i]);
  // The bar as the desktop program would show it now, after the trace.
  if (m_Options.m_bCardParams) m_Printer.Print(CTVRCardParamsPrinter::Text(m_Context.Host().GetCardSlots()), 0);
  for (std::size_t i = 0; i < m_Documents.size(); ++i) {
    m_Statuses[i] = m_Documents[i]->Report(m_Statuses[i]);
    m_Results.push_back(m_Documents[i]->GetResult());
    status = CTVRRunOptions::Worst(status, m_Statuses[i]);
  }
  m_Printer.Finish();
  return WriteJUnit(status);
}

int CTVRRunDriver::WriteJUnit(int status) {
  if (m_Options.m_strJUnit.empty()) return status;
  // Refused at the start: never written over the script.
  if (CTVRFileWriter::IsSameFile(m_Options.m_strJUnit, m_Options.m_strScript)) return status;
  CTVRJUnitReport report;
  for (const auto& pDocument : m_Documents) pDocument->AddToReport(report);
  std::string reason;
  if (report.Write(m_Options.m_strJUnit, reason)) return status;
  Fail("the report file " + m_Options.m_strJUnit + " could not be written: " + reason);
  return CTVRRunOptions::Worst(status, CTVRRunOptions::EXIT_WRITE);
}
