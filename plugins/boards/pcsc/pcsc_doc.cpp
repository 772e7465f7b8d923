#include "pcsc_doc.h"

#include <tavric/board_menu.h>
#include <tavric/board_options.h>
#include <tavric/messages.h>
#include <tavric/prompts.h>
#include <tavric/registry.h>
#include <tavric/trace_record.h>

TVR_IMPLEMENT_DYNCREATE(CTVRPcscDoc)

namespace {

// The reader's name, stored beside the document's own values.
constexpr const char* kReaderValue = "Reader";

}  // namespace

CTVRMenu CTVRPcscDoc::GetMenu() {
  return TVRBoardMenu(true);
}

CTVRPcscDoc::CTVRPcscDoc() = default;

CTVRPcscDoc::~CTVRPcscDoc() = default;

tvr::BOOL CTVRPcscDoc::LoadState(CTVRRegistry& reg) {
  const tvr::BOOL result = CTVRBoardDoc::LoadState(reg);
  std::string reader;
  if (reg.Read(kReaderValue, reader)) m_strReader = reader;
  return result;
}

tvr::BOOL CTVRPcscDoc::SaveState(CTVRRegistry& reg) {
  return CTVRBoardDoc::SaveState(reg) && reg.Write(kReaderValue, m_strReader);
}

void CTVRPcscDoc::GetSettings(std::vector<CTVRBoardSetting>& settings) {
  CTVRBoardSetting reader;
  reader.m_strName = "Reader";
  reader.m_strLabel = "Reader";
  reader.m_eKind = CTVRBoardSetting::SETTING_CHOICE;
  reader.m_strValue = m_strReader;
  std::string error;
  reader.m_Choices = CTVRPcscLink::ListReaders(error);
  if (!error.empty())
    reader.m_strHint = "The reader list cannot be read: " + error;
  else if (reader.m_Choices.empty())
    reader.m_strHint = "No reader is connected.";
  else
    reader.m_strHint = "Used at the next Connect.";
  settings.push_back(reader);
}

tvr::BOOL CTVRPcscDoc::SetSetting(const std::string& name, const std::string& value) {
  if (name != "Reader") return FALSE;
  m_strReader = value;
  return TRUE;
}

unsigned CTVRPcscDoc::CommandDelay() const {
  return GetDelayOptions().m_bCommandDelay ? unsigned(GetDelayOptions().m_dwCommandDelay) : 0;
}

tvr::BOOL CTVRPcscDoc::Connect() {
  std::string error;
  const std::vector<std::string> readers = m_Link.ListReadersToOpen(error);
  if (!error.empty()) {
    m_Link.Close();
    TVRMessageBox("PC/SC: the reader list cannot be read: " + error);
    return FALSE;
  }
  std::string wanted = GetBoardOption("reader");
  if (wanted.empty()) wanted = m_strReader;
  std::string reader;
  for (const std::string& name : readers)
    if (wanted.empty() || name == wanted) {
      reader = name;
      break;
    }
  if (reader.empty()) {
    std::string known;
    for (const std::string& name : readers) known += (known.empty() ? "" : ", ") + name;
    m_Link.Close();
    TVRMessageBox(wanted.empty() ? "PC/SC: no reader is connected"
                                 : "PC/SC: no reader \"" + wanted + "\" (readers: " + known + ")");
    return FALSE;
  }
  // Sent, not posted: it comes before the answer to reset that the link posts.
  const std::string text = "PC/SC reader " + reader + " connected\r\n";
  SendMessage(GetDummyWindow()->GetSafeHwnd(), WM_RECV_COMMENTS, reinterpret_cast<tvr::WPARAM>(text.c_str()),
              TRACE_COMMENT);
  if (!m_Link.Open(reader, GetDummyWindow()->GetSafeHwnd(), error)) {
    TVRMessageBox("PC/SC: " + reader + ": " + error);
    return FALSE;
  }
  m_strReader = reader;
  return TRUE;
}

tvr::BOOL CTVRPcscDoc::Disconnect() {
  m_Link.Close();
  const std::string text = "PC/SC reader " + m_strReader + " disconnected\r\n";
  SendMessage(GetDummyWindow()->GetSafeHwnd(), WM_RECV_COMMENTS, reinterpret_cast<tvr::WPARAM>(text.c_str()),
              TRACE_COMMENT);
  return TRUE;
}

tvr::BOOL CTVRPcscDoc::Send(tvr::BYTE* frame, tvr::DWORD length) {
  if (!m_Link.IsOpen()) return FALSE;
  m_Link.Transmit(frame, length, CommandDelay());
  return TRUE;
}

void CTVRPcscDoc::Write(tvr::BYTE* data, tvr::DWORD length) {
  if (!m_Link.IsOpen()) return;
  m_Link.Transmit(data, length, CommandDelay());
}

void CTVRPcscDoc::Escape(tvr::DWORD code, tvr::BYTE* data, tvr::DWORD length) {
  if (!m_Link.IsOpen()) return;
  m_Link.Control(code == 0 ? CTVRPcscLink::CCID_ESCAPE_CODE : code, data, length, IsRunning() != FALSE);
}

void CTVRPcscDoc::OnScriptStop() {
  CTVRBoardDoc::OnScriptStop();
  // Exchanges not yet started belong to the run that was stopped.
  m_Link.ClearQueue();
}
