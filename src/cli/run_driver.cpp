#include "cli/run_driver.h"

#include <signal.h>
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QString>
#include <QSysInfo>
#include <QTimer>

#include <tavric/board_doc.h>
#include <tavric/board_options.h>
#include <tavric/board_setting.h>
#include <tavric/doc_template.h>
#include <tavric/protocol.h>
#include <tavric/registry.h>

#include "cli/card_params_printer.h"
#include "cli/interrupt_watcher.h"
#include "cli/junit_report.h"
#include "cli/run_observer.h"
#include "cli/run_watchdog.h"
#include "cli/stats_report.h"
#include "cli/terminal_printer.h"
#include "cli/verdict_line.h"
#include "contract/host_context.h"
#include "decode/card_slots.h"
#include "document/board_doc_private.h"
#include "document/headless_frames.h"
#include "document/line_store.h"
#include "document/plugin_guard.h"
#include "document/run_controller.h"
#include "document/run_end_hint.h"
#include "document/trace_text_view.h"
#include "document/workspace.h"
#include "platform/dispatcher.h"
#include "platform/file_writer.h"
#include "trace/trace_log.h"

namespace {

// How often the run is looked at: short enough that a run ends promptly, long
// enough to cost nothing next to the statements themselves.
constexpr std::chrono::milliseconds kCheckInterval(5);
// A running statement with nothing awaited and nothing queued may still be
// finished by a board's own thread; it has this long before the run is
// declared stalled.
constexpr std::chrono::milliseconds kStallGrace(250);
// Messages still queued when the run ends (late comments, the last answer's
// text) are handled for at most this long.
constexpr std::chrono::milliseconds kDrainTime(500);

std::string FormatSeconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof(text), "%g", seconds);
  return text;
}

}  // namespace

CTVRRunDriver::CTVRRunDriver(CTVRHostContext& context, const CTVRRunOptions& options, CTVRTerminalPrinter& printer)
    : m_Context(context),
      m_Options(options),
      m_Printer(printer),
      m_pFrames(std::make_unique<CTVRHeadlessFrames>()),
      m_pWorkspace(std::make_unique<CTVRWorkspace>(m_Context, *m_pFrames)) {}

CTVRRunDriver::~CTVRRunDriver() {
  if (m_pDoc != nullptr) {
    if (m_pTraceView) m_pDoc->RemoveView(m_pTraceView.get());
    if (m_pObserver) m_pDoc->RemoveView(m_pObserver.get());
    m_pDoc->RemoveView(&m_Capture);
  }
  // Also leaves the host without an active document.
  m_pWorkspace->CloseAllDocuments();
  m_pDoc = nullptr;
}

void CTVRRunDriver::Fail(const std::string& text) {
  m_Printer.Finish();
  std::fprintf(stderr, "tavric-run: %s\n", text.c_str());
}

int CTVRRunDriver::LineOfStatement() const {
  // The mark stays on the first line of the running statement until it ends.
  return m_pDoc != nullptr ? CTVRBoardDocPrivate::Of(*m_pDoc).GetMarkedLine() + 1 : 0;
}

CTVRDocTemplate* CTVRRunDriver::FindBoardType(std::string& known) const {
  for (const auto& pTemplate : m_Context.Host().GetTemplates()) {
    const char* className = pTemplate->GetDocClass()->m_lpszClassName;
    // By class, by the name New offers, or by the short name of its titles ("sim", "pcsc").
    if (strcasecmp(className, m_Options.m_strBoard.c_str()) == 0 ||
        (!pTemplate->GetFileNewName().empty() &&
         strcasecmp(pTemplate->GetFileNewName().c_str(), m_Options.m_strBoard.c_str()) == 0) ||
        (!pTemplate->GetDocName().empty() &&
         strcasecmp(pTemplate->GetDocName().c_str(), m_Options.m_strBoard.c_str()) == 0))
      return pTemplate.get();
    known += known.empty() ? "" : ", ";
    known += className;
  }
  return nullptr;
}

int CTVRRunDriver::Run() {
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
  if (status == CTVRRunOptions::EXIT_DONE) status = m_Options.m_nQuick != 0 ? SendQuick() : Watch();
  status = Finish(status);
  m_pWatchdog = nullptr;
  return status;
}

void CTVRRunDriver::OnBeat() {
  m_pWatchdog->Beat();
  m_Printer.Flush();
  m_Log.Flush();
}

