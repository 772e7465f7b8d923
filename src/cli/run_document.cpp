#include "cli/run_document.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QSysInfo>

#include <tavric/board_doc.h>
#include <tavric/board_options.h>
#include <tavric/board_setting.h>
#include <tavric/doc_template.h>
#include <tavric/protocol.h>

#include "cli/run_observer.h"
#include "cli/stats_report.h"
#include "cli/terminal_printer.h"
#include "cli/verdict_line.h"
#include "contract/host_context.h"
#include "decode/card_slots.h"
#include "document/board_doc_private.h"
#include "document/line_store.h"
#include "document/plugin_guard.h"
#include "document/run_controller.h"
#include "document/run_end_hint.h"
#include "document/script_text.h"
#include "document/trace_text_view.h"
#include "platform/dispatcher.h"
#include "platform/file_writer.h"
#include "trace/trace_log.h"

namespace {

// A running statement with nothing awaited and nothing queued may still be
// finished by a board's own thread; it has this long before the run is
// declared stalled.
constexpr std::chrono::milliseconds kStallGrace(250);

std::string FormatSeconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof(text), "%g", seconds);
  return text;
}

// The faults of --sim-fault (blank-separated) meant for one reader: those
// without "READER=" before them, and those with this reader's name there.
std::string FaultsFor(const std::string& faults, const std::string& name) {
  std::string kept;
  std::size_t at = 0;
  while (at < faults.size()) {
    const std::size_t end = std::min(faults.find(' ', at), faults.size());
    const std::string fault = faults.substr(at, end - at);
    const std::size_t equals = fault.find('=');
    if (equals == std::string::npos || fault.compare(0, equals, name) == 0)
      kept += (kept.empty() ? "" : " ") + fault.substr(equals == std::string::npos ? 0 : equals + 1);
    at = end + 1;
  }
  return kept;
}

}  // namespace

CTVRRunDocument::CTVRRunDocument(CTVRHostContext& context, const CTVRRunOptions& options, CTVRTerminalPrinter& printer,
                                 CTVRBoardDoc& doc, std::string reader, std::string name,
                                 std::function<void()> drainQueue)
    : m_Context(context),
      m_Options(options),
      m_Terminal(printer),
      m_Doc(doc),
      m_strReader(std::move(reader)),
      m_strName(std::move(name)),
      m_DrainQueue(std::move(drainQueue)),
      m_Printer(printer, m_strName.empty() ? std::string() : "[" + m_strName + "] ") {}

CTVRRunDocument::~CTVRRunDocument() {
  if (m_pTraceView) m_Doc.RemoveView(m_pTraceView.get());
  if (m_pObserver) m_Doc.RemoveView(m_pObserver.get());
  m_Doc.RemoveView(&m_Capture);
}

std::string CTVRRunDocument::ReaderPath(const std::string& path, const std::string& name) {
  std::string suffix = "-";
  for (char c : name)
    suffix += std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-' || c == '_' ? c : '_';
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  // A dot that begins the file name (".log") or lies in a folder's name is no extension's.
  const bool extension = dot != std::string::npos && dot > (slash == std::string::npos ? 0 : slash + 1);
  return extension ? path.substr(0, dot) + suffix + path.substr(dot) : path + suffix;
}

std::string CTVRRunDocument::FilePath(const std::string& path) const {
  return m_strName.empty() ? path : ReaderPath(path, m_strName);
}

void CTVRRunDocument::Fail(const std::string& text) {
  if (m_strFirstFailure.empty()) m_strFirstFailure = text;
  m_Printer.EndLine();
  m_Terminal.Finish();
  std::fprintf(stderr, "tavric-run: %s%s\n", m_strName.empty() ? "" : (m_strName + ": ").c_str(), text.c_str());
}

void CTVRRunDocument::End(int status) {
  m_nStatus = status;
  m_bOver = true;
  m_endedAt = Clock::now();
}

int CTVRRunDocument::LineOfStatement() const {
  // The mark stays on the first line of the running statement until it ends.
  return CTVRBoardDocPrivate::Of(m_Doc).GetMarkedLine() + 1;
}

