// The reader document as its line store, its interpreter and the answer
// decoder see it: each call is passed on to the document's own fields and
// operations.
#pragma once

#include "decode/answer_sink.h"
#include "document/interpreter_sink.h"
#include "document/line_store_owner.h"

class CTVRBoardDoc;

// The answer decoder's interface comes first: its calls, several on every
// answer, reach the members with no adjustment of the object's address on the
// way; the line store's, a few a statement, take that step. What the decoder
// reads most (the trace switch, the expected opcode, the script type, the
// protocol, the cyphering object, the register tool's hook) it reads in place,
// where the document keeps it (CTVRAnswerSink::CFields).
class CTVRBoardDocSink final : public CTVRAnswerSink, public CTVRInterpreterSink, public CTVRLineStoreOwner {
 public:
  CTVRBoardDocSink(CTVRBoardDoc& doc, const CFields& fields) : CTVRAnswerSink(fields), m_Doc(doc) {}

  // Line store
  void OnLinesEdited() override;
  void OnLineStateSet(int line) override;
  void OnNextStatementMoved() override;
  tvr::BOOL IsRunning() const override;
  tvr::BOOL IsStepMode() const override;
  tvr::BOOL IsLoopMode() const override;
  void OnScriptEnded() override;

  // Interpreter
  // The interpreter reads these three where the answer decoder does: in place.
  tvr::BOOL IsTraceOn() const override { return CTVRAnswerSink::IsTraceOn(); }
  void SetTraceOn(tvr::BOOL on) override;
  void SetGetResponse(tvr::BOOL on) override;
  void SetLoopMode(tvr::BOOL on) override;
  EScriptType GetScriptType() const override { return CTVRAnswerSink::GetScriptType(); }
  void SetScriptType(EScriptType type) override;
  CTVRDelayOptions& GetDelayOptions() override;
  CTVRCrypto* GetCrypto() const override { return CTVRAnswerSink::GetCrypto(); }
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
  void CheckExpectation(const CTVRExpectation& expectation, int line) override;
  bool CheckExpectationAhead(const CTVRExpectation& expectation, int line, int nextLine) override;
  void SetMismatchAction(ETVRMismatchAction action) override;
  void EndCommand() override;

  // Answer decoder (the members above that it shares are its too)
  tvr::BOOL IsWaitingAnswer() const override;
  tvr::DWORD GetCommandType() const override;
  tvr::BOOL IsBeepOnError() const override;
  tvr::BOOL IsEscapeAnswerExpected() const override;
  void SetEscapeAnswerExpected(tvr::BOOL expected) override;
  CTVRCardSlots& GetCardSlots() override;
  void NotifyJoined(const tvr::BYTE* first, tvr::DWORD firstCount, const tvr::BYTE* second, tvr::DWORD secondCount,
                    int kind) override;
  void UpdateExtent() override;
  void OnAnswerSeen(const CTVRAnswerFrame& answer, bool error, bool statusWord) override;

 private:
  CTVRBoardDoc& m_Doc;
};
