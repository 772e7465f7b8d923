// The reader document's construction and life: the command table, the board
// interface's base behaviour, the named-message handlers, connection, the
// script file and the settings stored in the registry.
#include <tavric/board_doc.h>

#include <cstring>
#include <iterator>

#include <QString>

#include <tavric/crypto.h>
#include <tavric/doc_template.h>
#include <tavric/messages.h>
#include <tavric/protocol.h>
#include <tavric/registry.h>

#include "board_doc_texts.h"
#include "contract/host_context.h"
#include "decode/answer_decoder.h"
#include "document/board_doc_private.h"
#include "document/board_doc_sink.h"
#include "document/board_settings_dlg.h"
#include "document/doc_settings.h"
#include "document/interpreter.h"
#include "document/line_store.h"
#include "document/plugin_guard.h"
#include "document/round_trip_stats.h"
#include "document/run_controller.h"
#include "document/run_end_hint.h"
#include "platform/file_reader.h"
#include "platform/file_writer.h"
#include "platform/user_prompts.h"
#include "trace/trace_log.h"

using namespace tvr_doc_texts;

TVR_IMPLEMENT_DYNCREATE(CTVRBoardDoc)

namespace {

constexpr std::size_t kCommentBufferSize = 4096;
// The response-chain switch, written after the settings' table: a section
// written before it was added has none and reads as off.
constexpr const char* kGetResponseValue = "GetResponse";

// The file name part of a path, as the caption shows an opened script.
std::string FileTitle(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

CTVRBoardDocPrivate::CTVRBoardDocPrivate(CTVRBoardDoc& doc)
    : m_Doc(doc),
      m_DummyWnd(&doc),
      m_pRunController(std::make_unique<CTVRRunController>()),
      m_pSink(std::make_unique<CTVRBoardDocSink>(
          doc, CTVRAnswerSink::CFields{m_pRunController->TraceOnField(), m_pRunController->ExpectedOpcodeField(),
                                       &m_eScriptType, &m_pProtocol, &m_pCrypto, &m_pRegisterDialog})),
      m_pLineStore(std::make_unique<CTVRLineStore>(*m_pSink)),
      m_pInterpreter(std::make_unique<CTVRInterpreter>(*m_pLineStore, *m_pSink)),
      m_pTraceLog(std::make_unique<CTVRTraceLog>()) {
  m_strScriptPath = kNoname;
}

CTVRBoardDocPrivate::~CTVRBoardDocPrivate() = default;

CTVRBoardDoc::CTVRBoardDoc() : d(std::make_unique<CTVRBoardDocPrivate>(*this)) {
  // Reader
  OnCommand(ID_READER_CONNECT, [this] { d->OnReaderConnect(); });
  OnCommand(ID_READER_DISCONNECT, [this] { d->OnReaderDisconnect(); });
  OnUpdate(ID_READER_CONNECT, [this](CTVRCmdUI* ui) { ui->Enable(!d->m_bConnected && d->m_bConnectEnabled); });
  OnUpdate(ID_READER_DISCONNECT, [this](CTVRCmdUI* ui) { ui->Enable(d->m_bConnected); });
  OnCommand(ID_READER_SETTINGS, [this] { d->OnReaderSettings(); });
  OnUpdate(ID_READER_SETTINGS, [this](CTVRCmdUI* ui) {
    BOOL has = FALSE;
    CTVRPluginGuard::Call(*this, CTVRPluginGuard::SETTINGS, [&] { has = HasSettings(); });
    ui->Enable(has);
  });

  // Run control. Stop goes through the virtual so that a board's override runs.
  OnCommand(ID_SCRIPT_START, [this] { d->OnScriptStart(); });
  OnCommand(ID_SCRIPT_STEP, [this] { d->OnScriptStep(); });
  OnCommand(ID_SCRIPT_STOP,
            [this] { CTVRPluginGuard::Call(*this, CTVRPluginGuard::SCRIPT_STOP, [this] { OnScriptStop(); }); });
  OnCommand(ID_SCRIPT_LOOP, [this] { d->OnScriptLoop(); });
  OnCommand(ID_SCRIPT_RAWDATA, [this] { d->OnScriptRawdata(); });
  OnCommand(ID_SCRIPT_COMMANDS, [this] { d->OnScriptCommands(); });
  OnCommand(ID_SCRIPT_APDU, [this] { d->OnScriptApdu(); });
  OnCommand(ID_DELAY_CMD, [this] { d->OnDelayCmd(); });
  OnUpdate(ID_SCRIPT_START, [this](CTVRCmdUI* ui) { ui->Enable(d->m_bConnected && !IsRunning()); });
  OnUpdate(ID_SCRIPT_STEP, [this](CTVRCmdUI* ui) { ui->Enable(d->m_bConnected && !IsRunning()); });
  OnUpdate(ID_SCRIPT_STOP, [this](CTVRCmdUI* ui) { ui->Enable(d->m_bConnected && IsRunning()); });
  OnUpdate(ID_SCRIPT_LOOP, [this](CTVRCmdUI* ui) {
    ui->Enable(TRUE);
    ui->SetCheck(d->IsLoopMode() ? 1 : 0);
  });
  OnUpdate(ID_SCRIPT_RAWDATA, [this](CTVRCmdUI* ui) { ui->SetCheck(d->m_eScriptType == SCRIPT_RAWDATA ? 1 : 0); });
  OnUpdate(ID_SCRIPT_COMMANDS, [this](CTVRCmdUI* ui) { ui->SetCheck(d->m_eScriptType == SCRIPT_COMMANDS ? 1 : 0); });
  OnUpdate(ID_SCRIPT_APDU, [this](CTVRCmdUI* ui) { ui->SetCheck(d->m_eScriptType == SCRIPT_APDU ? 1 : 0); });

  // Trace
  OnCommand(ID_EDIT_CLEAR_ALL, [this] { d->OnEditClearAll(); });
  OnCommand(ID_LOGFILE_SAVE, [this] { d->OnLogFileSave(); });
  OnCommand(ID_LOGFILE_SAVE_AS, [this] { d->OnLogFileSaveAs(); });
  OnCommand(ID_HEX_TO_ASCII, [this] { d->OnHexToASCII(); });
  OnUpdate(ID_HEX_TO_ASCII, [this](CTVRCmdUI* ui) { ui->SetCheck(d->m_bHexDisplay ? 1 : 0); });

  OnCommand(ID_CRYPTO, [this] { d->OnCrypto(); });

  // Quick commands. The identifiers are not consecutive: 32852 is no command.
  OnCommand(ID_CMD_SETTING, [this] { d->OnCmdSetting(); });
  const UINT quickIds[] = {ID_CMD1, ID_CMD2, ID_CMD3, ID_CMD4, ID_CMD5};
  for (int n = 0; n < 5; ++n) {
    OnCommand(quickIds[n], [this, n] { d->SendQuickCommand(n); });
    OnUpdate(quickIds[n], [this, n](CTVRCmdUI* ui) { d->OnUpdateQuickCommand(n, ui); });
  }

  // Script files
  OnCommand(ID_FILE_OPEN, [this] { d->OnFileOpen(); });
  OnCommand(ID_FILE_SAVE, [this] { d->OnFileSave(); });
  OnCommand(ID_FILE_SAVE_AS, [this] { d->OnFileSaveAs(); });
  OnCommand(ID_NEW_SCRIPT_FILE, [this] { d->OnNewScriptFile(); });

  // Protocols
  OnCommandRange(ID_PROTOCOL_FIRST, ID_PROTOCOL_LAST, [this](tvr::UINT nID) { d->OnProtocols(nID); });
  OnUpdate(ID_PROTOCOL_FIRST, [this](CTVRCmdUI* ui) { d->OnUpdateProtocols(ui); });
}

CTVRBoardDoc::~CTVRBoardDoc() {
  if (CTVRDocTemplate* pTemplate = GetDocTemplate()) pTemplate->RemoveDocument(this);
  if (CTVRHostContext* pContext = d->GetHostContext()) pContext->Host().OnDocumentDestroyed(this);
}

// ---- The board's view of the document ----------------------------------------

BOOL CTVRBoardDoc::IsConnected() const {
  return d->m_bConnected;
}
// The run's state, kept by the run controller.
BOOL CTVRBoardDoc::IsRunning() const {
  return d->GetRunController().IsRunning();
}
BOOL CTVRBoardDoc::IsWaitingAnswer() const {
  return d->GetRunController().IsWaitingAnswer();
}
BOOL CTVRBoardDoc::IsReadOnly() const {
  return d->m_bReadOnly;
}
BOOL CTVRBoardDoc::IsTraceOn() const {
  return d->GetRunController().IsTraceOn();
}

BOOL CTVRBoardDoc::IsGetResponseOn() const {
  return d->m_bGetResponse;
}
EScriptType CTVRBoardDoc::GetScriptType() const {
  return d->m_eScriptType;
}
DWORD CTVRBoardDoc::GetCommandType() const {
  return d->GetRunController().GetCommandType();
}
const CTVRDelayOptions& CTVRBoardDoc::GetDelayOptions() const {
  return d->m_DelayOptions;
}
CTVRProtocol* CTVRBoardDoc::GetProtocol() const {
  return d->m_pProtocol;
}
CTVRCrypto* CTVRBoardDoc::GetCrypto() const {
  return d->m_pCrypto;
}
CTVRDummyWnd* CTVRBoardDoc::GetDummyWindow() {
  return &d->m_DummyWnd;
}

void CTVRBoardDoc::ReportAnswer(const BYTE* answer, DWORD length) {
  PostAnswer(d->m_DummyWnd.GetSafeHwnd(), answer, length);
}
void CTVRBoardDoc::ReportAnswer(const BYTE* answer, DWORD length, std::chrono::nanoseconds roundTrip) {
  PostTimedAnswer(d->m_DummyWnd.GetSafeHwnd(), answer, length, roundTrip);
}
void CTVRBoardDoc::ReportComment(const std::string& text, int kind) {
  PostComment(d->m_DummyWnd.GetSafeHwnd(), text.c_str(), kind);
}
void CTVRBoardDoc::ReportError() {
  PostMessage(d->m_DummyWnd.GetSafeHwnd(), WM_RECV_ERROR, 0, 0);
}
void CTVRBoardDoc::ReportBoardDisconnected() {
  PostMessage(d->m_DummyWnd.GetSafeHwnd(), WM_RECV_BOARD_DISCONNECTED, 0, 0);
}
void CTVRBoardDoc::ReportCardRemoved(WPARAM slot) {
  PostMessage(d->m_DummyWnd.GetSafeHwnd(), WM_RECV_CARD_REMOVED, slot, 0);
}
void CTVRBoardDoc::ReportEndCommand() {
  PostMessage(d->m_DummyWnd.GetSafeHwnd(), WM_END_COMMAND, 0, 0);
}

// ---- Board interface: neutral base behaviour ------------------------------

void CTVRBoardDoc::Config(BYTE, BYTE, BYTE*, DWORD) {}
void CTVRBoardDoc::Write(BYTE*, DWORD) {}
void CTVRBoardDoc::Read(DWORD) {}
void CTVRBoardDoc::Escape(DWORD, BYTE*, DWORD) {}

BOOL CTVRBoardDoc::Connect() {
  d->GetHostContext()->Prompts().MessageBox(kNotImplemented);
  return FALSE;
}

BOOL CTVRBoardDoc::Disconnect() {
  d->GetHostContext()->Prompts().MessageBox(kNotImplemented);
  return FALSE;
}

BOOL CTVRBoardDoc::Send(BYTE*, DWORD) {
  return FALSE;
}

BOOL CTVRBoardDoc::HasSettings() const {
  return FALSE;
}

void CTVRBoardDoc::GetSettings(std::vector<CTVRBoardSetting>&) {}

BOOL CTVRBoardDoc::SetSetting(const std::string&, const std::string&) {
  return FALSE;
}

// ---- Connection -------------------------------------------------------------

void CTVRBoardDocPrivate::OnReaderConnect() {
  if (m_pProtocol == nullptr) {
    GetHostContext()->Prompts().MessageBox(kUnknownProtocol);
    return;
  }
  // A refusing board has reported its own error.
  BOOL connected = FALSE;
  if (!CTVRPluginGuard::Call(m_Doc, CTVRPluginGuard::CONNECT, [&] { connected = m_Doc.Connect(); }) || !connected)
    return;
  m_bConnected = TRUE;
  m_pProtocol->SetConnected(TRUE);
}

void CTVRBoardDocPrivate::OnReaderDisconnect() {
  BOOL disconnected = FALSE;
  // A board that throws is disconnected by the fault's handling.
  if (!CTVRPluginGuard::Call(m_Doc, CTVRPluginGuard::DISCONNECT, [&] { disconnected = m_Doc.Disconnect(); }) ||
      !disconnected)
    return;
  m_bConnected = FALSE;
  if (m_pProtocol != nullptr) m_pProtocol->SetConnected(FALSE);
}

// ---- Named messages from the board ------------------------------------------

void CTVRBoardDocPrivate::OnSendCommand(BYTE* bytes, DWORD count) {
  SendData(bytes, count, SCRIPT_COMMANDS);
}
void CTVRBoardDocPrivate::OnSendApdu(BYTE* bytes, DWORD count) {
  SendData(bytes, count, SCRIPT_APDU);
}
void CTVRBoardDocPrivate::OnSendRawdata(BYTE* bytes, DWORD count) {
  SendData(bytes, count, SCRIPT_RAWDATA);
}
void CTVRBoardDocPrivate::OnCommandType(WPARAM kind, LPARAM) {
  m_pRunController->OnCommandType(DWORD(kind));
}
void CTVRBoardDocPrivate::OnEndCommand(WPARAM, LPARAM) {
  EndCommand();
}

void CTVRBoardDocPrivate::OnReceiveAnswer(BYTE* answer, DWORD length, std::int64_t roundTripNs) {
  // A board that posts a count without bytes gets an empty answer, not a crash.
  if (answer == nullptr) length = 0;
  if (roundTripNs < 0) roundTripNs = CTVRTraceLog::NO_TIME;
  // A script statement's answer counts for its first line, where the mark stays until it ends.
  if (m_pRoundTripStats != nullptr && roundTripNs != CTVRTraceLog::NO_TIME && m_pRunController->GetCommandType() == 0 &&
      m_pRunController->IsRunning())
    m_pRoundTripStats->Add(GetMarkedLine(), roundTripNs);
  m_pRunController->OnAnswerArrived();
  CTVRAnswerVerdict verdict;
  // The answer's record (kind 1), made while it is decoded, keeps the time.
  m_nAnswerTime = roundTripNs;
  const bool decoded = CTVRPluginGuard::Call(m_Doc, CTVRPluginGuard::DECODING,
                                             [&] { verdict = CTVRAnswerDecoder::Decode(*m_pSink, answer, length); });
  m_nAnswerTime = CTVRTraceLog::NO_TIME;
  if (!decoded) return;
  // The end goes to the active document: a run goes on only while its document
  // is active, unless the host runs its documents apart.
  if (m_pRunController->OnAnswerDecoded(verdict))
    PostMessage(GetHostContext()->Host().AreRunsApart() ? m_DummyWnd.GetSafeHwnd() : GetActiveBoard(), WM_END_COMMAND,
                0, 0);
}

void CTVRBoardDocPrivate::OnReceiveComments(const char* text, LPARAM kind) {
  // Boards keep comments under 4,096 bytes; a longer or unterminated one is
  // cut rather than read past.
  char buffer[kCommentBufferSize];
  const std::size_t length = text != nullptr ? strnlen(text, kCommentBufferSize - 1) : 0;
  if (length > 0) std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  if (m_pRunController->IsTraceOn()) NotifyMessage(reinterpret_cast<const BYTE*>(buffer), DWORD(length), int(kind));
}

void CTVRBoardDocPrivate::OnReceiveError() {
  if (m_bBeepOnError) GetHostContext()->Prompts().MessageBeep(0);
  // Without auto pause the awaited answer still ends the command; with
  // nothing awaited there is nothing left to end it, so the run stops.
  if (!m_bAutoPause && m_pRunController->IsWaitingAnswer()) return;
  // A run, or a one-off exchange, that the error ends: the views are told
  // why while the statement is still marked.
  if (m_pRunController->IsRunning() || m_pRunController->IsWaitingAnswer()) {
    int cause = RUN_END_READER_ERROR;
    m_Doc.UpdateAllViews(nullptr, HINT_RUN_ENDED_EARLY, &cause);
  }
  CTVRPluginGuard::Call(m_Doc, CTVRPluginGuard::SCRIPT_STOP, [this] { m_Doc.OnScriptStop(); });
}

void CTVRBoardDocPrivate::OnReceiveBoardDisconnected() {
  if (!m_bConnected) return;
  OnReaderDisconnect();
  if (!CTVRPluginGuard::Call(m_Doc, CTVRPluginGuard::SCRIPT_STOP, [this] { m_Doc.OnScriptStop(); })) return;
  GetHostContext()->Prompts().MessageBox(kBoardDisconnected);
}

void CTVRBoardDocPrivate::OnReceiveCardRemoved(WPARAM slot) {
  // Slot 0 is the one the answers to reset of this reader went to: the card
  // the selected protocol addresses.
  WPARAM n = slot;
  if (n == 0) n = m_pProtocol != nullptr ? m_pProtocol->GetSelectCard() : 1;
  if (n < 1 || n > WPARAM(CTVRCardSlots::SLOT_COUNT)) return;
  GetHostContext()->Host().GetCardSlots().ClearAtr(BYTE(n - 1));
}

void CTVRBoardDocPrivate::OnReceiveSettingsChanged() {
  if (m_pOpenSettings != nullptr) m_pOpenSettings->OnSettingsChanged();
}

void CTVRBoardDocPrivate::OnLpb() {
  if (m_pProtocol != nullptr)
    CTVRPluginGuard::Call(m_Doc, CTVRPluginGuard::LOOPBACK, [this] { m_pProtocol->StartLpb(); });
}

void CTVRBoardDocPrivate::OnLpbMsg() {
  if (m_pProtocol != nullptr) GetHostContext()->Prompts().MessageBox(m_pProtocol->GetName());
}

void CTVRBoardDocPrivate::OnCrypto() {
  if (m_pCrypto != nullptr)
    m_pCrypto->OnCryptoShow();
  else
    GetHostContext()->Prompts().MessageBox(kNoCyphering);
}

// ---- Document life ------------------------------------------------------------

BOOL CTVRBoardDoc::OnNewDocument() {
  if (!CTVRDocument::OnNewDocument()) return FALSE;

  d->m_pProtocol = nullptr;
  d->m_pCrypto = d->GetHostContext()->Host().GetCrypto();
  // The register tool window belongs to the shell, which drops its hook when
  // it closes; a fresh document simply no longer answers to it.
  d->m_pRegisterDialog = nullptr;

  d->m_nProtocolMenuCount = 1;
  d->m_bConnected = FALSE;
  d->m_bConnectEnabled = TRUE;
  d->m_bStateSaved = FALSE;
  d->m_eScriptType = SCRIPT_RAWDATA;
  d->m_bReadOnly = FALSE;
  d->m_pRunController->Reset();
  d->m_pInterpreter->Reset();
  d->m_pLineStore->Reset();

  d->m_strScriptPath = kNoname;
  SetTitle(d->m_strScriptPath);

  d->m_pTraceLog->Clear();
  return TRUE;
}

void CTVRBoardDoc::DeleteContents() {
  d->m_pLineStore->DeleteContents();
  CTVRDocument::DeleteContents();
}

void CTVRBoardDoc::SetTitle(const std::string& text) {
  // The first title given is the document's own name; later calls only change
  // the script name shown in brackets.
  if (GetTitle().empty()) {
    CTVRDocument::SetTitle(text);
    d->m_strCaption = GetTitle() + " - [" + d->m_strScriptPath + "]";
  } else {
    d->m_strCaption = GetTitle() + " - [" + text + "]";
  }
}

BOOL CTVRBoardDocPrivate::OnOpenDocument(const std::string& path) {
  std::string content;
  const CTVRFileReader::EResult read = CTVRFileReader::ReadAll(path, content);
  // The script is taken over as read; the one shown stays until the new one
  // has all the memory it needs.
  const bool held = read == CTVRFileReader::READ_OK && m_pLineStore->SetScriptText(std::move(content));
  if (!held) {
    const bool tooLarge = read == CTVRFileReader::READ_OK || read == CTVRFileReader::READ_TOO_LARGE ||
                          read == CTVRFileReader::READ_NO_MEMORY;
    GetHostContext()->Prompts().MessageBox(tooLarge ? kScriptTooLarge + path + kScriptTooLargeEnd : kFailedToOpen);
    return FALSE;
  }

  m_Doc.CTVRDocument::DeleteContents();
  m_strScriptPath = path;
  m_Doc.SetPathName(path);
  m_Doc.SetTitle(FileTitle(path));
  m_Doc.SetModifiedFlag(FALSE);
  m_Doc.UpdateAllViews(nullptr, HINT_ALL, nullptr);
  return TRUE;
}

BOOL CTVRBoardDocPrivate::OnSaveDocument(const std::string& path) {
  // Written whole beside the target and renamed over it only when it is on
  // the disk: a failed save leaves the file as it was, and the script stays
  // modified in the window.
  if (!CTVRFileWriter::WriteAll(path, m_pLineStore->GetText())) {
    GetHostContext()->Prompts().MessageBox(kFailedToSave);
    return FALSE;
  }
  m_Doc.SetModifiedFlag(FALSE);
  return TRUE;
}

// ---- Settings in the registry -------------------------------------------------

BOOL CTVRBoardDoc::SaveState(CTVRRegistry& reg) {
  d->m_bStateSaved = TRUE;
  CTVRDocSettings settings;
  settings.m_strLastRegSetting = d->m_strLastRegSetting;
  settings.m_strTitle = GetTitle();
  settings.m_dwConnected = d->m_bConnected ? 1 : 0;
  settings.m_strProtocol = d->m_pProtocol != nullptr ? d->m_pProtocol->GetName() : std::string(kNoProtocol);
  settings.m_strScript = d->m_strScriptPath;
  settings.m_dwScriptType = DWORD(d->m_eScriptType);
  settings.m_dwMode = d->m_byMode;
  settings.m_dwAutoPause = DWORD(d->m_bAutoPause);
  settings.m_dwStandard = d->m_pProtocol != nullptr ? d->m_pProtocol->GetStandard() : 0;
  settings.m_dwBeep = DWORD(d->m_bBeepOnError);
  settings.m_dwHexMode = DWORD(d->m_bHexDisplay);
  for (std::size_t i = 0; i < settings.m_Commands.size(); ++i) settings.m_Commands[i] = d->m_strQuickCommands[i];
  if (d->m_pCrypto != nullptr)
    settings.m_Keys = {d->m_pCrypto->GetCypheringKey(), d->m_pCrypto->GetDecypheringKey(),
                       d->m_pCrypto->Get3CypheringKey(), d->m_pCrypto->Get3DecypheringKey()};
  // The chain stops at the first value that cannot be written.
  return settings.Save(reg) && reg.Write(kGetResponseValue, DWORD(d->m_bGetResponse));
}

BOOL CTVRBoardDoc::LoadState(CTVRRegistry& reg) {
  OnNewDocument();

  // What is not stored takes the defaults of CTVRDocSettings, or the
  // document's current value; what was read before a missing value stays.
  CTVRDocSettings settings;
  settings.m_dwMode = d->m_byMode;
  settings.m_dwAutoPause = DWORD(d->m_bAutoPause);
  settings.m_dwBeep = DWORD(d->m_bBeepOnError);
  settings.m_dwHexMode = DWORD(d->m_bHexDisplay);
  if (!settings.Load(reg)) d->GetHostContext()->Prompts().MessageBox(kNoDocumentInRegistry);
  DWORD getResponse = 0;
  d->m_bGetResponse = reg.Read(kGetResponseValue, getResponse) && getResponse != 0 ? TRUE : FALSE;

  // A stored type out of range would make every frame empty: raw data instead.
  d->m_eScriptType = settings.m_dwScriptType <= SCRIPT_APDU ? EScriptType(settings.m_dwScriptType) : SCRIPT_RAWDATA;
  d->m_byMode = BYTE(settings.m_dwMode);
  d->m_bAutoPause = settings.m_dwAutoPause != 0 ? TRUE : FALSE;
  d->m_bBeepOnError = settings.m_dwBeep != 0 ? TRUE : FALSE;
  d->m_bHexDisplay = settings.m_dwHexMode != 0 ? TRUE : FALSE;
  d->m_strLastRegSetting = settings.m_strLastRegSetting;

  CTVRDocument::SetTitle(settings.m_strTitle);
  d->m_strScriptPath = settings.m_strScript;
  if (d->m_strScriptPath != kNoname) {
    // The caption names the script even when the file has gone: the open step
    // reports that, and the script stays empty.
    SetPathName(d->m_strScriptPath);
    SetTitle(FileTitle(d->m_strScriptPath));
    d->OnOpenDocument(d->m_strScriptPath);
  } else {
    SetTitle(kNoname);
  }

  d->m_pProtocol = nullptr;
  d->SelectProtocol(settings.m_strProtocol, BYTE(settings.m_dwStandard));

  if (settings.m_dwConnected != 0) {
    // The board has reported why it cannot reconnect; the rest stays unrestored.
    BOOL connected = FALSE;
    if (!CTVRPluginGuard::Call(*this, CTVRPluginGuard::CONNECT, [&] { connected = Connect(); }) || !connected)
      return FALSE;
    d->m_bConnected = TRUE;
    if (d->m_pProtocol != nullptr) d->m_pProtocol->SetConnected(TRUE);
  }

  if (d->m_pCrypto != nullptr) {
    d->m_pCrypto->SetCypheringKey(settings.m_Keys[0]);
    d->m_pCrypto->SetDecypheringKey(settings.m_Keys[1]);
    d->m_pCrypto->Set3CypheringKey(settings.m_Keys[2]);
    d->m_pCrypto->Set3DecypheringKey(settings.m_Keys[3]);
  }

  for (std::size_t i = 0; i < settings.m_Commands.size(); ++i) d->m_strQuickCommands[i] = settings.m_Commands[i];
  return TRUE;
}
