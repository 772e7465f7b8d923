#include "serial_doc.h"

#include <QSerialPortInfo>

#include <tavric/board_menu.h>
#include <tavric/messages.h>
#include <tavric/prompts.h>
#include <tavric/protocol.h>
#include <tavric/registry.h>
#include <tavric/trace_record.h>

TVR_IMPLEMENT_DYNCREATE(CTVRSerialDoc)

namespace {

const char* const kParities[] = {"none", "even", "odd"};
const char* const kFlows[] = {"none", "hardware", "software"};

}  // namespace

CTVRMenu CTVRSerialDoc::GetMenu() {
  return TVRBoardMenu(true);
}

CTVRSerialDoc::CTVRSerialDoc() = default;

CTVRSerialDoc::~CTVRSerialDoc() = default;

tvr::BOOL CTVRSerialDoc::LoadState(CTVRRegistry& reg) {
  // Before the base: it reconnects a document that was connected, with these.
  m_Settings.Load(reg);
  return CTVRBoardDoc::LoadState(reg);
}

tvr::BOOL CTVRSerialDoc::SaveState(CTVRRegistry& reg) {
  return CTVRBoardDoc::SaveState(reg) && m_Settings.Save(reg);
}

void CTVRSerialDoc::GetSettings(std::vector<CTVRBoardSetting>& settings) {
  std::vector<std::string> ports;
  for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts())
    ports.push_back(port.systemLocation().toStdString());
  m_Settings.Describe(settings, ports);
}

tvr::BOOL CTVRSerialDoc::SetSetting(const std::string& name, const std::string& value) {
  // The settings window says the refusal; the line opens with the value at
  // the next Connect.
  std::string error;
  return m_Settings.Take(name, value, error) ? TRUE : FALSE;
}

bool CTVRSerialDoc::BoardEndsStatements() const {
  return GetProtocol() && !TVRHostEndsStatements(GetProtocol()->GetDescriptor().m_eAnswerLayout);
}

tvr::BOOL CTVRSerialDoc::Connect() {
  CTVRSerialSettings::CLine line;
  std::string error;
  if (!m_Settings.Resolve(line, error)) {
    TVRMessageBox(error);
    return FALSE;
  }
  // A protocol whose frames carry no length has no geometry: its frames end
  // where the line falls silent.
  const CTVRFrameGeometry* pGeometry = GetProtocol() ? GetProtocol()->GetDescriptor().m_pGeometry : nullptr;
  if (!m_Link.Open(line, pGeometry, GetDummyWindow()->GetSafeHwnd(), error)) {
    TVRMessageBox("Serial: the port " + line.m_strPort + " cannot be opened: " + error);
    return FALSE;
  }
  m_strPort = line.m_strPort;
  // Sent, not posted: it comes before anything the reader sends.
  const std::string text =
      "Serial port " + line.m_strPort + " opened: " + std::to_string(line.m_lSpeed) + " bit/s, parity " +
      kParities[line.m_eParity] + ", flow control " + kFlows[line.m_eFlow] + ", " +
      (pGeometry ? std::string(pGeometry->m_pszName) + " frames" : "frames end at silences") + "\r\n";
  SendMessage(GetDummyWindow()->GetSafeHwnd(), WM_RECV_COMMENTS, reinterpret_cast<tvr::WPARAM>(text.c_str()),
              TRACE_COMMENT);
  return TRUE;
}

tvr::BOOL CTVRSerialDoc::Disconnect() {
  m_Link.Close();
  const std::string text = "Serial port " + m_strPort + " closed\r\n";
  SendMessage(GetDummyWindow()->GetSafeHwnd(), WM_RECV_COMMENTS, reinterpret_cast<tvr::WPARAM>(text.c_str()),
              TRACE_COMMENT);
  return TRUE;
}

void CTVRSerialDoc::Queue(const tvr::BYTE* bytes, tvr::DWORD length, bool bEndStatement) {
  CTVRSerialLink::CFrame frame;
  frame.m_Bytes.assign(bytes, bytes + (bytes ? length : 0));
  frame.m_uCommandDelayMs = GetDelayOptions().m_bCommandDelay ? unsigned(GetDelayOptions().m_dwCommandDelay) : 0;
  frame.m_uDsrTxDelayMs = unsigned(GetDelayOptions().m_dwDsrTxDelay);
  frame.m_bFreeReception = GetDelayOptions().m_bFreeReception != FALSE;
  frame.m_bEndStatement = bEndStatement;
  m_Link.Write(std::move(frame));
}

tvr::BOOL CTVRSerialDoc::Send(tvr::BYTE* frame, tvr::DWORD length) {
  if (!m_Link.IsOpen() || m_Link.IsGone()) return FALSE;
  // In a raw-data script any answer ends the statement.
  Queue(frame, length, BoardEndsStatements() && GetScriptType() != SCRIPT_RAWDATA && IsRunning());
  return TRUE;
}

void CTVRSerialDoc::Write(tvr::BYTE* data, tvr::DWORD length) {
  if (!m_Link.IsOpen() || m_Link.IsGone()) return;
  // A board service: its answer is not one the decoder ends the statement on.
  Queue(data, length, IsRunning() != FALSE);
}

void CTVRSerialDoc::OnScriptStop() {
  CTVRBoardDoc::OnScriptStop();
  m_Link.ClearQueue();
}
