#include "decode/answer_decoder.h"

#include <tavric/board_doc.h>
#include <tavric/prompts.h>
#include <tavric/protocol.h>
#include <tavric/trace_record.h>

#include "decode/answer_frame.h"
#include "decode/answer_sink.h"
#include "decode/answer_steps.h"
#include "decode/decoder_texts.h"
#include "decode/protocol_family.h"

// Every layout's own steps live in its protocol family; this is the entry
// that every answer takes and the common end that follows the layout's steps.
namespace {

constexpr tvr::BYTE ANSWER_EMPTY = 0xE0;

CTVRAnswerVerdict RunCommonEnd(CTVRAnswerSink& doc, CTVRProtocol* pProtocol, const CTVRAnswerFrame& a,
                               CTVRAnswerVerdict verdict) {
  bool loopbackPassed = false;
  tvr::BYTE lpb = pProtocol ? pProtocol->GetLpbActivated() : 0;
  if (lpb != 0) {
    // A loopback answer never moves the script on, and is traced.
    verdict.m_eEnd = ANSWER_LOOPBACK_STEP;
    if (lpb == 1)
      loopbackPassed = pProtocol->LpbGie(a.GetBytes(), a.GetLength()) != 0;
    else if (lpb == 2)
      loopbackPassed = pProtocol->LpbEmv(a.GetBytes(), a.GetLength()) != 0;
  }
  // The challenge step has traced the bytes already.
  const bool traced =
      lpb != 0 || (verdict.m_eCyphering != CYPHERING_CONTINUES && CTVRAnswerSteps::IsTraced(doc, verdict.m_eCyphering));
  if (traced) doc.NotifyMessage(a.GetBytes(), a.GetLength(), TRACE_RECEIVED);
  if (loopbackPassed) {
    CTVRAnswerSteps::TraceText(doc, tvr_decoder_texts::kLoopbackOk, TRACE_COMMENT);
    TVRMessageBeep(10);
  }
  doc.UpdateExtent();
  if (verdict.m_bUnsolicited) {
    verdict.m_eEnd = ANSWER_KEEP_WAITING;
    return verdict;
  }
  // The answer of a statement, as the trace shows it, for the expectations after it.
  doc.OnAnswerSeen(a, verdict.m_bError,
                   pProtocol == nullptr || pProtocol->GetDescriptor().m_eAnswerLayout != ANSWER_LOOPBACK);

  if (lpb == 0) {
    const bool done = a.AtBuffer(a.GetHeader()) == doc.GetExpectedOpcode() || a.AtBuffer(0) == ANSWER_EMPTY ||
                      doc.GetScriptType() == SCRIPT_RAWDATA;
    verdict.m_eEnd = done ? ANSWER_DONE : ANSWER_NOT_DONE;
  }
  return verdict;
}

}  // namespace

CTVRAnswerVerdict CTVRAnswerDecoder::Decode(CTVRAnswerSink& doc, tvr::BYTE* answer, tvr::DWORD length) {
  CTVRProtocol* pProtocol = doc.GetProtocol();
  CTVRAnswerFrame a(answer, length, pProtocol);

  if (doc.GetScriptType() == SCRIPT_RAWDATA) doc.GetDelayOptions().m_bFreeReception = FALSE;
  if (CTVRAnswerHook* pHook = doc.GetAnswerHook(); pHook != nullptr && pHook->IsWaitingAnswer())
    pHook->OnAnswer(a.GetBytes(), a.GetLength());

  CTVRAnswerVerdict verdict;
  if (pProtocol) {
    verdict = CTVRProtocolFamily::ForProtocol(*pProtocol).DecodeAnswer(doc, *pProtocol, a);
    if (verdict.m_eEnd == ANSWER_KEEP_WAITING) return verdict;
  }
  return RunCommonEnd(doc, pProtocol, a, verdict);
}