void CTVRRunDriver::StopRun() {
  CTVRPluginGuard::Call(*m_pDoc, CTVRPluginGuard::SCRIPT_STOP, [this] { m_pDoc->OnScriptStop(); });
}

int CTVRRunDriver::EarlyEndStatus() {
  const std::string line = std::to_string(m_pObserver->GetEarlyEndLine());
  if (m_pObserver->GetEarlyEnd() == RUN_END_PLUGIN_FAULT) {
    Fail("the run ended early on a plug-in fault, at the statement on line " + line);
    return CTVRRunOptions::EXIT_PLUGIN_FAULT;
  }
  Fail("the run ended early on a reader error, at the statement on line " + line);
  return CTVRRunOptions::EXIT_READER_ERROR;
}

namespace {

// Whether the script text holds the .save directive anywhere (directives are
// matched whatever their letter case; a mention in a comment counts too).
bool MentionsSave(const std::string& text) {
  static const std::string directive = ".save";
  return std::search(text.begin(), text.end(), directive.begin(), directive.end(),
                     [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; }) != text.end();
}

}  // namespace

int CTVRRunDriver::OpenNewDocument() {
  std::string known;
  CTVRDocTemplate* pTemplate = FindBoardType(known);
  if (pTemplate == nullptr) {
    Fail("no board type '" + m_Options.m_strBoard + "' (found: " + (known.empty() ? "none" : known) + ")");
    return CTVRRunOptions::EXIT_NOT_FOUND;
  }
  m_pDoc = pTemplate->OpenNewDocument();
  if (m_pDoc == nullptr) {
    Fail(std::string("cannot create a document of board type ") + pTemplate->GetDocClass()->m_lpszClassName);
    return CTVRRunOptions::EXIT_NOT_FOUND;
  }
  m_pFrames->CreateFrame(*m_pDoc);
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
  m_pDoc = restored[std::size_t(m_Options.m_nDocument - 1)];
  return CTVRRunOptions::EXIT_DONE;
}

