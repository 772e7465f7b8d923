#include "test_board.h"

#include <tavric/messages.h>

TVR_IMPLEMENT_DYNCREATE(CTVRTestBoard)

namespace {
std::vector<BYTE> Copy(const BYTE* data, DWORD length) {
  return data != nullptr ? std::vector<BYTE>(data, data + length) : std::vector<BYTE>{};
}
}  // namespace

void CTVRTestBoard::Config(BYTE code, BYTE code1, BYTE* data, DWORD length) {
  m_Configs.push_back({code, code1, Copy(data, length)});
}

void CTVRTestBoard::Write(BYTE* data, DWORD length) {
  m_Writes.push_back(Copy(data, length));
}

void CTVRTestBoard::Read(DWORD count) {
  m_Reads.push_back(count);
}

void CTVRTestBoard::Escape(DWORD code, BYTE* data, DWORD length) {
  m_Escapes.push_back({code, Copy(data, length)});
}

BOOL CTVRTestBoard::Connect() {
  ++m_nConnectCalls;
  return m_bConnectResult;
}

BOOL CTVRTestBoard::Disconnect() {
  ++m_nDisconnectCalls;
  return TRUE;
}

BOOL CTVRTestBoard::Send(BYTE* frame, DWORD length) {
  m_Sent.push_back(Copy(frame, length));
  m_SentCommandKinds.push_back(GetCommandType());
  if (m_Responder) {
    // A real board answers from its receiving thread, after Send returned:
    // post, never handle the answer inside Send.
    for (const auto& answer : m_Responder(frame, length)) {
      if (m_RoundTrip)
        ReportAnswer(answer.data(), DWORD(answer.size()), m_RoundTrip(m_Sent.size() - 1));
      else
        PostAnswer(GetDummyWindow()->GetSafeHwnd(), answer.data(), DWORD(answer.size()));
    }
  }
  return TRUE;
}

void CTVRTestBoard::OnScriptStop() {
  ++m_nScriptStopCalls;
  CTVRBoardDoc::OnScriptStop();
}

CTVRTestBoard::Responder CTVRTestBoard::EchoResponder() {
  return [](const BYTE* frame, DWORD n) {
    const BYTE opcode = n > 3 ? frame[3] : BYTE(0);
    return std::vector<std::vector<BYTE>>{MakeAnswerFrame(0x60, opcode)};
  };
}

void CTVRTestBoard::GetSettings(std::vector<CTVRBoardSetting>& settings) {
  settings = m_Settings;
}

BOOL CTVRTestBoard::SetSetting(const std::string& name, const std::string& value) {
  m_SettingCalls.push_back(name + "=" + value);
  if (value == "refused") return FALSE;
  for (CTVRBoardSetting& setting : m_Settings)
    if (setting.m_strName == name) {
      setting.m_strValue = value;
      return TRUE;
    }
  return FALSE;
}