void CTVRRunDocument::StopRun() {
  CTVRPluginGuard::Call(m_Doc, CTVRPluginGuard::SCRIPT_STOP, [this] { m_Doc.OnScriptStop(); });
}

int CTVRRunDocument::EarlyEndStatus() {
  const std::string line = std::to_string(m_pObserver->GetEarlyEndLine());
  if (m_pObserver->GetEarlyEnd() == RUN_END_PLUGIN_FAULT) {
    Fail("the run ended early on a plug-in fault, at the statement on line " + line);
    return CTVRRunOptions::EXIT_PLUGIN_FAULT;
  }
  Fail("the run ended early on a reader error, at the statement on line " + line);
  return CTVRRunOptions::EXIT_READER_ERROR;
}

int CTVRRunDocument::Prepare() {
  CTVRBoardDocPrivate& doc = CTVRBoardDocPrivate::Of(m_Doc);
  // The trace is streamed to the terminal and the log file; the document
  // keeps only a tail of its records, so a run of any length has flat memory.
  doc.GetTraceLog().SetKeepLimit(std::size_t(m_Options.m_nKeepRecords));
  if (!m_Options.m_strCompare.empty()) {
    // A golden log that cannot be read fails before the run, not after it.
    m_pGolden = std::make_unique<CTVRGoldenCompare>(m_Options.m_strCompare);
    std::string error;
    if (!m_pGolden->Check(error)) {
      Fail(error);
      return CTVRRunOptions::EXIT_COMPARE;
    }
  }
  if (m_Options.m_bStats || !m_Options.m_strStatsCsv.empty()) doc.SetRoundTripStats(&m_Stats);
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
    doc.SetExpectationObserver(
        [this](int line, const CTVRExpectation& expectation, const CTVRAnswerSeen& seen, bool met) {
          if (!m_Options.m_strJUnit.empty()) m_Cases.OnChecked(m_Doc, line, expectation, seen, met);
          if (m_pGolden) m_pGolden->OnExpectationChecked(expectation, seen);
        });
  // The view text since the last clear, for .save: on disk, in a private
  // spool until a streamed log takes its place.
  m_Spool.Open();
  m_pTraceView->SetSpool(&m_Spool);
  m_pObserver = std::make_unique<CTVRRunObserver>();
  m_Doc.AddView(m_pTraceView.get());
  m_Doc.AddView(m_pObserver.get());
  // A restored document traced its reconnection before the view was there.
  const CTVRTraceLog& earlier = doc.GetTraceLog();
  for (std::size_t i = 0; i < earlier.GetCount(); ++i)
    m_pTraceView->AppendRecord(earlier.GetAt(i), earlier.GetTimeAt(i));

  CTVRHost& host = m_Context.Host();
  // A restored document keeps the protocol it was saved with.
  if (!m_Options.m_bRestore) doc.SelectProtocol(m_Options.m_strProtocol, 0);
  if (m_Doc.GetProtocol() == nullptr) {
    std::string names;
    for (CTVRProtocol* pProtocol : host.GetProtocols()) names += (names.empty() ? "" : ", ") + pProtocol->GetName();
    const std::string wanted = m_Options.m_bRestore ? "the restored document has no protocol"
                                                    : "no protocol '" + m_Options.m_strProtocol + "'";
    Fail(wanted + " (found: " + (names.empty() ? "none" : names) + ")");
    return CTVRRunOptions::EXIT_NOT_FOUND;
  }
  // Boards address the active document while they connect.
  host.SetActiveDocument(&m_Doc);

  if (!m_Options.m_strScript.empty()) {
    // "./x.cmd" would give the log file rule a '.' at the very start.
    const std::string script =
        QDir::cleanPath(QString::fromLocal8Bit(m_Options.m_strScript.c_str())).toLocal8Bit().toStdString();
    if (!doc.OnOpenDocument(script)) {
      Fail("cannot read the script file " + m_Options.m_strScript);
      return CTVRRunOptions::EXIT_SCRIPT;
    }
  } else if (m_Options.m_nQuick == 0 && doc.GetScriptPath() == "noname") {
    Fail("the restored document " + m_Doc.GetTitle() + " has no script file");
    return CTVRRunOptions::EXIT_SCRIPT;
  }

  // Only .save and --compare read the spool back: otherwise it is not
  // written to disk a second time.
  if (!m_Options.m_bSaveLog && !m_pGolden && !tvr_script::Mentions(doc.GetLineStore().GetText(), ".save")) {
    m_pTraceView->SetSpool(nullptr);
    m_Spool.Close();
  }

  // The log holds what the trace view would: from the reader's connection on.
  // The streamed log holds the view text: .save copies it, or only flushes it
  // when it is the log file that .save names.
  if (m_Options.m_bSaveLog) {
    m_strLogPath = FilePath(m_Options.m_strLogPath.empty() ? CTVRTraceTextView::GetLogFileName(doc.GetScriptPath())
                                                           : m_Options.m_strLogPath);
    // Opening the log empties it: it must not be the script.
    if (CTVRFileWriter::IsSameFile(m_strLogPath, doc.GetScriptPath())) {
      Fail("the log file " + m_strLogPath + " is the script file itself");
      return CTVRRunOptions::EXIT_WRITE;
    }
    if (!m_Log.Open(m_strLogPath)) return CTVRRunOptions::EXIT_WRITE;
    m_pTraceView->SetSpool(&m_Log.GetSpool());
    m_Spool.Close();
  }
  if (!m_Options.m_strJUnit.empty() && CTVRFileWriter::IsSameFile(m_Options.m_strJUnit, doc.GetScriptPath())) {
    Fail("the report file " + m_Options.m_strJUnit + " is the script file itself");
    return CTVRRunOptions::EXIT_WRITE;
  }
  // The capture holds every frame from the reader's connection on; it is
  // written at the end, in one step.
  if (!m_Options.m_strPcapPath.empty()) {
    const std::string capture = FilePath(m_Options.m_strPcapPath);
    if (CTVRFileWriter::IsSameFile(capture, doc.GetScriptPath())) {
      Fail("the capture file " + capture + " is the script file itself");
      return CTVRRunOptions::EXIT_WRITE;
    }
    if (!m_Capture.Open()) {
      Fail("the capture file " + capture + " cannot be written: no temporary file");
      return CTVRRunOptions::EXIT_WRITE;
    }
    m_Doc.AddView(&m_Capture);
  }
  // Board options hold for the next Connect: each reader is named to its own.
  SetBoardOption("reader", m_strReader);
  for (const auto& [name, value] : m_Options.m_BoardOptions)
    SetBoardOption(name, name == "sim-fault" ? FaultsFor(value, GetResult().m_strName) : value);
  if (m_Options.m_bGetResponse) doc.m_bGetResponse = TRUE;
  // A restored document that was connected is connected again already.
  if (!m_Doc.IsConnected()) doc.OnReaderConnect();
  // What the board says on connecting comes before the first statement.
  m_DrainQueue();
  if (m_pObserver->GetEarlyEnd() == RUN_END_PLUGIN_FAULT) {
    Fail("a plug-in fault while the reader was connected");
    return CTVRRunOptions::EXIT_PLUGIN_FAULT;
  }
  if (!m_Doc.IsConnected()) {
    Fail("the reader could not be connected");
    return CTVRRunOptions::EXIT_CONNECT;
  }

  // A restored document keeps its script type unless --type says otherwise.
  const EScriptType type =
      m_Options.m_bRestore && !m_Options.m_bTypeGiven ? doc.m_eScriptType : m_Options.m_eScriptType;
  switch (type) {
    case SCRIPT_RAWDATA:
      doc.OnScriptRawdata();
      break;
    case SCRIPT_COMMANDS:
      doc.OnScriptCommands();
      break;
    case SCRIPT_APDU:
      doc.OnScriptApdu();
      break;
  }
  if (m_Options.m_bLoop != (doc.IsLoopMode() != FALSE)) doc.OnScriptLoop();
  return CTVRRunOptions::EXIT_DONE;
}

