// A stand-in for the reader document under its line store and interpreter:
// it keeps the flags they read and write and logs every call, one readable
// line per call, so a test can state the expected calls and their order.
#pragma once

#include <string>
#include <vector>

#include <tavric/board_doc.h>

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
  // "Config 1F FF 01 23", "Write 01", "Read 16", "Escape 3500", "SaveLog",
  // "EndCommand", "Type 0", "Loop 1", "TraceOn 0". Bytes of a trace record of
  // kind 0 are written as hexadecimal, every other kind as its text.
  std::vector<std::string> m_Calls;

  // Line store
  void OnLinesEdited() override;
  void OnLineStateSet(int line) override;
  void OnNextStatementMoved() override;
  tvr::BOOL IsRunning() const override { return m_bRunning; }
  tvr::BOOL IsStepMode() const override { return m_bStepMode; }
  tvr::BOOL IsLoopMode() const override { return m_bLoopMode; }
  void OnScriptEnded() override;

  // Interpreter
  tvr::BOOL IsTraceOn() const override { return m_bTraceOn; }
  void SetTraceOn(tvr::BOOL on) override;
  void SetLoopMode(tvr::BOOL on) override;
  EScriptType GetScriptType() const override { return m_eScriptType; }
  void SetScriptType(EScriptType type) override;
  CTVRDelayOptions& GetDelayOptions() override { return m_DelayOptions; }
  CTVRCrypto* GetCrypto() const override { return m_pCrypto; }
  std::string GetScriptPath() const override { return m_strScriptPath; }
  void OnStatementStarted() override;
  void OnRunEnded() override;
  void NotifyMessage(const tvr::BYTE* data, tvr::DWORD count, int kind) override;
  tvr::BOOL SendData(tvr::BYTE* bytes, tvr::DWORD count, EScriptType type) override;
  void SendOneOffCommand(tvr::BYTE* bytes, tvr::DWORD count) override;
  void Config(tvr::BYTE code, tvr::BYTE code1, tvr::BYTE* data, tvr::DWORD length) override;
  void Write(tvr::BYTE* data, tvr::DWORD length) override;
  void Read(tvr::DWORD count) override;
  void Escape(tvr::DWORD code, tvr::BYTE* data, tvr::DWORD length) override;
  void SaveLog() override;
  void EndCommand() override;
};
