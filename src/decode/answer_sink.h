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
  // Where the document keeps what decoding reads a dozen times an answer: read
  // in place, these cost no call. Each points at the document's own field, for
  // the sink's whole life.
  struct CFields {
    const tvr::BOOL* m_pTraceOn;
    tvr::BYTE* m_pExpectedOpcode;
    const EScriptType* m_pScriptType;
    CTVRProtocol* const* m_ppProtocol;
    CTVRCrypto* const* m_ppCrypto;
    CTVRAnswerHook* const* m_ppAnswerHook;  // the register tool's
  };

  virtual ~CTVRAnswerSink() = default;
  CTVRAnswerSink(const CTVRAnswerSink&) = delete;
  CTVRAnswerSink& operator=(const CTVRAnswerSink&) = delete;

  // The run.
  tvr::BOOL IsTraceOn() const { return *m_Fields.m_pTraceOn; }
  virtual tvr::BOOL IsWaitingAnswer() const = 0;
  virtual tvr::BOOL IsLoopMode() const = 0;
  virtual tvr::DWORD GetCommandType() const = 0;
  tvr::BYTE GetExpectedOpcode() const { return *m_Fields.m_pExpectedOpcode; }
  void SetExpectedOpcode(tvr::BYTE opcode) { *m_Fields.m_pExpectedOpcode = opcode; }

  // The document's settings and objects.
  EScriptType GetScriptType() const { return *m_Fields.m_pScriptType; }
  virtual CTVRDelayOptions& GetDelayOptions() = 0;
  CTVRProtocol* GetProtocol() const { return *m_Fields.m_ppProtocol; }
  CTVRCrypto* GetCrypto() const { return *m_Fields.m_ppCrypto; }
  virtual tvr::BOOL IsBeepOnError() const = 0;
  // Set by ".escape": the next answer is the escape's.
  virtual tvr::BOOL IsEscapeAnswerExpected() const = 0;
  virtual void SetEscapeAnswerExpected(tvr::BOOL expected) = 0;
  // The register tool's hook on answers, or null.
  CTVRAnswerHook* GetAnswerHook() const { return *m_Fields.m_ppAnswerHook; }
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

 protected:
  explicit CTVRAnswerSink(const CFields& fields) : m_Fields(fields) {}

 private:
  CFields m_Fields;
};