void CTVRRunDocument::Start() {
  m_pObserver->Restart();
  CTVRBoardDocPrivate::Of(m_Doc).GetRunController().SetStatementBound(m_Options.m_nMaxStatements);
  m_bStarted = true;
  m_startedAt = Clock::now();
  m_strStartedAt = QDateTime::currentDateTime().toString(Qt::ISODate).toStdString();
  if (m_Options.m_bStep)
    CTVRBoardDocPrivate::Of(m_Doc).OnScriptStep();
  else
    CTVRBoardDocPrivate::Of(m_Doc).OnScriptStart();
}

void CTVRRunDocument::OnInterrupt(int status) {
  if (m_bOver) return;
  m_bInterrupted = true;
  m_nStatus = status;
  if (m_Doc.IsRunning()) StopRun();
}

void CTVRRunDocument::OnTimeLimit() {
  m_bTimeLimitReached = true;
  if (!m_bOver && m_Doc.IsRunning()) StopRun();
}

bool CTVRRunDocument::OnCheck() {
  if (m_bOver) return false;
  const bool going = [this] {
    if (m_bInterrupted) return false;
    if (m_pObserver->GetEarlyEnd() != 0) {
      m_nStatus = EarlyEndStatus();
      return false;
    }
    CTVRBoardDoc& doc = m_Doc;
    CTVRBoardDocPrivate& d = CTVRBoardDocPrivate::Of(doc);
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
      const int line = d.GetCurrentLine();
      const CTVRRunController& run = d.GetRunController();
      // A mismatch under .on_mismatch(pause) halts the run as a breakpoint does.
      const bool onMismatch = run.IsPausedOnMismatch() && !d.IsStepMode();
      const bool atBreakpoint = !d.IsStepMode() && doc.IsConnected() && line >= 0 && line < d.GetLineCount() &&
                                (d.GetLineState(line) & LINE_BREAKPOINT) != 0;
      if ((!atBreakpoint && !onMismatch) || m_bTimeLimitReached || run.IsStatementBoundReached() || m_Options.m_bStep)
        return false;
      m_Printer.EndLine();
      m_Terminal.Finish();
      const std::string who = m_strName.empty() ? std::string() : m_strName + ": ";
      if (onMismatch)
        std::fprintf(stderr, "tavric-run: %shalted at the mismatch on line %d\n", who.c_str(),
                     run.GetVerdicts().GetMismatches().back().m_nLine);
      else
        std::fprintf(stderr, "tavric-run: %shalted at the breakpoint on line %d\n", who.c_str(), line + 1);
      if (m_Options.m_bStopAtBreakpoint) return false;
      m_bIdle = false;
      d.OnScriptStart();
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
        Fail("the run stalled: no answer within " + FormatSeconds(m_Options.m_dTimeout) +
             " s to the statement on line " + std::to_string(statementLine));
        m_nStatus = CTVRRunOptions::EXIT_STALLED;
        return false;
      }
      return true;
    }
    m_bWaiting = false;
    // The queue is the readers' common one: with other readers busy, a
    // statement that sends nothing is seen idle once they are quiet.
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
  }();
  if (!going) End(m_nStatus);
  return going;
}

