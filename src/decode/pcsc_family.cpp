#include "decode/pcsc_family.h"

#include <tavric/board_doc.h>
#include <tavric/protocol.h>

#include "decode/answer_steps.h"
#include "decode/card_slots.h"
#include "decode/decoder_texts.h"

namespace texts = tvr_decoder_texts;

namespace {

constexpr tvr::BYTE ANSWER_CARD = 0x60;
constexpr tvr::BYTE ANSWER_EMPTY = 0xE0;
constexpr tvr::BYTE KIND_CARD_RESULT = 0x00;
constexpr tvr::BYTE KIND_VENDOR_MASK = 0x0A;
constexpr tvr::BYTE KIND_ATR = 0x6E;
constexpr tvr::BYTE ATR_DIRECT = 0x3B;
constexpr tvr::BYTE ATR_INVERSE = 0x3F;
// The bytes in front of every answer that the trace does not show.
constexpr tvr::DWORD HIDDEN_FRONT = 2;

}  // namespace

void CTVRPcscFamily::NameSentFrame(CTVRAnswerSink& doc, CTVRProtocol& protocol, const CTVRSentFrame& sent) const {
  if (sent.m_dwLength < 2) return WriteUnknown(doc);
  WriteTableName(doc, *protocol.GetCmdCode(), sent.m_pFrame[0], sent.m_pFrame[1], true);
}

CTVRAnswerVerdict CTVRPcscFamily::DecodeAnswer(CTVRAnswerSink& doc, CTVRProtocol& protocol, CTVRAnswerFrame& a) const {
  const tvr::BYTE first = a.At(0);
  const tvr::BYTE kind = a.Opcode();
  ETVRCypheringStep step = CYPHERING_NONE;
  const bool error = a.GetLength() > 0 && first == protocol.GetProtocolErrorCode();

  if (error) {
    // P1: the reader sends the error text itself, up to a zero byte.
    step = CTVRAnswerSteps::RunErrorSteps(doc, protocol, a);
    CTVRDecodedText<512> text;
    const tvr::BYTE* p = a.Data();
    const tvr::BYTE* end = a.GetBytes() + a.GetLength();
    std::size_t count = 0;
    while (p + count < end && p[count] != 0) ++count;
    text.Append(reinterpret_cast<const char*>(p), count);
    if (CTVRAnswerSteps::IsTraced(doc, step)) text.Trace(doc);
  } else if (first == ANSWER_CARD && a.GetLength() > a.GetHeader()) {
    // P2: a card answer.
    step = CTVRAnswerSteps::RunCypheringEnd(doc);
    CTVRDecodedText<300> text;
    bool named = true;
    switch (kind) {
      case KIND_CARD_RESULT: {
        const tvr::DWORD L = a.GetLength();
        const tvr::BYTE sw1 = L >= 2 ? a.At(L - 2) : 0;
        const tvr::BYTE sw2 = L >= 2 ? a.At(L - 1) : 0;
        const CCmdCode& results = *protocol.GetCmdCode();
        if (L < 2 || !results.IsDefined(sw1) || !CTVRAnswerSteps::AppendName(text, results, sw1, sw2))
          text.Append(texts::kUnknownCardResult);
        break;
      }
      case KIND_VENDOR_MASK:
        text.Append(texts::kVendorCommandMask);
        break;
      case KIND_ATR:
        text.Append(texts::kAtr);
        break;
      default:
        named = false;
        break;
    }
    // The answer to an escape command is traced without a decoded text.
    if (named && CTVRAnswerSteps::IsTraced(doc, step) && !doc.IsEscapeAnswerExpected()) text.Trace(doc);
    doc.SetEscapeAnswerExpected(FALSE);

    CTVRCardSlots& slots = doc.GetCardSlots();
    const tvr::BYTE slot = tvr::BYTE(protocol.GetSelectCard() - 1);
    if (kind == protocol.GetMaskCode()) slots.SetMask(a.Data(), a.GetCount(), slot);
    const tvr::BYTE data = a.FirstData();
    if (kind == KIND_ATR && (data == ATR_DIRECT || data == ATR_INVERSE) && !doc.IsLoopMode())
      slots.SetAtr(a.Data(), a.GetCount(), slot);
    const ETVRCypheringStep feed = CTVRAnswerSteps::RunCypheringFeed(doc, a);
    if (step == CYPHERING_NONE) step = feed;
  }

  // P3: what the common end traces and checks.
  if (first == ANSWER_EMPTY)
    a.Hide();
  else
    a.DropFront(HIDDEN_FRONT);
  return {ANSWER_DONE, step, error};
}
