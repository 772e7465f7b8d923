#include "decode/kiro_family.h"

#include <cstdio>

#include <tavric/board_doc.h>
#include <tavric/protocol.h>
#include <tavric/trace_record.h>

#include "decode/answer_steps.h"
#include "decode/card_slots.h"
#include "decode/decoder_texts.h"

namespace texts = tvr_decoder_texts;

namespace {

constexpr tvr::BYTE READER_IDENTIFIER = 0xD5;
constexpr tvr::DWORD STANDARD_CLASS = 5;
constexpr tvr::DWORD EXTENDED_CLASS = 8;
constexpr tvr::DWORD EXTENDED_EXTRA_HEADER = 3;

bool HasStartBytes(const CTVRAnswerFrame& a) {
  return a.At(0) == 0x00 && a.At(1) == 0x00 && a.At(2) == 0xFF;
}

}  // namespace

void CTVRKiroFamily::NameSentFrame(CTVRAnswerSink& doc, CTVRProtocol& protocol, const CTVRSentFrame& sent) const {
  const bool scriptTyped = doc.GetScriptType() != SCRIPT_RAWDATA;
  const tvr::DWORD position = sent.m_dwLength > protocol.GetMAXLengthStandardFrame() ? EXTENDED_CLASS : STANDARD_CLASS;
  if (sent.m_dwLength < position + 2) {
    if (scriptTyped) WriteUnknown(doc);
    return;
  }
  const tvr::BYTE cls = sent.m_pFrame[position];
  doc.SetExpectedOpcode(cls);
  if (scriptTyped) WriteTableName(doc, *protocol.GetCmdCode(), cls, sent.m_pFrame[position + 1], false);
}

void CTVRKiroFamily::NameCommand(CTVRAnswerSink& doc, CTVRProtocol& protocol, const CTVRAnswerFrame& a) {
  const tvr::BYTE cls = tvr::BYTE(a.Opcode() - 1);
  const tvr::BYTE code = tvr::BYTE(a.FirstData() - 1);
  const CCmdCode& commands = *protocol.GetCmdCode();
  if (commands.IsDefined(cls)) {
    CTVRDecodedText<150> text;
    if (!CTVRAnswerSteps::AppendName(text, commands, cls, code)) text.Append(texts::kUnknownCommandSeeKirocmdTxt);
    if (doc.IsWaitingAnswer()) text.Append(texts::kExecuted);
    if (doc.IsTraceOn()) text.Trace(doc);
  } else if (doc.IsTraceOn()) {
    CTVRAnswerSteps::TraceText(doc, texts::kUnknownCommandExecuted, TRACE_ANSWER_TEXT);
  }
}

CTVRAnswerVerdict CTVRKiroFamily::DecodeAnswer(CTVRAnswerSink& doc, CTVRProtocol& protocol, CTVRAnswerFrame& a) const {
  if (doc.GetScriptType() == SCRIPT_RAWDATA || !HasStartBytes(a)) return {};
  const tvr::BYTE errorCode = protocol.GetProtocolErrorCode();
  const tvr::DWORD h = a.GetHeader();

  // K1: an error frame.
  const bool error = a.At(5) == errorCode;
  if (error) {
    CTVRDecodedText<150> text;
    text.AppendErrorPrefix(a.Opcode());
    CTVRAnswerSteps::AppendError(text, *protocol.GetErrorCode(), a.Opcode());
    if (doc.IsTraceOn()) text.Trace(doc);
  }

  // K2: a normal frame, its length checked against the length's checksum.
  if (tvr::BYTE(a.At(3) + a.At(4)) == 0 && a.At(5) != errorCode && a.GetLength() > h + 2) {
    NameCommand(doc, protocol, a);
    const tvr::DWORD d = a.GetData();
    if (a.Opcode() == READER_IDENTIFIER && a.FirstData() == tvr::BYTE(protocol.GetMaskCode() + 1)) {
      char release[32];
      const int length = std::snprintf(release, sizeof release, texts::kReleaseFormat, a.At(d + 1), a.At(d + 2));
      // The bar keeps one mask for all slots.
      doc.GetCardSlots().SetMask(reinterpret_cast<const tvr::BYTE*>(release), tvr::DWORD(length), 0);
    }
  }

  // K3: an extended frame, whose header is three bytes longer for the rest
  // of the answer's handling too.
  if (a.At(3) == 0xFF && a.At(4) == 0xFF && a.GetLength() > h + 5) {
    a.ShiftHeader(EXTENDED_EXTRA_HEADER);
    NameCommand(doc, protocol, a);
  }
  return {ANSWER_DONE, CYPHERING_NONE, error};
}
