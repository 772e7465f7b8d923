#include "pcsc_doc.h"

#include <cstdlib>

#include <tavric/board_menu.h>
#include <tavric/board_options.h>
#include <tavric/messages.h>
#include <tavric/prompts.h>
#include <tavric/registry.h>
#include <tavric/trace_record.h>

#include "pcsc_replies.h"

TVR_IMPLEMENT_DYNCREATE(CTVRPcscDoc)

namespace {

// The board's settings, stored beside the document's own values under their names.
constexpr const char* kReaderValue = "Reader";
constexpr const char* kSharingValue = "Sharing";
constexpr const char* kProtocolValue = "CardProtocol";
constexpr const char* kTimeoutValue = "AnswerTimeout";

// The choices of the two connection settings, the default first, and what
// they hand to SCardConnect.
struct CChoice {
  const char* m_pszText;
  tvr::DWORD m_dwValue;
};
constexpr CChoice kSharings[] = {{"shared", SCARD_SHARE_SHARED}, {"exclusive", SCARD_SHARE_EXCLUSIVE}};
constexpr CChoice kProtocols[] = {
    {"T=0 or T=1", SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1}, {"T=0", SCARD_PROTOCOL_T0}, {"T=1", SCARD_PROTOCOL_T1}};

template <std::size_t N>
const CChoice* Find(const CChoice (&choices)[N], const std::string& text) {
  for (const CChoice& choice : choices)
    if (text == choice.m_pszText) return &choice;
  return nullptr;
}

template <std::size_t N>
CTVRBoardSetting ChoiceSetting(const char* name, const char* label, const std::string& value,
                               const CChoice (&choices)[N], const char* hint) {
  CTVRBoardSetting setting;
  setting.m_strName = name;
  setting.m_strLabel = label;
  setting.m_eKind = CTVRBoardSetting::SETTING_CHOICE;
  setting.m_strValue = value;
  for (const CChoice& choice : choices) setting.m_Choices.emplace_back(choice.m_pszText);
  setting.m_strHint = hint;
  return setting;
}

}  // namespace

CTVRMenu CTVRPcscDoc::GetMenu() {
  return TVRBoardMenu(true);
}

CTVRPcscDoc::CTVRPcscDoc() : m_strSharing(kSharings[0].m_pszText), m_strProtocol(kProtocols[0].m_pszText) {}

CTVRPcscDoc::~CTVRPcscDoc() {
  m_ReaderWatch.Stop();
  m_pLink->Close();
}

std::vector<std::string> CTVRPcscDoc::ListCurrentReaders(std::string& error) {
  return CTVRPcscLink::ListReaders(error);
}

tvr::BOOL CTVRPcscDoc::LoadState(CTVRRegistry& reg) {
  const tvr::BOOL result = CTVRBoardDoc::LoadState(reg);
  std::string reader;
  if (reg.Read(kReaderValue, reader)) m_strReader = reader;
  // A value missing, or not one of the choices, leaves the default.
  std::string value;
  if (reg.Read(kSharingValue, value) && Find(kSharings, value)) m_strSharing = value;
  if (reg.Read(kProtocolValue, value) && Find(kProtocols, value)) m_strProtocol = value;
  if (reg.Read(kTimeoutValue, value)) SetSetting(kTimeoutValue, value);
  return result;
}

tvr::BOOL CTVRPcscDoc::SaveState(CTVRRegistry& reg) {
  return CTVRBoardDoc::SaveState(reg) && reg.Write(kReaderValue, m_strReader) &&
         reg.Write(kSharingValue, m_strSharing) && reg.Write(kProtocolValue, m_strProtocol) &&
         reg.Write(kTimeoutValue, std::to_string(m_uAnswerTimeoutMs));
}

void CTVRPcscDoc::GetSettings(std::vector<CTVRBoardSetting>& settings) {
  // From now on the window's list follows the readers that come and go.
  m_ReaderWatch.Start(GetDummyWindow()->GetSafeHwnd());
  CTVRBoardSetting reader;
  reader.m_strName = "Reader";
  reader.m_strLabel = "Reader";
  reader.m_eKind = CTVRBoardSetting::SETTING_CHOICE;
  reader.m_strValue = m_strReader;
  std::string error;
  reader.m_Choices = ListCurrentReaders(error);
  if (!error.empty())
    reader.m_strHint = "The reader list cannot be read: " + error;
  else if (reader.m_Choices.empty())
    reader.m_strHint = "No reader is connected.";
  else
    reader.m_strHint = "Used at the next Connect.";
  settings.push_back(reader);
  settings.push_back(ChoiceSetting(kSharingValue, "Access", m_strSharing, kSharings,
                                   "Exclusive keeps other applications away from the card. Used at the next Connect."));
  settings.push_back(ChoiceSetting(kProtocolValue, "Card protocol", m_strProtocol, kProtocols,
                                   "The trace names the protocol in use with the answer to reset. Used at the next "
                                   "Connect."));
  CTVRBoardSetting timeout;
  timeout.m_strName = kTimeoutValue;
  timeout.m_strLabel = "Answer timeout (ms)";
  timeout.m_eKind = CTVRBoardSetting::SETTING_NUMBER;
  timeout.m_strValue = std::to_string(m_uAnswerTimeoutMs);
  timeout.m_nMin = MIN_ANSWER_TIMEOUT_MS;
  timeout.m_nMax = MAX_ANSWER_TIMEOUT_MS;
  timeout.m_strHint =
      "A reader that takes longer to connect or to answer is taken as not answering: the document is "
      "disconnected. Used at the next Connect.";
  settings.push_back(timeout);
}