int CTVRRunDocument::SendQuick() {
  const int n = m_Options.m_nQuick;
  CTVRBoardDocPrivate& doc = CTVRBoardDocPrivate::Of(m_Doc);
  // Offered as its key is: connected (it is) and at least two characters.
  CTVRCmdUI offered;
  doc.OnUpdateQuickCommand(n - 1, &offered);
  if (!offered.m_bEnabled) {
    Fail("quick command " + std::to_string(n) + " is not offered: its text \"" + doc.GetQuickCommand(n - 1) +
         "\" is shorter than two characters");
    return CTVRRunOptions::EXIT_USAGE;
  }
  m_bStarted = true;
  m_startedAt = Clock::now();
  doc.SendQuickCommand(n - 1);
  const bool answered = m_Context.Dispatcher().RunUntil(
      [this] { return !m_Doc.IsWaitingAnswer() || m_bInterrupted || m_pObserver->GetEarlyEnd() != 0; },
      std::chrono::milliseconds((long long)(m_Options.m_dTimeout * 1000.0)));
  m_endedAt = Clock::now();
  if (m_bInterrupted) return m_nStatus;
  if (m_pObserver->GetEarlyEnd() != 0) return EarlyEndStatus();
  if (!answered) {
    Fail("no answer within " + FormatSeconds(m_Options.m_dTimeout) + " s to quick command " + std::to_string(n));
    return CTVRRunOptions::EXIT_STALLED;
  }
  return CTVRRunOptions::EXIT_DONE;
}

