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
#include "contract/host.h"
#include "decode/answer_decoder.h"
#include "document/board_doc_sink.h"
#include "document/doc_settings.h"
#include "document/interpreter.h"
#include "document/line_store.h"
#include "document/plugin_guard.h"
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

// The file name part of a path, as the caption shows an opened script.
std::string FileTitle(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

CTVRBoardDoc::CTVRBoardDoc()
    : m_DummyWnd(this),
      m_pSink(std::make_unique<CTVRBoardDocSink>(*this)),
      m_pLineStore(std::make_unique<CTVRLineStore>(*m_pSink)),
      m_pInterpreter(std::make_unique<CTVRInterpreter>(*m_pLineStore, *m_pSink)),
      m_pTraceLog(std::make_unique<CTVRTraceLog>()),
      m_pRunController(std::make_unique<CTVRRunController>()) {
  m_strScriptPath = kNoname;

  // Reader
  OnCommand(ID_READER_CONNECT, [this] { OnReaderConnect(); });
  OnCommand(ID_READER_DISCONNECT, [this] { OnReaderDisconnect(); });
  OnUpdate(ID_READER_CONNECT, [this](CTVRCmdUI* ui) { ui->Enable(!m_bConnected && m_bConnectEnabled); });
  OnUpdate(ID_READER_DISCONNECT, [this](CTVRCmdUI* ui) { ui->Enable(m_bConnected); });
  OnCommand(ID_READER_SETTINGS, [this] { OnReaderSettings(); });
  OnUpdate(ID_READER_SETTINGS, [this](CTVRCmdUI* ui) {
    BOOL has = FALSE;
    CTVRPluginGuard::Call(*this, CTVRPluginGuard::SETTINGS, [&] { has = HasSettings(); });
    ui->Enable(has);
  });

  // Run control. Stop goes through the virtual so that a board's override runs.
  OnCommand(ID_SCRIPT_START, [this] { OnScriptStart(); });
  OnCommand(ID_SCRIPT_STEP, [this] { OnScriptStep(); });
  OnCommand(ID_SCRIPT_STOP,
            [this] { CTVRPluginGuard::Call(*this, CTVRPluginGuard::SCRIPT_STOP, [this] { OnScriptStop(); }); });
  OnCommand(ID_SCRIPT_LOOP, [this] { OnScriptLoop(); });
  OnCommand(ID_SCRIPT_RAWDATA, [this] { OnScriptRawdata(); });
  OnCommand(ID_SCRIPT_COMMANDS, [this] { OnScriptCommands(); });
  OnCommand(ID_SCRIPT_APDU, [this] { OnScriptApdu(); });
  OnCommand(ID_DELAY_CMD, [this] { OnDelayCmd(); });
  OnUpdate(ID_SCRIPT_START, [this](CTVRCmdUI* ui) { ui->Enable(m_bConnected && !IsRunning()); });
  OnUpdate(ID_SCRIPT_STEP, [this](CTVRCmdUI* ui) { ui->Enable(m_bConnected && !IsRunning()); });
  OnUpdate(ID_SCRIPT_STOP, [this](CTVRCmdUI* ui) { ui->Enable(m_bConnected && IsRunning()); });
  OnUpdate(ID_SCRIPT_LOOP, [this](CTVRCmdUI* ui) {
    ui->Enable(TRUE);
    ui->SetCheck(IsLoopMode() ? 1 : 0);
  });
  OnUpdate(ID_SCRIPT_RAWDATA, [this](CTVRCmdUI* ui) { ui->SetCheck(m_eScriptType == SCRIPT_RAWDATA ? 1 : 0); });
  OnUpdate(ID_SCRIPT_COMMANDS, [this](CTVRCmdUI* ui) { ui->SetCheck(m_eScriptType == SCRIPT_COMMANDS ? 1 : 0); });
  OnUpdate(ID_SCRIPT_APDU, [this](CTVRCmdUI* ui) { ui->SetCheck(m_eScriptType == SCRIPT_APDU ? 1 : 0); });

  // Trace
  OnCommand(ID_EDIT_CLEAR_ALL, [this] { OnEditClearAll(); });
  OnCommand(ID_LOGFILE_SAVE, [this] { OnLogFileSave(); });
  OnCommand(ID_LOGFILE_SAVE_AS, [this] { OnLogFileSaveAs(); });
  OnCommand(ID_HEX_TO_ASCII, [this] { OnHexToASCII(); });
  OnUpdate(ID_HEX_TO_ASCII, [this](CTVRCmdUI* ui) { ui->SetCheck(m_bHexDisplay ? 1 : 0); });

  OnCommand(ID_CRYPTO, [this] { OnCrypto(); });

  // Quick commands. The identifiers are not consecutive: 32852 is no command.
  OnCommand(ID_CMD_SETTING, [this] { OnCmdSetting(); });
  const UINT quickIds[] = {ID_CMD1, ID_CMD2, ID_CMD3, ID_CMD4, ID_CMD5};
  for (int n = 0; n < 5; ++n) {
    OnCommand(quickIds[n], [this, n] { SendQuickCommand(n); });
    OnUpdate(quickIds[n], [this, n](CTVRCmdUI* ui) { OnUpdateQuickCommand(n, ui); });
  }

  // Script files
  OnCommand(ID_FILE_OPEN, [this] { OnFileOpen(); });
  OnCommand(ID_FILE_SAVE, [this] { OnFileSave(); });
  OnCommand(ID_FILE_SAVE_AS, [this] { OnFileSaveAs(); });
  OnCommand(ID_NEW_SCRIPT_FILE, [this] { OnNewScriptFile(); });

  // Protocols
  OnCommandRange(ID_PROTOCOL_FIRST, ID_PROTOCOL_LAST, [this](tvr::UINT nID) { OnProtocols(nID); });
  OnUpdate(ID_PROTOCOL_FIRST, [this](CTVRCmdUI* ui) { OnUpdateProtocols(ui); });
}

CTVRBoardDoc::~CTVRBoardDoc() {
  if (CTVRDocTemplate* pTemplate = GetDocTemplate()) pTemplate->RemoveDocument(this);
  CTVRHost::Instance().OnDocumentDestroyed(this);
}

// ---- Board interface: neutral base behaviour ------------------------------

void CTVRBoardDoc::Config(BYTE, BYTE, BYTE*, DWORD) {}
void CTVRBoardDoc::Write(BYTE*, DWORD) {}
void CTVRBoardDoc::Read(DWORD) {}
void CTVRBoardDoc::Escape(DWORD, BYTE*, DWORD) {}

BOOL CTVRBoardDoc::Connect() {
  CTVRUserPrompts::Get().MessageBox(kNotImplemented);
  return FALSE;
}

BOOL CTVRBoardDoc::Disconnect() {
  CTVRUserPrompts::Get().MessageBox(kNotImplemented);
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

void CTVRBoardDoc::OnReaderConnect() {
  if (m_pProtocol == nullptr) {
    CTVRUserPrompts::Get().MessageBox(kUnknownProtocol);
    return;
  }
  // A refusing board has reported its own error.
  BOOL connected = FALSE;
  if (!CTVRPluginGuard::Call(*this, CTVRPluginGuard::CONNECT, [&] { connected = Connect(); }) || !connected) return;
  m_bConnected = TRUE;
  m_pProtocol->SetConnected(TRUE);
}

void CTVRBoardDoc::OnReaderDisconnect() {
  BOOL disconnected = FALSE;
  // A board that throws is disconnected by the fault's handling.
  if (!CTVRPluginGuard::Call(*this, CTVRPluginGuard::DISCONNECT, [&] { disconnected = Disconnect(); }) || !disconnected)
    return;
  m_bConnected = FALSE;
  if (m_pProtocol != nullptr) m_pProtocol->SetConnected(FALSE);
}

// ---- Named messages from the board ------------------------------------------

void CTVRBoardDoc::OnSendCommand(BYTE* bytes, DWORD count) {
  SendData(bytes, count, SCRIPT_COMMANDS);
}
void CTVRBoardDoc::OnSendApdu(BYTE* bytes, DWORD count) {
  SendData(bytes, count, SCRIPT_APDU);
}
void CTVRBoardDoc::OnSendRawdata(BYTE* bytes, DWORD count) {
  SendData(bytes, count, SCRIPT_RAWDATA);
}
void CTVRBoardDoc::OnCommandType(WPARAM kind, LPARAM) {
  m_pRunController->OnCommandType(DWORD(kind));
}
void CTVRBoardDoc::OnEndCommand(WPARAM, LPARAM) {
  EndCommand();
}

void CTVRBoardDoc::OnReceiveAnswer(BYTE* answer, DWORD length) {
  // A board that posts a count without bytes gets an empty answer, not a crash.
  if (answer == nullptr) length = 0;
  m_pRunController->OnAnswerArrived();
  CTVRAnswerVerdict verdict;
  if (!CTVRPluginGuard::Call(*this, CTVRPluginGuard::DECODING,
                             [&] { verdict = CTVRAnswerDecoder::Decode(*this, answer, length); }))
    return;
  // The end goes to the active document: a run goes on only while its document is active.
  if (m_pRunController->OnAnswerDecoded(verdict)) PostMessage(GetActiveBoard(), WM_END_COMMAND, 0, 0);
}

void CTVRBoardDoc::OnReceiveComments(const char* text, LPARAM kind) {
  // Boards keep comments under 4,096 bytes; a longer or unterminated one is
  // cut rather than read past.
  char buffer[kCommentBufferSize];
  const std::size_t length = text != nullptr ? strnlen(text, kCommentBufferSize - 1) : 0;
  if (length > 0) std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  if (m_pRunController->IsTraceOn()) NotifyMessage(reinterpret_cast<const BYTE*>(buffer), DWORD(length), int(kind));
}

void CTVRBoardDoc::OnReceiveError() {
  if (m_bBeepOnError) CTVRUserPrompts::Get().MessageBeep(0);
  // Without auto pause the awaited answer still ends the command; with
  // nothing awaited there is nothing left to end it, so the run stops.
  if (!m_bAutoPause && IsWaitingAnswer()) return;
  // A run, or a one-off exchange, that the error ends: the views are told
  // why while the statement is still marked.
  if (IsRunning() || IsWaitingAnswer()) {
    int cause = RUN_END_READER_ERROR;
    UpdateAllViews(nullptr, HINT_RUN_ENDED_EARLY, &cause);
  }
  CTVRPluginGuard::Call(*this, CTVRPluginGuard::SCRIPT_STOP, [this] { OnScriptStop(); });
}

void CTVRBoardDoc::OnReceiveBoardDisconnected() {
  if (!m_bConnected) return;
  OnReaderDisconnect();
  if (!CTVRPluginGuard::Call(*this, CTVRPluginGuard::SCRIPT_STOP, [this] { OnScriptStop(); })) return;
  CTVRUserPrompts::Get().MessageBox(kBoardDisconnected);
}

void CTVRBoardDoc::OnReceiveCardRemoved(WPARAM slot) {
  // Slot 0 is the one the answers to reset of this reader went to: the card
  // the selected protocol addresses.
  WPARAM n = slot;
  if (n == 0) n = m_pProtocol != nullptr ? m_pProtocol->GetSelectCard() : 1;
  if (n < 1 || n > WPARAM(CTVRCardSlots::SLOT_COUNT)) return;
  CTVRHost::Instance().GetCardSlots().ClearAtr(BYTE(n - 1));
}

void CTVRBoardDoc::OnLpb() {
  if (m_pProtocol != nullptr)
    CTVRPluginGuard::Call(*this, CTVRPluginGuard::LOOPBACK, [this] { m_pProtocol->StartLpb(); });
}

void CTVRBoardDoc::OnLpbMsg() {
  if (m_pProtocol != nullptr) CTVRUserPrompts::Get().MessageBox(m_pProtocol->GetName());
}

void CTVRBoardDoc::OnCrypto() {
  if (m_pCrypto != nullptr)
    m_pCrypto->OnCryptoShow();
  else
    CTVRUserPrompts::Get().MessageBox(kNoCyphering);
}

// ---- Document life ------------------------------------------------------------

BOOL CTVRBoardDoc::OnNewDocument() {
  if (!CTVRDocument::OnNewDocument()) return FALSE;

  m_pProtocol = nullptr;
  m_pCrypto = CTVRHost::Instance().GetCrypto();
  // The register tool window belongs to the shell, which drops its hook when
  // it closes; a fresh document simply no longer answers to it.
  m_pRegisterDialog = nullptr;

  m_nProtocolMenuCount = 1;
  m_bConnected = FALSE;
  m_bConnectEnabled = TRUE;
  m_bStateSaved = FALSE;
  m_eScriptType = SCRIPT_RAWDATA;
  m_bReadOnly = FALSE;
  m_pRunController->Reset();
  m_pInterpreter->Reset();
  m_pLineStore->Reset();

  m_strScriptPath = kNoname;
  SetTitle(m_strScriptPath);

  m_pTraceLog->Clear();
  return TRUE;
}

void CTVRBoardDoc::DeleteContents() {
  m_pLineStore->DeleteContents();
  CTVRDocument::DeleteContents();
}

void CTVRBoardDoc::SetTitle(const std::string& text) {
  // The first title given is the document's own name; later calls only change
  // the script name shown in brackets.
  if (GetTitle().empty()) {
    CTVRDocument::SetTitle(text);
    m_strCaption = GetTitle() + " - [" + m_strScriptPath + "]";
  } else {
    m_strCaption = GetTitle() + " - [" + text + "]";
  }
}

BOOL CTVRBoardDoc::OnOpenDocument(const std::string& path) {
  std::string content;
  const CTVRFileReader::EResult read = CTVRFileReader::ReadAll(path, content);
  // The script is taken over as read; the one shown stays until the new one
  // has all the memory it needs.
  const bool held = read == CTVRFileReader::READ_OK && m_pLineStore->SetScriptText(std::move(content));
  if (!held) {
    const bool tooLarge = read == CTVRFileReader::READ_OK || read == CTVRFileReader::READ_TOO_LARGE ||
                          read == CTVRFileReader::READ_NO_MEMORY;
    CTVRUserPrompts::Get().MessageBox(tooLarge ? kScriptTooLarge + path + kScriptTooLargeEnd : kFailedToOpen);
    return FALSE;
  }

  CTVRDocument::DeleteContents();
  m_strScriptPath = path;
  SetPathName(path);
  SetTitle(FileTitle(path));
  SetModifiedFlag(FALSE);
  UpdateAllViews(nullptr, HINT_ALL, nullptr);
  return TRUE;
}

BOOL CTVRBoardDoc::OnSaveDocument(const std::string& path) {
  // Written whole beside the target and renamed over it only when it is on
  // the disk: a failed save leaves the file as it was, and the script stays
  // modified in the window.
  if (!CTVRFileWriter::WriteAll(path, m_pLineStore->GetText())) {
    CTVRUserPrompts::Get().MessageBox(kFailedToSave);
    return FALSE;
  }
  SetModifiedFlag(FALSE);
  return TRUE;
}

// ---- Settings in the registry -------------------------------------------------

BOOL CTVRBoardDoc::SaveState(CTVRRegistry& reg) {
  m_bStateSaved = TRUE;
  CTVRDocSettings settings;
  settings.m_strLastRegSetting = m_strLastRegSetting;
  settings.m_strTitle = GetTitle();
  settings.m_dwConnected = m_bConnected ? 1 : 0;
  settings.m_strProtocol = m_pProtocol != nullptr ? m_pProtocol->GetName() : std::string(kNoProtocol);
  settings.m_strScript = m_strScriptPath;
  settings.m_dwScriptType = DWORD(m_eScriptType);
  settings.m_dwMode = m_byMode;
  settings.m_dwAutoPause = DWORD(m_bAutoPause);
  settings.m_dwStandard = m_pProtocol != nullptr ? m_pProtocol->GetStandard() : 0;
  settings.m_dwBeep = DWORD(m_bBeepOnError);
  settings.m_dwHexMode = DWORD(m_bHexDisplay);
  for (std::size_t i = 0; i < settings.m_Commands.size(); ++i) settings.m_Commands[i] = m_strQuickCommands[i];
  if (m_pCrypto != nullptr)
    settings.m_Keys = {m_pCrypto->GetCypheringKey(), m_pCrypto->GetDecypheringKey(), m_pCrypto->Get3CypheringKey(),
                       m_pCrypto->Get3DecypheringKey()};
  // The chain stops at the first value that cannot be written.
  return settings.Save(reg);
}

BOOL CTVRBoardDoc::LoadState(CTVRRegistry& reg) {
  OnNewDocument();

  // What is not stored takes the defaults of CTVRDocSettings, or the
  // document's current value; what was read before a missing value stays.
  CTVRDocSettings settings;
  settings.m_dwMode = m_byMode;
  settings.m_dwAutoPause = DWORD(m_bAutoPause);
  settings.m_dwBeep = DWORD(m_bBeepOnError);
  settings.m_dwHexMode = DWORD(m_bHexDisplay);
  if (!settings.Load(reg)) CTVRUserPrompts::Get().MessageBox(kNoDocumentInRegistry);

  // A stored type out of range would make every frame empty: raw data instead.
  m_eScriptType = settings.m_dwScriptType <= SCRIPT_APDU ? EScriptType(settings.m_dwScriptType) : SCRIPT_RAWDATA;
  m_byMode = BYTE(settings.m_dwMode);
  m_bAutoPause = settings.m_dwAutoPause != 0 ? TRUE : FALSE;
  m_bBeepOnError = settings.m_dwBeep != 0 ? TRUE : FALSE;
  m_bHexDisplay = settings.m_dwHexMode != 0 ? TRUE : FALSE;
  m_strLastRegSetting = settings.m_strLastRegSetting;

  CTVRDocument::SetTitle(settings.m_strTitle);
  m_strScriptPath = settings.m_strScript;
  if (m_strScriptPath != kNoname) {
    // The caption names the script even when the file has gone: the open step
    // reports that, and the script stays empty.
    SetPathName(m_strScriptPath);
    SetTitle(FileTitle(m_strScriptPath));
    OnOpenDocument(m_strScriptPath);
  } else {
    SetTitle(kNoname);
  }

  m_pProtocol = nullptr;
  SelectProtocol(settings.m_strProtocol, BYTE(settings.m_dwStandard));

  if (settings.m_dwConnected != 0) {
    // The board has reported why it cannot reconnect; the rest stays unrestored.
    BOOL connected = FALSE;
    if (!CTVRPluginGuard::Call(*this, CTVRPluginGuard::CONNECT, [&] { connected = Connect(); }) || !connected)
      return FALSE;
    m_bConnected = TRUE;
    if (m_pProtocol != nullptr) m_pProtocol->SetConnected(TRUE);
  }

  if (m_pCrypto != nullptr) {
    m_pCrypto->SetCypheringKey(settings.m_Keys[0]);
    m_pCrypto->SetDecypheringKey(settings.m_Keys[1]);
    m_pCrypto->Set3CypheringKey(settings.m_Keys[2]);
    m_pCrypto->Set3DecypheringKey(settings.m_Keys[3]);
  }

  for (std::size_t i = 0; i < settings.m_Commands.size(); ++i) m_strQuickCommands[i] = settings.m_Commands[i];
  return TRUE;
}
