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
#include "contract/host.h"
#include "platform/user_prompts.h"

namespace {

// Frames of a script statement (at most 300 bytes plus a header) fit here, so
// the common case costs no allocation; a longer frame gets a heap buffer.
constexpr std::size_t kStackFrameSize = 512;

}  // namespace

DWORD CTVRBoardDoc::PrepareData(BYTE* out, DWORD capacity, BYTE* bytes, DWORD count, EScriptType type) {
  if (m_pProtocol == nullptr || type == SCRIPT_RAWDATA) {
    if (out != nullptr && capacity >= count && count > 0 && bytes != nullptr) std::memcpy(out, bytes, count);
    return count;
  }
  if (type == SCRIPT_COMMANDS) return m_pProtocol->Command(out, capacity, bytes, count);
  if (type == SCRIPT_APDU) return m_pProtocol->APDU(out, capacity, bytes, count);
  return 0;
}

BOOL CTVRBoardDoc::SendData(BYTE* bytes, DWORD count, EScriptType type) {
  if (bytes == nullptr) count = 0;
  m_bWaitAnswer = TRUE;
  if (m_pProtocol == nullptr) {
    CTVRUserPrompts::Get().MessageBox(tvr_doc_texts::kUnknownProtocol);
    return FALSE;
  }

  const DWORD n = PrepareData(nullptr, 0, bytes, count, type);
  BYTE stackFrame[kStackFrameSize];
  std::unique_ptr<BYTE[]> heapFrame;
  BYTE* frame = stackFrame;
  if (std::size_t(n) + 1 > kStackFrameSize) {
    heapFrame.reset(new BYTE[std::size_t(n) + 1]);
    frame = heapFrame.get();
  }
  // A protocol that writes fewer bytes than it announced must not leave
  // stack garbage in the frame or the trace.
  std::memset(frame, 0, std::size_t(n) + 1);

  m_bRunning = TRUE;
  PrepareData(frame, n, bytes, count, type);
  if (m_eScriptType == SCRIPT_RAWDATA) m_DelayOptions.m_bFreeReception = TRUE;

  const BOOL result = Send(frame, n);

  // The name record. The host knows only the byte positions read below; a
  // frame too short to hold them (a raw statement of a few bytes) is named
  // " UNKNOWN COMMAND" where a name is due, and changes neither the card
  // selection nor the expected opcode: no byte beyond the frame is read.
  CTVRProtocol& protocol = *m_pProtocol;
  CCmdCode& commands = *protocol.GetCmdCode();
  const bool scriptTyped = m_eScriptType != SCRIPT_RAWDATA;
  auto writeName = [this](const char* text, DWORD length) {
    if (!m_bTraceOn) return;
    if (text == nullptr) length = 0;
    NotifyMessage(reinterpret_cast<const BYTE*>(text), length, TRACE_COMMAND_NAME);
  };
  auto writeUnknown = [&writeName] {
    writeName(tvr_doc_texts::kUnknownCommand, DWORD(sizeof(tvr_doc_texts::kUnknownCommand) - 1));
  };
  // A name of the command table, or " UNKNOWN COMMAND" when the table has none.
  auto writeTableName = [&](BYTE cls, BYTE code, bool emptyIsUnknown) {
    if (!commands.IsDefined(cls)) return writeUnknown();
    const BYTE length = commands.GetLength(cls, code);
    if (emptyIsUnknown && length == 0) return writeUnknown();
    writeName(commands.GetText(cls, code), length);
  };

  switch (protocol.GetMenuId()) {
    case 180:
    case 181:
      if (n >= 5) {
        m_byExpectedOpcode = frame[3];
        if (frame[3] == protocol.GetOpcodeSelectCard() && scriptTyped) {
          // A script's selection can be undone when it fails; a one-off
          // command's cannot, so it leaves the old card alone.
          if (m_dwCommandType == 0) protocol.SetOldSelectCard(protocol.GetSelectCard());
          protocol.SetSelectCard(frame[4]);
          CTVRHost::Instance().GetCardSlots().ShowSlot(BYTE(frame[4] - 1));
        }
        if (scriptTyped) writeTableName(frame[3], frame[4], false);
      } else if (scriptTyped) {
        writeUnknown();
      }
      break;
    case 187:
      if (n >= 2)
        writeTableName(frame[0], frame[1], true);
      else
        writeUnknown();
      break;
    case 189: {
      const bool extended = n > protocol.GetMAXLengthStandardFrame();
      const DWORD position = extended ? 8 : 5;
      if (n >= position + 2) {
        m_byExpectedOpcode = frame[position];
        if (scriptTyped) writeTableName(frame[position], frame[position + 1], false);
      } else if (scriptTyped) {
        writeUnknown();
      }
      break;
    }
    default: {
      const WORD msgCode = protocol.GetMsgCode(bytes, count, 1);
      const BYTE cls = BYTE(msgCode >> 8);
      const BYTE code = BYTE(msgCode & 0xFF);
      if (cls == 0) {
        CErrorCode& errors = *protocol.GetErrorCode();
        if (errors.IsDefined(0))
          writeName(errors.GetText(0), errors.GetLength(0));
        else
          writeUnknown();
      } else {
        writeTableName(cls, code, true);
      }
      break;
    }
  }

  if (m_bTraceOn) NotifyMessage(frame, n, TRACE_SENT);
  return result;
}