int CTVRRunDocument::EndTrace(int status) {
  if (m_bStarted && !m_bOver) End(status);
  if (m_bStarted) {
    m_DrainQueue();
    m_Printer.EndLine();
    m_Terminal.Finish();
  }
  // The trace as the log has it, before the log is closed.
  if (m_pGolden && m_bStarted) status = CompareWithGolden(status);
  // A log that could not be written fails a run that otherwise ended well;
  // the reason is on stderr already.
  if (!m_Log.Close() && status == CTVRRunOptions::EXIT_DONE) status = CTVRRunOptions::EXIT_WRITE;
  return status;
}

int CTVRRunDocument::Disconnect(int status) {
  if (m_Doc.IsConnected()) CTVRBoardDocPrivate::Of(m_Doc).OnReaderDisconnect();
  // What the board says while it disconnects still belongs to the run.
  m_DrainQueue();
  m_Printer.EndLine();
  if (status == CTVRRunOptions::EXIT_DONE && m_pObserver && m_pObserver->GetEarlyEnd() == RUN_END_PLUGIN_FAULT) {
    Fail("a plug-in fault while the reader was disconnected");
    status = CTVRRunOptions::EXIT_PLUGIN_FAULT;
  }
  // The capture ends with what was exchanged while disconnecting.
  const std::string capture = FilePath(m_Options.m_strPcapPath);
  if (m_Capture.IsOpen() && !m_Capture.SaveTo(capture)) {
    Fail("the capture file " + capture + " could not be written");
    if (status == CTVRRunOptions::EXIT_DONE) status = CTVRRunOptions::EXIT_WRITE;
  }
  return status;
}

int CTVRRunDocument::Report(int status) {
  CTVRBoardDocPrivate& doc = CTVRBoardDocPrivate::Of(m_Doc);
  if ((m_Options.m_bStats || !m_Options.m_strStatsCsv.empty()) && m_bStarted) {
    doc.SetRoundTripStats(nullptr);
    const CTVRStatsReport::LineText text = [&doc](int line) {
      return line >= 0 && line < doc.GetLineCount() ? doc.GetLine(line) : std::string();
    };
    if (m_Options.m_bStats) m_Printer.Print(CTVRStatsReport::Table(m_Stats, text), 0);
    std::string reason;
    const std::string csv = FilePath(m_Options.m_strStatsCsv);
    if (!m_Options.m_strStatsCsv.empty() &&
        !CTVRFileWriter::WriteAll(csv, CTVRStatsReport::Csv(m_Stats, text), &reason)) {
      Fail("the statistics file " + csv + " could not be written: " + reason);
      if (status == CTVRRunOptions::EXIT_DONE) status = CTVRRunOptions::EXIT_WRITE;
    }
  }
  // The verdicts last: a failed expectation fails a run that otherwise ended well.
  const CTVRVerdictCounter& verdicts = doc.GetRunController().GetVerdicts();
  m_Printer.Print(CTVRVerdictLine::Text(verdicts), 0);
  if (verdicts.GetFailed() != 0 && status == CTVRRunOptions::EXIT_DONE) status = CTVRRunOptions::EXIT_EXPECTATIONS;
  m_Printer.EndLine();
  m_Terminal.Finish();
  m_nStatus = status;
  return status;
}

CTVRReaderResult CTVRRunDocument::GetResult() const {
  CTVRReaderResult result;
  result.m_strName = m_strName.empty() ? (m_strReader.empty() ? m_Doc.GetTitle() : m_strReader) : m_strName;
  result.m_strTitle = m_Doc.GetTitle();
  result.m_nStatus = m_nStatus;
  result.m_Verdicts = CTVRBoardDocPrivate::Of(m_Doc).GetRunController().GetVerdicts();
  if (m_bStarted) result.m_dSeconds = std::chrono::duration<double>(m_endedAt - m_startedAt).count();
  result.m_strLogPath = m_strLogPath;
  return result;
}

