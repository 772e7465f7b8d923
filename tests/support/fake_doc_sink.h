// A stand-in for the reader document under its line store and interpreter:
// it keeps the flags they read and write and logs every call, one readable
// line per call, so a test can state the expected calls and their order.
#pragma once

#include <string>
#include <vector>

#include <tavric/board_doc.h>
#include <tavric/hex_text.h>
#include <tavric/trace_record.h>

#include "document/interpreter_sink.h"
#include "document/line_store_owner.h"

class CTVRFakeDocSink : public CTVRLineStoreOwner, public CTVRInterpreterSink {
 public:
  // The flags as the document would hold them.
  tvr::BOOL m_bRunning = FALSE;
  tvr::BOOL m_bStepMode = FALSE;
  tvr::BOOL m_bLoopMode = FALSE;
  tvr::BOOL m_bTraceOn = TRUE;
  EScriptType m_eScriptType = SCRIPT_COMMANDS;
  CTVRDelayOptions m_DelayOptions;
  CTVRCrypto* m_pCrypto = nullptr;
  std::string m_strScriptPath = "noname";

  // Every call, in order: "Edited", "State 3", "Marked", "Ended", "Started",
  // "RunEnded", "Trace 2 <text>", "Send 1 00 A4", "OneOff 00 00 84",
  // "Config 1F FF 01 23", "Write 01", "Read 16", "Escape 3500", "SaveLog", "Expect 4 SW 9000", "OnMismatch 2",
  // "EndCommand", "Type 0", "Loop 1", "TraceOn 0". Bytes of a trace record of
  // kind 0 are written as hexadecimal, every other kind as its text.
  std::vector<std::string> m_Calls;

  // Line store
  void OnLinesEdited() override { m_Calls.push_back("Edited"); }
  void OnLineStateSet(int line) override { m_Calls.push_back("State " + std::to_string(line)); }
  void OnNextStatementMoved() override { m_Calls.push_back("Marked"); }
  tvr::BOOL IsRunning() const override { return m_bRunning; }
  tvr::BOOL IsStepMode() const override { return m_bStepMode; }
  tvr::BOOL IsLoopMode() const override { return m_bLoopMode; }
  void OnScriptEnded() override {
    m_Calls.push_back("Ended");
    m_bRunning = FALSE;
    m_bStepMode = TRUE;
  }

  // Interpreter
  tvr::BOOL IsTraceOn() const override { return m_bTraceOn; }
  void SetTraceOn(tvr::BOOL on) override { m_Calls.push_back("TraceOn " + std::to_string(m_bTraceOn = on)); }
  void SetGetResponse(tvr::BOOL on) override { m_Calls.push_back("GetResponse " + std::to_string(on)); }
  void SetLoopMode(tvr::BOOL on) override { m_Calls.push_back("Loop " + std::to_string(m_bLoopMode = on)); }
  EScriptType GetScriptType() const override { return m_eScriptType; }
  void SetScriptType(EScriptType type) override {
    m_Calls.push_back("Type " + std::to_string(int(m_eScriptType = type)));
  }
  CTVRDelayOptions& GetDelayOptions() override { return m_DelayOptions; }
  CTVRCrypto* GetCrypto() const override { return m_pCrypto; }
  std::string GetScriptPath() const override { return m_strScriptPath; }
  void OnStatementStarted() override {
    m_Calls.push_back("Started");
    m_bRunning = TRUE;
  }
  void OnRunEnded() override {
    m_Calls.push_back("RunEnded");
    m_bRunning = FALSE;
  }
  void NotifyMessage(const tvr::BYTE* data, tvr::DWORD count, int kind) override {
    const std::string text = kind == TRACE_SENT ? Hex(data, count).substr(count > 0 ? 1 : 0)
                             : data != nullptr  ? std::string(reinterpret_cast<const char*>(data), count)
                                                : std::string();
    m_Calls.push_back("Trace " + std::to_string(kind) + (text.empty() ? "" : " " + text));
  }
  tvr::BOOL SendData(tvr::BYTE* bytes, tvr::DWORD count, EScriptType type) override {
    m_Calls.push_back("Send " + std::to_string(int(type)) + Hex(bytes, count));
    return TRUE;
  }
  void SendOneOffCommand(tvr::BYTE* bytes, tvr::DWORD count) override {
    m_Calls.push_back("OneOff" + Hex(bytes, count));
  }
  void Config(tvr::BYTE code, tvr::BYTE code1, tvr::BYTE* data, tvr::DWORD length) override {
    m_Calls.push_back("Config" + Hex(&code, 1) + Hex(&code1, 1) + Hex(data, length));
  }
  void Write(tvr::BYTE* data, tvr::DWORD length) override { m_Calls.push_back("Write" + Hex(data, length)); }
  void Read(tvr::DWORD count) override { m_Calls.push_back("Read " + std::to_string(count)); }
  void Escape(tvr::DWORD code, tvr::BYTE* data, tvr::DWORD length) override {
    m_Calls.push_back(EscapeCode(code) + Hex(data, length));
  }
  void SaveLog() override { m_Calls.push_back("SaveLog"); }
  void CheckExpectation(const CTVRExpectation& expectation, int line) override {
    m_Calls.push_back("Expect " + std::to_string(line) + " " + expectation.Expected());
  }
  void SetMismatchAction(ETVRMismatchAction action) override {
    m_Calls.push_back("OnMismatch " + std::to_string(int(action)));
  }
  void EndCommand() override { m_Calls.push_back("EndCommand"); }

 private:
  // " 00 A4": each byte after a space.
  static std::string Hex(const tvr::BYTE* data, tvr::DWORD count) {
    return data && count ? " " + CTVRHexText::BytesText(data, count, " ") : std::string();
  }
  // "Escape 3500": the code in hexadecimal without leading zeros.
  static std::string EscapeCode(tvr::DWORD code) {
    std::string digits;
    do {
      digits.insert(digits.begin(), CTVRHexText::Digit(code));
      code >>= 4;
    } while (code != 0);
    return "Escape " + digits;
  }
};