int CTVRRunDriver::Prepare() {
  CTVRHost& host = m_Context.Host();
  if (host.GetTemplates().empty() && host.GetProtocols().empty()) {
    Fail("no plug-in found (plug-ins are brd*.so and pro*.so; tavric-run --list says where they are looked for)");
    return CTVRRunOptions::EXIT_NOT_FOUND;
  }
  const int opened = m_Options.m_bRestore ? OpenRestoredDocument() : OpenNewDocument();
  if (opened != CTVRRunOptions::EXIT_DONE) return opened;

  // The trace is streamed to the terminal and the log file; the document
  // keeps only a tail of its records, so a run of any length has flat memory.
  CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().SetKeepLimit(std::size_t(m_Options.m_nKeepRecords));
  if (!m_Options.m_strCompare.empty()) {
    // A golden log that cannot be read fails before the run, not after it.
    m_pGolden = std::make_unique<CTVRGoldenCompare>(m_Options.m_strCompare);
    std::string error;
    if (!m_pGolden->Check(error)) {
      Fail(error);
      return CTVRRunOptions::EXIT_COMPARE;
    }
  }
  if (m_Options.m_bStats || !m_Options.m_strStatsCsv.empty())
    CTVRBoardDocPrivate::Of(*m_pDoc).SetRoundTripStats(&m_Stats);
  m_pTraceView = std::make_unique<CTVRTraceTextView>();
  m_pTraceView->SetKeepText(false);
  m_pTraceView->SetTiming(m_Options.m_bTiming);
  m_pTraceView->SetAppendCallback([this](const std::string& text, tvr::COLORREF colour) {
    m_Printer.Print(text, colour);
    if (m_pGolden) m_pGolden->OnTraceText(text);
  });
  if (m_pGolden) m_pTraceView->SetClearCallback([this] { m_pGolden->OnTraceCleared(); });
  // The expectations checked make the report's cases and the golden masks.
  if (m_pGolden || !m_Options.m_strJUnit.empty())
    CTVRBoardDocPrivate::Of(*m_pDoc).SetExpectationObserver(
        [this](int line, const CTVRExpectation& expectation, const CTVRAnswerSeen& seen, bool met) {
          if (!m_Options.m_strJUnit.empty()) m_Cases.OnChecked(*m_pDoc, line, expectation, seen, met);
          if (m_pGolden) m_pGolden->OnExpectationChecked(expectation, seen);
        });
  // The view text since the last clear, for .save: on disk, in a private
  // spool until a streamed log takes its place.
  m_Spool.Open();
  m_pTraceView->SetSpool(&m_Spool);
  m_pObserver = std::make_unique<CTVRRunObserver>(m_Options.m_nMaxStatements);
  m_pDoc->AddView(m_pTraceView.get());
  m_pDoc->AddView(m_pObserver.get());
  // A restored document traced its reconnection before the view was there.
  const CTVRTraceLog& earlier = CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog();
  for (std::size_t i = 0; i < earlier.GetCount(); ++i)
    m_pTraceView->AppendRecord(earlier.GetAt(i), earlier.GetTimeAt(i));

  // A restored document keeps the protocol it was saved with.
  if (!m_Options.m_bRestore) CTVRBoardDocPrivate::Of(*m_pDoc).SelectProtocol(m_Options.m_strProtocol, 0);
  if (m_pDoc->GetProtocol() == nullptr) {
    std::string names;
    for (CTVRProtocol* pProtocol : host.GetProtocols()) names += (names.empty() ? "" : ", ") + pProtocol->GetName();
    const std::string wanted = m_Options.m_bRestore ? "the restored document has no protocol"
                                                    : "no protocol '" + m_Options.m_strProtocol + "'";
    Fail(wanted + " (found: " + (names.empty() ? "none" : names) + ")");
    return CTVRRunOptions::EXIT_NOT_FOUND;
  }
  host.SetActiveDocument(m_pDoc);

  if (!m_Options.m_strScript.empty()) {
    // "./x.cmd" would give the log file rule a '.' at the very start.
    const std::string script =
        QDir::cleanPath(QString::fromLocal8Bit(m_Options.m_strScript.c_str())).toLocal8Bit().toStdString();
    if (!CTVRBoardDocPrivate::Of(*m_pDoc).OnOpenDocument(script)) {
      Fail("cannot read the script file " + m_Options.m_strScript);
      return CTVRRunOptions::EXIT_SCRIPT;
    }
  } else if (m_Options.m_nQuick == 0 && CTVRBoardDocPrivate::Of(*m_pDoc).GetScriptPath() == "noname") {
    Fail("the restored document " + m_pDoc->GetTitle() + " has no script file");
    return CTVRRunOptions::EXIT_SCRIPT;
  }

  // Only .save and --compare read the spool back: otherwise it is not
  // written to disk a second time.
  if (!m_Options.m_bSaveLog && !m_pGolden && !MentionsSave(CTVRBoardDocPrivate::Of(*m_pDoc).GetLineStore().GetText())) {
    m_pTraceView->SetSpool(nullptr);
    m_Spool.Close();
  }

  // The log holds what the trace view would: from the reader's connection on.
  // The streamed log holds the view text: .save copies it, or only flushes it
  // when it is the log file that .save names.
  if (m_Options.m_bSaveLog) {
    const std::string log = m_Options.m_strLogPath.empty()
                                ? CTVRTraceTextView::GetLogFileName(CTVRBoardDocPrivate::Of(*m_pDoc).GetScriptPath())
                                : m_Options.m_strLogPath;
    // Opening the log empties it: it must not be the script.
    if (CTVRFileWriter::IsSameFile(log, CTVRBoardDocPrivate::Of(*m_pDoc).GetScriptPath())) {
      Fail("the log file " + log + " is the script file itself");
      return CTVRRunOptions::EXIT_WRITE;
    }
    if (!m_Log.Open(log)) return CTVRRunOptions::EXIT_WRITE;
    m_pTraceView->SetSpool(&m_Log.GetSpool());
    m_Spool.Close();
  }
  if (!m_Options.m_strJUnit.empty() &&
      CTVRFileWriter::IsSameFile(m_Options.m_strJUnit, CTVRBoardDocPrivate::Of(*m_pDoc).GetScriptPath())) {
    Fail("the report file " + m_Options.m_strJUnit + " is the script file itself");
    return CTVRRunOptions::EXIT_WRITE;
  }
  // The capture holds every frame from the reader's connection on; it is
  // written at the end, in one step.
  if (!m_Options.m_strPcapPath.empty()) {
    if (CTVRFileWriter::IsSameFile(m_Options.m_strPcapPath, CTVRBoardDocPrivate::Of(*m_pDoc).GetScriptPath())) {
      Fail("the capture file " + m_Options.m_strPcapPath + " is the script file itself");
      return CTVRRunOptions::EXIT_WRITE;
    }
    if (!m_Capture.Open()) {
      Fail("the capture file " + m_Options.m_strPcapPath + " cannot be written: no temporary file");
      return CTVRRunOptions::EXIT_WRITE;
    }
    m_pDoc->AddView(&m_Capture);
  }
  if (!m_Options.m_strReader.empty()) SetBoardOption("reader", m_Options.m_strReader);
  for (const auto& [name, value] : m_Options.m_BoardOptions) SetBoardOption(name, value);
  if (m_Options.m_bGetResponse) CTVRBoardDocPrivate::Of(*m_pDoc).m_bGetResponse = TRUE;
  // A restored document that was connected is connected again already.
  if (!m_pDoc->IsConnected()) CTVRBoardDocPrivate::Of(*m_pDoc).OnReaderConnect();
  // What the board says on connecting comes before the first statement.
  DrainQueue();
  if (m_pObserver->GetEarlyEnd() == RUN_END_PLUGIN_FAULT) {
    Fail("a plug-in fault while the reader was connected");
    return CTVRRunOptions::EXIT_PLUGIN_FAULT;
  }
  if (!m_pDoc->IsConnected()) {
    Fail("the reader could not be connected");
    return CTVRRunOptions::EXIT_CONNECT;
  }

  // A restored document keeps its script type unless --type says otherwise.
  const EScriptType type = m_Options.m_bRestore && !m_Options.m_bTypeGiven
                               ? CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType
                               : m_Options.m_eScriptType;
  switch (type) {
    case SCRIPT_RAWDATA:
      CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptRawdata();
      break;
    case SCRIPT_COMMANDS:
      CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptCommands();
      break;
    case SCRIPT_APDU:
      CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptApdu();
      break;
  }
  if (m_Options.m_bLoop != (CTVRBoardDocPrivate::Of(*m_pDoc).IsLoopMode() != FALSE))
    CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptLoop();
  return CTVRRunOptions::EXIT_DONE;
}

