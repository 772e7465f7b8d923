// What the answer decoder and the protocol families need of the document a
// frame was sent from or an answer came to: the run's state they read, the
// expected answer opcode they note, the settings an answer reads or changes,
// the trace, and the host's card slots. The reader document implements it
// (CTVRBoardDocSink), so decoding never reaches into the document itself.
#pragma once

#include <tavric/board_doc.h>
#include <tavric/types.h>

class CTVRAnswerFrame;
class CTVRCardSlots;
class CTVRCrypto;
class CTVRProtocol;

class CTVRAnswerSink {
 public:
  virtual ~CTVRAnswerSink() = default;

  // The run.
  virtual tvr::BOOL IsTraceOn() const = 0;
  virtual tvr::BOOL IsWaitingAnswer() const = 0;
  virtual tvr::BOOL IsLoopMode() const = 0;
  virtual tvr::DWORD GetCommandType() const = 0;
  virtual tvr::BYTE GetExpectedOpcode() const = 0;
  virtual void SetExpectedOpcode(tvr::BYTE opcode) = 0;

  // The document's settings and objects.
  virtual EScriptType GetScriptType() const = 0;
  virtual CTVRDelayOptions& GetDelayOptions() = 0;
  virtual CTVRProtocol* GetProtocol() const = 0;
  virtual CTVRCrypto* GetCrypto() const = 0;
  virtual tvr::BOOL IsBeepOnError() const = 0;
  // Set by ".escape": the next answer is the escape's.
  virtual tvr::BOOL IsEscapeAnswerExpected() const = 0;
  virtual void SetEscapeAnswerExpected(tvr::BOOL expected) = 0;
  // The register tool's hook on answers, or null.
  virtual CTVRAnswerHook* GetAnswerHook() const = 0;
  virtual CTVRCardSlots& GetCardSlots() = 0;

  // The trace: a record, and the views' extent after an answer.
  virtual void NotifyMessage(const tvr::BYTE* data, tvr::DWORD count, int kind) = 0;
  // One record whose bytes are the two parts joined, written straight into the trace.
  virtual void NotifyJoined(const tvr::BYTE* first, tvr::DWORD firstCount, const tvr::BYTE* second,
                            tvr::DWORD secondCount, int kind) = 0;
  virtual void UpdateExtent() = 0;
  // The answer of a statement, decoded, for the expectations that follow it:
  // `error` when the decoder found one, `statusWord` when the layout ends its
  // answers with one.
  virtual void OnAnswerSeen(const CTVRAnswerFrame& answer, bool error, bool statusWord) = 0;
};