void CTVRRunDocument::AddToReport(CTVRJUnitReport& report) {
  CTVRBoardDocPrivate& doc = CTVRBoardDocPrivate::Of(m_Doc);
  doc.SetExpectationObserver(nullptr);
  CTVRJUnitReport::CSuite suite;
  suite.m_strName = m_Doc.GetTitle();
  suite.m_strScript = QFileInfo(QString::fromLocal8Bit(doc.GetScriptPath().c_str())).fileName().toStdString();
  // A run that never started (or a quick command) has its report's time now.
  suite.m_strTimestamp =
      m_strStartedAt.empty() ? QDateTime::currentDateTime().toString(Qt::ISODate).toStdString() : m_strStartedAt;
  if (m_bStarted)
    suite.m_dSeconds = std::chrono::duration<double>((m_bOver ? m_endedAt : Clock::now()) - m_startedAt).count();
  // The board type as New names it; the reader as the board names it, else as
  // the command line did, else the document's title.
  const CTVRDocTemplate* pTemplate = m_Doc.GetDocTemplate();
  std::string board = pTemplate != nullptr ? pTemplate->GetFileNewName() : std::string();
  if (board.empty() && pTemplate != nullptr) board = pTemplate->GetDocClass()->m_lpszClassName;
  std::string reader = m_strReader;
  if (m_Doc.HasSettings()) {
    std::vector<CTVRBoardSetting> settings;
    CTVRPluginGuard::Call(m_Doc, CTVRPluginGuard::SETTINGS, [this, &settings] { m_Doc.GetSettings(settings); });
    for (const CTVRBoardSetting& setting : settings)
      if (setting.m_strName == "Reader" && !setting.m_strValue.empty()) reader = setting.m_strValue;
  }
  if (reader.empty()) reader = m_Doc.GetTitle();
  suite.m_Properties = {{"board", board},
                        {"reader", reader},
                        {"protocol", m_Doc.GetProtocol() != nullptr ? m_Doc.GetProtocol()->GetName() : ""},
                        {"host", QSysInfo::machineHostName().toStdString()}};
  // The firmware (the mask) the reader reported, of the slot shown first; the
  // card slots are the host's, so in a rack of readers that is not said.
  if (m_strName.empty()) {
    const CTVRCardSlots& cardSlots = m_Context.Host().GetCardSlots();
    std::string firmware = cardSlots.GetMask(cardSlots.GetShownSlot());
    for (int slot = 0; slot < CTVRCardSlots::SLOT_COUNT && firmware.empty(); ++slot) firmware = cardSlots.GetMask(slot);
    if (!firmware.empty()) suite.m_Properties.emplace_back("firmware", firmware);
  }
  suite.m_pCases = &m_Cases;
  // Failed expectations are the cases' own failures; any other end is the run's error.
  if (m_nStatus != CTVRRunOptions::EXIT_DONE && m_nStatus != CTVRRunOptions::EXIT_EXPECTATIONS) {
    std::string why = m_strFirstFailure;
    if (why.empty() && m_nStatus > 128) why = "stopped by signal " + std::to_string(m_nStatus - 128);
    suite.m_strError = "exit status " + std::to_string(m_nStatus) + (why.empty() ? std::string() : ": " + why);
    suite.m_dErrorSeconds = suite.m_dSeconds;
  }
  report.AddSuite(std::move(suite));
}

int CTVRRunDocument::CompareWithGolden(int status) {
  CTVRTraceSpool* pTrace = m_pTraceView ? m_pTraceView->GetSpool() : nullptr;
  std::string report;
  if (pTrace != nullptr && m_pGolden->Compare(*pTrace, report)) return status;
  if (pTrace == nullptr) report = "the trace was not kept for the comparison\n";
  Fail(report.substr(0, report.size() - 1));
  // A run that failed otherwise keeps its own status: it says more.
  return status == CTVRRunOptions::EXIT_DONE ? CTVRRunOptions::EXIT_COMPARE : status;
}