tvr::BOOL CTVRPcscDoc::SetSetting(const std::string& name, const std::string& value) {
  if (name == kReaderValue) {
    m_strReader = value;
    return TRUE;
  }
  if (name == kSharingValue && Find(kSharings, value)) {
    m_strSharing = value;
    return TRUE;
  }
  if (name == kProtocolValue && Find(kProtocols, value)) {
    m_strProtocol = value;
    return TRUE;
  }
  if (name == kTimeoutValue) {
    char* end = nullptr;
    const unsigned long ms = std::strtoul(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || value[0] == '-' || ms < MIN_ANSWER_TIMEOUT_MS || ms > MAX_ANSWER_TIMEOUT_MS)
      return FALSE;
    m_uAnswerTimeoutMs = unsigned(ms);
    return TRUE;
  }
  return FALSE;
}

CTVRPcscLink::CAccess CTVRPcscDoc::GetAccess() const {
  CTVRPcscLink::CAccess access;
  if (const CChoice* sharing = Find(kSharings, m_strSharing)) access.m_dwShare = sharing->m_dwValue;
  if (const CChoice* protocol = Find(kProtocols, m_strProtocol)) access.m_dwProtocols = protocol->m_dwValue;
  return access;
}

unsigned CTVRPcscDoc::CommandDelay() const {
  return GetDelayOptions().m_bCommandDelay ? unsigned(GetDelayOptions().m_dwCommandDelay) : 0;
}

tvr::BOOL CTVRPcscDoc::Connect() {
  // A fresh link: the last one may still be held by a call past its limit.
  m_pLink->Close();
  m_pLink = std::make_shared<CTVRPcscLink>();
  std::string error;
  const std::vector<std::string> readers = m_pLink->ListReadersToOpen(error);
  if (!error.empty()) {
    m_pLink->Close();
    TVRMessageBox("PC/SC: the reader list cannot be read: " + error);
    return FALSE;
  }
  std::string wanted = GetBoardOption("reader");
  if (wanted.empty()) wanted = m_strReader;
  const std::string reader = wanted.empty() ? (readers.empty() ? std::string() : readers.front())
                                            : CTVRPcscReplies::FindReader(readers, wanted);
  if (reader.empty()) {
    std::string known;
    for (const std::string& name : readers) known += (known.empty() ? "" : ", ") + name;
    m_pLink->Close();
    TVRMessageBox(wanted.empty() ? "PC/SC: no reader is connected"
                                 : "PC/SC: no reader \"" + wanted + "\" (readers: " + known + ")");
    return FALSE;
  }
  // Sent, not posted: it comes before the answer to reset that the link posts.
  const std::string text = "PC/SC reader " + reader + " connected\r\n";
  SendMessage(GetDummyWindow()->GetSafeHwnd(), WM_RECV_COMMENTS, reinterpret_cast<tvr::WPARAM>(text.c_str()),
              TRACE_COMMENT);
  if (!m_pLink->Open(reader, GetAccess(), std::chrono::milliseconds(m_uAnswerTimeoutMs),
                     GetDummyWindow()->GetSafeHwnd(), error)) {
    TVRMessageBox("PC/SC: " + reader + ": " + error);
    return FALSE;
  }
  m_strReader = reader;
  return TRUE;
}

tvr::BOOL CTVRPcscDoc::Disconnect() {
  m_pLink->Close();
  const std::string text = "PC/SC reader " + m_strReader + " disconnected\r\n";
  SendMessage(GetDummyWindow()->GetSafeHwnd(), WM_RECV_COMMENTS, reinterpret_cast<tvr::WPARAM>(text.c_str()),
              TRACE_COMMENT);
  return TRUE;
}

tvr::BOOL CTVRPcscDoc::Send(tvr::BYTE* frame, tvr::DWORD length) {
  if (!m_pLink->IsOpen()) return FALSE;
  m_pLink->Transmit(frame, length, CommandDelay(), IsGetResponseOn() != FALSE);
  return TRUE;
}

void CTVRPcscDoc::Write(tvr::BYTE* data, tvr::DWORD length) {
  if (!m_pLink->IsOpen()) return;
  m_pLink->Transmit(data, length, CommandDelay(), IsGetResponseOn() != FALSE);
}

void CTVRPcscDoc::Escape(tvr::DWORD code, tvr::BYTE* data, tvr::DWORD length) {
  if (!m_pLink->IsOpen()) return;
  m_pLink->Control(code == 0 ? CTVRPcscLink::CCID_ESCAPE_CODE : code, data, length, IsRunning() != FALSE);
}

void CTVRPcscDoc::OnScriptStop() {
  CTVRBoardDoc::OnScriptStop();
  // Exchanges not yet started belong to the run that was stopped.
  m_pLink->ClearQueue();
}