int CTVRRunDriver::Watch() {
  QEventLoop loop;
  QTimer check;
  check.setInterval(kCheckInterval);
  QObject::connect(&check, &QTimer::timeout, [this, &loop] {
    if (!OnCheck()) loop.quit();
  });
  QTimer limit;
  limit.setSingleShot(true);
  QObject::connect(&limit, &QTimer::timeout, [this] { OnTimeLimit(); });

  m_pObserver->Restart();
  m_pWatchdog->StartRun(m_Options.m_dMaxSeconds);
  m_bStarted = true;
  m_strStartedAt = QDateTime::currentDateTime().toString(Qt::ISODate).toStdString();
  m_startedClock = Clock::now();
  if (m_Options.m_bStep)
    CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStep();
  else
    CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStart();

  if (m_Options.m_dMaxSeconds > 0) {
    // QTimer counts in int milliseconds; beyond that the bound is out of reach anyway.
    const double ms = m_Options.m_dMaxSeconds * 1000.0;
    limit.start(ms >= 2147483647.0 ? 2147483647 : int(ms));
  }
  if (OnCheck()) {
    check.start();
    loop.exec();
  }
  return m_nStatus;
}

void CTVRRunDriver::OnInterrupt(int signal) {
  if (m_bInterrupted) return;
  m_bInterrupted = true;
  m_nStatus = CTVRRunOptions::EXIT_SIGNAL + signal;
  if (m_pDoc != nullptr && m_pDoc->IsRunning()) StopRun();
  Fail(signal == SIGTERM ? "terminated (SIGTERM)" : signal == SIGHUP ? "hung up (SIGHUP)" : "interrupted");
}

void CTVRRunDriver::OnTimeLimit() {
  m_bTimeLimitReached = true;
  if (m_pDoc->IsRunning()) StopRun();
}

