// The reader document as its line store and interpreter see it: each call is
// passed on to the document's own fields and operations.
#pragma once

#include "document/interpreter_sink.h"
#include "document/line_store_owner.h"

class CTVRBoardDoc;

class CTVRBoardDocSink final : public CTVRLineStoreOwner, public CTVRInterpreterSink {
 public:
  explicit CTVRBoardDocSink(CTVRBoardDoc& doc) : m_Doc(doc) {}

  // Line store
  void OnLinesEdited() override;
  void OnLineStateSet(int line) override;
  void OnNextStatementMoved() override;
  tvr::BOOL IsRunning() const override;
  tvr::BOOL IsStepMode() const override;
  tvr::BOOL IsLoopMode() const override;
  void OnScriptEnded() override;

  // Interpreter
  tvr::BOOL IsTraceOn() const override;
  void SetTraceOn(tvr::BOOL on) override;
  void SetGetResponse(tvr::BOOL on) override;
  void SetLoopMode(tvr::BOOL on) override;
  EScriptType GetScriptType() const override;
  void SetScriptType(EScriptType type) override;
  CTVRDelayOptions& GetDelayOptions() override;
  CTVRCrypto* GetCrypto() const override;
  std::string GetScriptPath() const override;
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

 private:
  CTVRBoardDoc& m_Doc;
};
