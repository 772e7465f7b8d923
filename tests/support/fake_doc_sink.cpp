#include "fake_doc_sink.h"

#include <cstdio>

#include <tavric/trace_record.h>

namespace {

std::string Hex(const tvr::BYTE* data, tvr::DWORD count) {
  std::string text;
  for (tvr::DWORD i = 0; data != nullptr && i < count; ++i) {
    char digits[4];
    std::snprintf(digits, sizeof digits, " %02X", unsigned(data[i]));
    text += digits;
  }
  return text;
}

}  // namespace

void CTVRFakeDocSink::OnLinesEdited() {
  m_Calls.push_back("Edited");
}

void CTVRFakeDocSink::OnLineStateSet(int line) {
  m_Calls.push_back("State " + std::to_string(line));
}

void CTVRFakeDocSink::OnNextStatementMoved() {
  m_Calls.push_back("Marked");
}

void CTVRFakeDocSink::OnScriptEnded() {
  m_Calls.push_back("Ended");
  m_bRunning = FALSE;
  m_bStepMode = TRUE;
}

void CTVRFakeDocSink::SetTraceOn(tvr::BOOL on) {
  m_Calls.push_back("TraceOn " + std::to_string(on));
  m_bTraceOn = on;
}

void CTVRFakeDocSink::SetLoopMode(tvr::BOOL on) {
  m_Calls.push_back("Loop " + std::to_string(on));
  m_bLoopMode = on;
}

void CTVRFakeDocSink::SetScriptType(EScriptType type) {
  m_Calls.push_back("Type " + std::to_string(int(type)));
  m_eScriptType = type;
}

void CTVRFakeDocSink::OnStatementStarted() {
  m_Calls.push_back("Started");
  m_bRunning = TRUE;
}

void CTVRFakeDocSink::OnRunEnded() {
  m_Calls.push_back("RunEnded");
  m_bRunning = FALSE;
}

void CTVRFakeDocSink::NotifyMessage(const tvr::BYTE* data, tvr::DWORD count, int kind) {
  const std::string text = kind == TRACE_SENT ? Hex(data, count).substr(count > 0 ? 1 : 0)
                           : data != nullptr  ? std::string(reinterpret_cast<const char*>(data), count)
                                              : std::string();
  m_Calls.push_back("Trace " + std::to_string(kind) + (text.empty() ? "" : " " + text));
}

tvr::BOOL CTVRFakeDocSink::SendData(tvr::BYTE* bytes, tvr::DWORD count, EScriptType type) {
  m_Calls.push_back("Send " + std::to_string(int(type)) + Hex(bytes, count));
  return TRUE;
}

void CTVRFakeDocSink::SendOneOffCommand(tvr::BYTE* bytes, tvr::DWORD count) {
  m_Calls.push_back("OneOff" + Hex(bytes, count));
}

void CTVRFakeDocSink::Config(tvr::BYTE code, tvr::BYTE code1, tvr::BYTE* data, tvr::DWORD length) {
  m_Calls.push_back("Config" + Hex(&code, 1) + Hex(&code1, 1) + Hex(data, length));
}

void CTVRFakeDocSink::Write(tvr::BYTE* data, tvr::DWORD length) {
  m_Calls.push_back("Write" + Hex(data, length));
}

void CTVRFakeDocSink::Read(tvr::DWORD count) {
  m_Calls.push_back("Read " + std::to_string(count));
}

void CTVRFakeDocSink::Escape(tvr::DWORD code, tvr::BYTE* data, tvr::DWORD length) {
  char text[16];
  std::snprintf(text, sizeof text, "Escape %X", unsigned(code));
  m_Calls.push_back(text + Hex(data, length));
}

void CTVRFakeDocSink::SaveLog() {
  m_Calls.push_back("SaveLog");
}

void CTVRFakeDocSink::EndCommand() {
  m_Calls.push_back("EndCommand");
}