bool CTVRRunDriver::OnCheck() {
  if (m_bInterrupted) return false;
  if (m_pObserver->GetEarlyEnd() != 0) {
    m_nStatus = EarlyEndStatus();
    return false;
  }
  CTVRBoardDoc& doc = *m_pDoc;
  // A loopback test goes on between its steps with the run stopped: each
  // step is a one-off exchange, the next one a timed message away.
  const bool loopbackRunning = doc.GetProtocol() != nullptr && doc.GetProtocol()->GetLpbActivated() != 0;
  if (!doc.IsRunning() && !loopbackRunning) {
    // The board reported its reader gone: the run is over and did not finish.
    if (!doc.IsConnected()) {
      Fail("the reader was disconnected");
      m_nStatus = CTVRRunOptions::EXIT_CONNECT;
      return false;
    }
    const int line = CTVRBoardDocPrivate::Of(doc).GetCurrentLine();
    const CTVRRunController& run = CTVRBoardDocPrivate::Of(doc).GetRunController();
    // A mismatch under .on_mismatch(pause) halts the run as a breakpoint does.
    const bool onMismatch = run.IsPausedOnMismatch() && !CTVRBoardDocPrivate::Of(doc).IsStepMode();
    const bool atBreakpoint = !CTVRBoardDocPrivate::Of(doc).IsStepMode() && doc.IsConnected() && line >= 0 &&
                              line < CTVRBoardDocPrivate::Of(doc).GetLineCount() &&
                              (CTVRBoardDocPrivate::Of(doc).GetLineState(line) & LINE_BREAKPOINT) != 0;
    if ((!atBreakpoint && !onMismatch) || m_bTimeLimitReached || m_pObserver->IsBoundReached() || m_Options.m_bStep)
      return false;
    m_Printer.Finish();
    if (onMismatch)
      std::fprintf(stderr, "tavric-run: halted at the mismatch on line %d\n",
                   run.GetVerdicts().GetMismatches().back().m_nLine);
    else
      std::fprintf(stderr, "tavric-run: halted at the breakpoint on line %d\n", line + 1);
    if (m_Options.m_bStopAtBreakpoint) return false;
    m_bIdle = false;
    CTVRBoardDocPrivate::Of(doc).OnScriptStart();
    return true;
  }

  const Clock::time_point now = Clock::now();
  CTVRDispatcher& dispatcher = m_Context.Dispatcher();
  if (doc.IsWaitingAnswer()) {
    m_bIdle = false;
    if (!m_bWaiting || m_pObserver->GetProgress() != m_nWaitProgress) {
      m_bWaiting = true;
      m_nWaitProgress = m_pObserver->GetProgress();
      m_waitSince = now;
    }
    // Waiting counts from the later of the wait's start and the last frame,
    // so an answer in several parts keeps a slow statement alive.
    const Clock::time_point since = std::max(m_waitSince, m_pObserver->GetLastExchange());
    if (now - since > std::chrono::duration<double>(m_Options.m_dTimeout)) {
      const int statementLine = LineOfStatement();
      StopRun();
      Fail("the run stalled: no answer within " + FormatSeconds(m_Options.m_dTimeout) + " s to the statement on line " +
           std::to_string(statementLine));
      m_nStatus = CTVRRunOptions::EXIT_STALLED;
      return false;
    }
    return true;
  }
  m_bWaiting = false;
  if (dispatcher.PendingCount() != 0 || dispatcher.PendingTimedCount() != 0 ||
      m_pObserver->GetProgress() != m_nIdleProgress) {
    m_bIdle = false;
    m_nIdleProgress = m_pObserver->GetProgress();
    return true;
  }
  if (!m_bIdle) {
    m_bIdle = true;
    m_idleSince = now;
    return true;
  }
  if (now - m_idleSince < kStallGrace) return true;
  const int statementLine = LineOfStatement();
  StopRun();
  Fail("the run stalled: the statement on line " + std::to_string(statementLine) + " sent nothing and ended nothing");
  m_nStatus = CTVRRunOptions::EXIT_STALLED;
  return false;
}

void CTVRRunDriver::DrainQueue() {
  CTVRDispatcher& dispatcher = m_Context.Dispatcher();
  const Clock::time_point end = Clock::now() + kDrainTime;
  while (dispatcher.PendingCount() != 0 && Clock::now() < end) {
    dispatcher.Drain();
    m_pWatchdog->Beat();
  }
}

