#include "decode/generic_family.h"

#include <tavric/board_doc.h>
#include <tavric/prompts.h>
#include <tavric/protocol.h>

#include "decode/answer_steps.h"
#include "decode/card_slots.h"
#include "decode/decoder_texts.h"

namespace texts = tvr_decoder_texts;

namespace {

constexpr tvr::BYTE ANSWER_COMMAND = 0x60;
constexpr tvr::BYTE OPCODE_CARD_EVENT = 0xA0;
constexpr tvr::BYTE ATR_DIRECT = 0x3B;
constexpr tvr::BYTE ATR_INVERSE = 0x3F;
// Positions of the frame bytes that name a command sent.
constexpr tvr::DWORD SENT_CLASS = 3;
constexpr tvr::DWORD SENT_CODE = 4;

}  // namespace

// The host knows only the byte positions read here: a frame too short to hold
// them (a raw statement of a few bytes) is named " UNKNOWN COMMAND" where a
// name is due, and changes neither the card selection nor the expected opcode.
void CTVRGenericFamily::NameSentFrame(CTVRAnswerSink& doc, CTVRProtocol& protocol, const CTVRSentFrame& sent) const {
  const bool scriptTyped = doc.GetScriptType() != SCRIPT_RAWDATA;
  if (sent.m_dwLength <= SENT_CODE) {
    if (scriptTyped) WriteUnknown(doc);
    return;
  }
  const tvr::BYTE cls = sent.m_pFrame[SENT_CLASS];
  const tvr::BYTE code = sent.m_pFrame[SENT_CODE];
  doc.SetExpectedOpcode(cls);
  if (cls == protocol.GetOpcodeSelectCard() && scriptTyped) {
    // A script's selection can be undone when it fails; a one-off command's
    // cannot, so it leaves the old card alone.
    if (doc.GetCommandType() == 0) protocol.SetOldSelectCard(protocol.GetSelectCard());
    protocol.SetSelectCard(code);
    doc.GetCardSlots().ShowSlot(tvr::BYTE(code - 1));
  }
  if (scriptTyped) WriteTableName(doc, *protocol.GetCmdCode(), cls, code, false);
}

CTVRAnswerVerdict CTVRGenericFamily::DecodeAnswer(CTVRAnswerSink& doc, CTVRProtocol& protocol,
                                                  CTVRAnswerFrame& a) const {
  if (doc.GetScriptType() == SCRIPT_RAWDATA) return {};
  CTVRCardSlots& slots = doc.GetCardSlots();
  const tvr::BYTE first = a.At(0);
  const tvr::BYTE opcode = a.Opcode();
  const tvr::BYTE data = a.FirstData();

  // V1: an error answer. An empty answer is never one.
  if (a.GetLength() > 0 && first == protocol.GetProtocolErrorCode()) {
    const ETVRCypheringStep step = CTVRAnswerSteps::RunErrorSteps(doc, protocol, a);
    CTVRDecodedText<150> text;
    text.AppendErrorPrefix(data);
    if (opcode == protocol.GetOpcodeSelectCard()) {
      // The card selection failed: back to the card selected before it.
      const tvr::BYTE card = protocol.GetOldSelectCard();
      protocol.SetSelectCard(card);
      slots.ShowSlot(tvr::BYTE(card - 1));
    }
    CTVRAnswerSteps::AppendError(text, *protocol.GetErrorCode(), data);
    if (CTVRAnswerSteps::IsTraced(doc, step)) text.Trace(doc);
    return {ANSWER_DONE, step, true};
  }

  // V2: a command answer.
  if (first != ANSWER_COMMAND || a.GetLength() <= a.GetHeader()) return {};
  // A card event that comes before the awaited answer is not that answer:
  // it neither ends the statement nor takes part in a cyphered exchange.
  const bool unsolicited =
      opcode == OPCODE_CARD_EVENT && doc.IsWaitingAnswer() && doc.GetExpectedOpcode() != OPCODE_CARD_EVENT;
  const ETVRCypheringStep end = unsolicited ? CYPHERING_NONE : CTVRAnswerSteps::RunCypheringEnd(doc);
  const CCmdCode& commands = *protocol.GetCmdCode();
  if (commands.IsDefined(opcode)) {
    if (CTVRAnswerSteps::IsTraced(doc, end)) {
      const bool executed = CTVRAnswerSteps::IsAwaited(doc, end) && !unsolicited;
      CTVRAnswerSteps::TraceJoined<150>(
          doc, CTVRAnswerSteps::NameOr(commands, opcode, data, texts::kUnknownCommandSeeCommandTxt),
          executed ? std::string_view(texts::kExecuted) : std::string_view());
    }
  } else if (CTVRAnswerSteps::IsTraced(doc, end)) {
    CTVRAnswerSteps::TraceText(doc, texts::kUnknownCommandExecuted, TRACE_ANSWER_TEXT);
  }

  const tvr::BYTE slot = tvr::BYTE(protocol.GetSelectCard() - 1);
  if (opcode == protocol.GetMaskCode()) slots.SetMask(a.Data(), a.GetCount(), slot);
  if ((data == ATR_DIRECT || data == ATR_INVERSE) && !doc.IsLoopMode()) slots.SetAtr(a.Data(), a.GetCount(), slot);
  if (opcode == OPCODE_CARD_EVENT) {
    if (doc.IsBeepOnError()) TVRMessageBeep(0);
    // The high four bits name the slot counted from 1; bit 0 clear: the card left.
    if (!(data & 0x01)) slots.ClearAtr(tvr::BYTE((data >> 4) - 1));
  }
  const ETVRCypheringStep feed = unsolicited ? CYPHERING_NONE : CTVRAnswerSteps::RunCypheringFeed(doc, a);
  CTVRAnswerVerdict verdict{ANSWER_DONE, end != CYPHERING_NONE ? end : feed};
  verdict.m_bUnsolicited = unsolicited;
  return verdict;
}
