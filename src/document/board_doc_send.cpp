// Frame preparation and sending: every frame to the reader goes through
// SendData, which frames it, hands it to the board, keeps the protocol's card
// selection and the expected answer opcode, and writes the command's name and
// the frame to the trace.
#include <tavric/board_doc.h>

#include <cstring>
#include <memory>

#include <tavric/protocol.h>
#include <tavric/trace_record.h>

#include "board_doc_texts.h"
#include "contract/host_context.h"
#include "decode/protocol_family.h"
#include "document/board_doc_private.h"
#include "document/board_doc_sink.h"
#include "document/doc_expectations.h"
#include "document/plugin_guard.h"
#include "document/run_controller.h"
#include "platform/user_prompts.h"

namespace {

// Frames of a script statement (at most 300 bytes plus a header) fit here, so
// the common case costs no allocation; a longer frame gets a heap buffer.
constexpr std::size_t kStackFrameSize = 512;
// A command of a few bytes and its header: written at once.
constexpr std::size_t kShortFrameSize = 64;

}  // namespace

DWORD CTVRBoardDocPrivate::PrepareData(BYTE* out, DWORD capacity, BYTE* bytes, DWORD count, EScriptType type) {
  if (m_pProtocol == nullptr || type == SCRIPT_RAWDATA) {
    if (out != nullptr && capacity >= count && count > 0 && bytes != nullptr) std::memcpy(out, bytes, count);
    return count;
  }
  if (type == SCRIPT_COMMANDS) return m_pProtocol->Command(out, capacity, bytes, count);
  if (type == SCRIPT_APDU) return m_pProtocol->APDU(out, capacity, bytes, count);
  return 0;
}

BOOL CTVRBoardDocPrivate::SendData(BYTE* bytes, DWORD count, EScriptType type) {
  if (bytes == nullptr) count = 0;
  if (m_pProtocol == nullptr) {
    m_pRunController->OnSendRefused();
    GetHostContext()->Prompts().MessageBox(tvr_doc_texts::kUnknownProtocol);
    return FALSE;
  }

  // Most frames are short: the protocol writes one at once into the zeroed
  // start of the buffer and returns its length; a longer frame is written
  // again into a zeroed buffer of that length. Zeroed: a protocol that writes
  // fewer bytes than it announced must not leave stack garbage in the frame
  // or the trace.
  BYTE stackFrame[kStackFrameSize];
  std::memset(stackFrame, 0, kShortFrameSize);
  std::unique_ptr<BYTE[]> heapFrame;
  BYTE* frame = stackFrame;
  DWORD n = 0;
  if (!CTVRPluginGuard::Call(m_Doc, CTVRPluginGuard::FRAMING,
                             [&] { n = PrepareData(frame, DWORD(kShortFrameSize - 1), bytes, count, type); }))
    return FALSE;
  if (std::size_t(n) + 1 > kShortFrameSize) {
    if (std::size_t(n) + 1 > kStackFrameSize) {
      heapFrame.reset(new BYTE[std::size_t(n) + 1]);
      frame = heapFrame.get();
    }
    std::memset(frame, 0, std::size_t(n) + 1);
    if (!CTVRPluginGuard::Call(m_Doc, CTVRPluginGuard::FRAMING, [&] { PrepareData(frame, n, bytes, count, type); }))
      return FALSE;
  }
  m_pRunController->OnAnswerAwaited();
  if (m_eScriptType == SCRIPT_RAWDATA) m_DelayOptions.m_bFreeReception = TRUE;

  // A statement's frame: its answer is the one the expectations after it read.
  if (m_pRunController->GetCommandType() == 0) m_pRunController->OnFrameHandedOver();
  BOOL result = FALSE;
  if (!CTVRPluginGuard::Call(m_Doc, CTVRPluginGuard::SEND, [&] { result = m_Doc.Send(frame, n); })) return FALSE;

  // The name record, by the protocol's family.
  const CTVRProtocolFamily& family = CTVRProtocolFamily::ForProtocol(*m_pProtocol);
  if (!CTVRPluginGuard::Call(m_Doc, CTVRPluginGuard::NAMING, [&] {
        family.NameSentFrame(*m_pSink, *m_pProtocol, {frame, n, bytes, count});
      }))
    return FALSE;

  if (m_pRunController->IsTraceOn()) NotifyMessage(frame, n, TRACE_SENT);
  return result;
}