int CTVRRunDriver::SendQuick() {
  const int n = m_Options.m_nQuick;
  // Offered as its key is: connected (it is) and at least two characters.
  CTVRCmdUI offered;
  CTVRBoardDocPrivate::Of(*m_pDoc).OnUpdateQuickCommand(n - 1, &offered);
  if (!offered.m_bEnabled) {
    Fail("quick command " + std::to_string(n) + " is not offered: its text \"" +
         CTVRBoardDocPrivate::Of(*m_pDoc).GetQuickCommand(n - 1) + "\" is shorter than two characters");
    return CTVRRunOptions::EXIT_USAGE;
  }
  m_bStarted = true;
  m_pWatchdog->StartRun(m_Options.m_dMaxSeconds);
  CTVRBoardDocPrivate::Of(*m_pDoc).SendQuickCommand(n - 1);
  const bool answered = m_Context.Dispatcher().RunUntil(
      [this] { return !m_pDoc->IsWaitingAnswer() || m_bInterrupted || m_pObserver->GetEarlyEnd() != 0; },
      std::chrono::milliseconds((long long)(m_Options.m_dTimeout * 1000.0)));
  if (m_bInterrupted) return m_nStatus;
  if (m_pObserver->GetEarlyEnd() != 0) return EarlyEndStatus();
  if (!answered) {
    Fail("no answer within " + FormatSeconds(m_Options.m_dTimeout) + " s to quick command " + std::to_string(n));
    return CTVRRunOptions::EXIT_STALLED;
  }
  return CTVRRunOptions::EXIT_DONE;
}

int CTVRRunDriver::Finish(int status) {
  if (m_pDoc == nullptr) return status;
  if (m_bStarted) {
    DrainQueue();
    m_Printer.Finish();
  }
  // The trace as the log has it, before the log is closed.
  if (m_pGolden && m_bStarted) status = CompareWithGolden(status);
  // A log or settings file that could not be written fails a run that
  // otherwise ended well; the reason is on stderr already.
  if (!m_Log.Close() && status == CTVRRunOptions::EXIT_DONE) status = CTVRRunOptions::EXIT_WRITE;
  // Saved while still connected, so the next --restore connects again.
  if (m_Options.m_bSave && !m_pWorkspace->SaveCustomState() && status == CTVRRunOptions::EXIT_DONE)
    status = CTVRRunOptions::EXIT_WRITE;
  if (m_pDoc->IsConnected()) CTVRBoardDocPrivate::Of(*m_pDoc).OnReaderDisconnect();
  // What the board says while it disconnects still belongs to the run.
  DrainQueue();
  if (status == CTVRRunOptions::EXIT_DONE && m_pObserver && m_pObserver->GetEarlyEnd() == RUN_END_PLUGIN_FAULT) {
    Fail("a plug-in fault while the reader was disconnected");
    status = CTVRRunOptions::EXIT_PLUGIN_FAULT;
  }
  // The capture ends with what was exchanged while disconnecting.
  if (m_Capture.IsOpen() && !m_Capture.SaveTo(m_Options.m_strPcapPath)) {
    Fail("the capture file " + m_Options.m_strPcapPath + " could not be written");
    if (status == CTVRRunOptions::EXIT_DONE) status = CTVRRunOptions::EXIT_WRITE;
  }
  // The bar as the desktop program would show it now, after the trace.
  if (m_Options.m_bCardParams) m_Printer.Print(CTVRCardParamsPrinter::Text(m_Context.Host().GetCardSlots()), 0);
  status = ReportStats(status);
  status = WriteJUnit(status);
  // The verdicts last: a failed expectation fails a run that otherwise ended well.
  const CTVRVerdictCounter& verdicts = CTVRBoardDocPrivate::Of(*m_pDoc).GetRunController().GetVerdicts();
  m_Printer.Print(CTVRVerdictLine::Text(verdicts), 0);
  if (verdicts.GetFailed() != 0 && status == CTVRRunOptions::EXIT_DONE) status = CTVRRunOptions::EXIT_EXPECTATIONS;
  m_Printer.Finish();
  return status;
}

int CTVRRunDriver::CompareWithGolden(int status) {
  CTVRTraceSpool* pTrace = m_pTraceView ? m_pTraceView->GetSpool() : nullptr;
  std::string report;
  if (pTrace != nullptr && m_pGolden->Compare(*pTrace, report)) return status;
  if (pTrace == nullptr) report = "the trace was not kept for the comparison\n";
  Fail(report.substr(0, report.size() - 1));
  // A run that failed otherwise keeps its own status: it says more.
  return status == CTVRRunOptions::EXIT_DONE ? CTVRRunOptions::EXIT_COMPARE : status;
}

