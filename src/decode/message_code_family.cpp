#include "decode/message_code_family.h"

#include <tavric/board_doc.h>
#include <tavric/protocol.h>
#include <tavric/trace_record.h>

#include "decode/answer_steps.h"
#include "decode/decoder_texts.h"

namespace texts = tvr_decoder_texts;

namespace {

constexpr tvr::BYTE CLASS_ERROR = 0;
constexpr tvr::BYTE CLASS_INTERMEDIATE = 1;

}  // namespace

void CTVRMessageCodeFamily::NameSentFrame(CTVRAnswerSink& doc, CTVRProtocol& protocol,
                                          const CTVRSentFrame& sent) const {
  const tvr::WORD msgCode = protocol.GetMsgCode(sent.m_pBytes, sent.m_dwCount, 1);
  const tvr::BYTE cls = tvr::BYTE(msgCode >> 8);
  const tvr::BYTE code = tvr::BYTE(msgCode & 0xFF);
  if (cls == CLASS_ERROR) {
    const CErrorCode& errors = *protocol.GetErrorCode();
    if (errors.IsDefined(0))
      WriteName(doc, errors.GetText(0), errors.GetLength(0));
    else
      WriteUnknown(doc);
  } else {
    WriteTableName(doc, *protocol.GetCmdCode(), cls, code, true);
  }
}

CTVRAnswerVerdict CTVRMessageCodeFamily::DecodeAnswer(CTVRAnswerSink& doc, CTVRProtocol& protocol,
                                                      CTVRAnswerFrame& a) const {
  const tvr::WORD msgCode = protocol.GetMsgCode(a.GetBytes(), a.GetLength(), 0);
  const tvr::BYTE cls = tvr::BYTE(msgCode >> 8);
  const tvr::BYTE value = tvr::BYTE(msgCode & 0xFF);
  const CCmdCode& commands = *protocol.GetCmdCode();
  CTVRDecodedText<300> text;

  if (cls == CLASS_INTERMEDIATE) {
    // The command goes on: its final answer is still to come.
    if (doc.IsTraceOn()) doc.NotifyMessage(a.GetBytes(), a.GetLength(), TRACE_RECEIVED);
    return {ANSWER_KEEP_WAITING};
  }
  ETVRCypheringStep step = CYPHERING_NONE;
  if (cls == CLASS_ERROR) {
    step = CTVRAnswerSteps::RunErrorSteps(doc, protocol, a);
    if (!CTVRAnswerSteps::AppendError(text, *protocol.GetErrorCode(), value)) text.Append(texts::kUnknownError);
  } else if (commands.IsDefined(cls)) {
    if (!CTVRAnswerSteps::AppendName(text, commands, cls, value)) text.Append(texts::kUndefinedCommand);
  } else {
    text.Append(texts::kUnknownCommandExecuted);
  }

  const tvr::WORD extra = protocol.GetExtraMsgCode(a.GetBytes(), a.GetLength(), 0);
  if (extra != 0) {
    const tvr::BYTE cls2 = tvr::BYTE(extra >> 8);
    const tvr::BYTE value2 = tvr::BYTE(extra & 0xFF);
    if (!commands.IsDefined(cls2))
      text.Append(texts::kUnknownExtraMsg);
    else if (!CTVRAnswerSteps::AppendName(text, commands, cls2, value2))
      text.Append(texts::kUndefinedExtraMsg);
  }
  if (CTVRAnswerSteps::IsTraced(doc, step)) text.Trace(doc);
  return {ANSWER_DONE, step, cls == CLASS_ERROR};
}