int CTVRRunDriver::ReportStats(int status) {
  if ((!m_Options.m_bStats && m_Options.m_strStatsCsv.empty()) || !m_bStarted) return status;
  CTVRBoardDocPrivate::Of(*m_pDoc).SetRoundTripStats(nullptr);
  CTVRBoardDocPrivate& doc = CTVRBoardDocPrivate::Of(*m_pDoc);
  const CTVRStatsReport::LineText text = [&doc](int line) {
    return line >= 0 && line < doc.GetLineCount() ? doc.GetLine(line) : std::string();
  };
  if (m_Options.m_bStats) m_Printer.Print(CTVRStatsReport::Table(m_Stats, text), 0);
  std::string reason;
  if (!m_Options.m_strStatsCsv.empty() &&
      !CTVRFileWriter::WriteAll(m_Options.m_strStatsCsv, CTVRStatsReport::Csv(m_Stats, text), &reason)) {
    Fail("the statistics file " + m_Options.m_strStatsCsv + " could not be written: " + reason);
    if (status == CTVRRunOptions::EXIT_DONE) status = CTVRRunOptions::EXIT_WRITE;
  }
  return status;
}

int CTVRRunDriver::WriteJUnit(int status) {
  if (m_Options.m_strJUnit.empty()) return status;
  CTVRBoardDocPrivate::Of(*m_pDoc).SetExpectationObserver(nullptr);
  // Refused at the start: never written over the script.
  if (CTVRFileWriter::IsSameFile(m_Options.m_strJUnit, CTVRBoardDocPrivate::Of(*m_pDoc).GetScriptPath())) return status;
  CTVRJUnitReport::CSuite suite;
  suite.m_strName = m_pDoc->GetTitle();
  suite.m_strScript = QFileInfo(QString::fromLocal8Bit(CTVRBoardDocPrivate::Of(*m_pDoc).GetScriptPath().c_str()))
                          .fileName()
                          .toStdString();
  // A run that never started (or a quick command) has its report's time now.
  const bool started = !m_strStartedAt.empty();
  suite.m_strTimestamp = started ? m_strStartedAt : QDateTime::currentDateTime().toString(Qt::ISODate).toStdString();
  suite.m_dSeconds = started ? std::chrono::duration<double>(Clock::now() - m_startedClock).count() : 0;
  // The board type as New names it; the reader as the board names it, else as
  // the command line did, else the document's title.
  const CTVRDocTemplate* pTemplate = m_pDoc->GetDocTemplate();
  std::string board = pTemplate != nullptr ? pTemplate->GetFileNewName() : std::string();
  if (board.empty() && pTemplate != nullptr) board = pTemplate->GetDocClass()->m_lpszClassName;
  std::string reader = m_Options.m_strReader;
  if (m_pDoc->HasSettings()) {
    std::vector<CTVRBoardSetting> settings;
    CTVRPluginGuard::Call(*m_pDoc, CTVRPluginGuard::SETTINGS, [this, &settings] { m_pDoc->GetSettings(settings); });
    for (const CTVRBoardSetting& setting : settings)
      if (setting.m_strName == "Reader" && !setting.m_strValue.empty()) reader = setting.m_strValue;
  }
  if (reader.empty()) reader = m_pDoc->GetTitle();
  suite.m_Properties = {{"board", board},
                        {"reader", reader},
                        {"protocol", m_pDoc->GetProtocol() != nullptr ? m_pDoc->GetProtocol()->GetName() : ""},
                        {"host", QSysInfo::machineHostName().toStdString()}};
  // The firmware (the mask) the reader reported, of the slot shown first.
  const CTVRCardSlots& cardSlots = m_Context.Host().GetCardSlots();
  std::string firmware = cardSlots.GetMask(cardSlots.GetShownSlot());
  for (int slot = 0; slot < CTVRCardSlots::SLOT_COUNT && firmware.empty(); ++slot) firmware = cardSlots.GetMask(slot);
  if (!firmware.empty()) suite.m_Properties.emplace_back("firmware", firmware);
  suite.m_pCases = &m_Cases;
  CTVRJUnitReport report;
  report.AddSuite(std::move(suite));
  std::string reason;
  if (report.Write(m_Options.m_strJUnit, reason)) return status;
  Fail("the report file " + m_Options.m_strJUnit + " could not be written: " + reason);
  return status == CTVRRunOptions::EXIT_DONE ? CTVRRunOptions::EXIT_WRITE : status;
}
