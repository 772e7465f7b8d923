#include "decode/answer_decoder.h"

#include <tavric/board_doc.h>
#include <tavric/messages.h>
#include <tavric/prompts.h>
#include <tavric/protocol.h>
#include <tavric/trace_record.h>

#include "decode/answer_frame.h"
#include "decode/answer_steps.h"
#include "decode/decoder_texts.h"
#include "decode/protocol_family.h"
#include "document/board_doc_private.h"

// Every layout's own steps live in its protocol family; this is the entry
// that every answer takes and the common end that follows the layout's steps.
namespace {

constexpr tvr::BYTE ANSWER_EMPTY = 0xE0;

void RunCommonEnd(CTVRBoardDoc& doc, CTVRProtocol* pProtocol, const CTVRAnswerFrame& a, tvr::BOOL traceOnAtEntry) {
  bool loopbackPassed = false;
  tvr::BYTE lpb = pProtocol ? pProtocol->GetLpbActivated() : 0;
  if (lpb != 0) {
    // A loopback answer never moves the script on.
    CTVRBoardDocPrivate::Of(doc).m_bTraceOn = TRUE;
    CTVRBoardDocPrivate::Of(doc).m_dwCommandType = 1;
    if (lpb == 1)
      loopbackPassed = pProtocol->LpbGie(a.GetBytes(), a.GetLength()) != 0;
    else if (lpb == 2)
      loopbackPassed = pProtocol->LpbEmv(a.GetBytes(), a.GetLength()) != 0;
  }
  if (CTVRBoardDocPrivate::Of(doc).m_bTraceOn)
    CTVRBoardDocPrivate::Of(doc).NotifyMessage(a.GetBytes(), a.GetLength(), TRACE_RECEIVED);
  if (loopbackPassed) {
    CTVRAnswerSteps::TraceText(doc, tvr_decoder_texts::kLoopbackOk, TRACE_COMMENT);
    TVRMessageBeep(10);
  }
  doc.UpdateAllViews(nullptr, HINT_EXTENT, nullptr);

  if (CTVRBoardDocPrivate::Of(doc).m_dwCommandType != 0) {
    // The one-off command (quick command, register tool, challenge) is over;
    // the script stays where it is.
    CTVRBoardDocPrivate::Of(doc).m_bRunning = FALSE;
    CTVRBoardDocPrivate::Of(doc).m_dwCommandType = 0;
    CTVRBoardDocPrivate::Of(doc).m_bWaitAnswer = FALSE;
  } else if (!CTVRBoardDocPrivate::Of(doc).m_bWaitAnswer) {
    CTVRBoardDocPrivate::Of(doc).m_bTraceOn = traceOnAtEntry;
  } else {
    CTVRBoardDocPrivate::Of(doc).m_bWaitAnswer = FALSE;
    if (a.AtBuffer(a.GetHeader()) == CTVRBoardDocPrivate::Of(doc).GetExpectedOpcode() ||
        a.AtBuffer(0) == ANSWER_EMPTY || CTVRBoardDocPrivate::Of(doc).m_eScriptType == SCRIPT_RAWDATA)
      PostMessage(GetActiveBoard(), WM_END_COMMAND, 0, 0);
  }
}

}  // namespace

void CTVRAnswerDecoder::Decode(CTVRBoardDoc& doc, tvr::BYTE* answer, tvr::DWORD length) {
  CTVRProtocol* pProtocol = CTVRBoardDocPrivate::Of(doc).m_pProtocol;
  CTVRAnswerFrame a(answer, length, pProtocol);

  // An answer nobody waits for is traced whatever trace on says.
  const tvr::BOOL traceOnAtEntry = CTVRBoardDocPrivate::Of(doc).m_bTraceOn;
  if (!CTVRBoardDocPrivate::Of(doc).m_bWaitAnswer) CTVRBoardDocPrivate::Of(doc).m_bTraceOn = TRUE;
  if (CTVRBoardDocPrivate::Of(doc).m_eScriptType == SCRIPT_RAWDATA)
    CTVRBoardDocPrivate::Of(doc).m_DelayOptions.m_bFreeReception = FALSE;
  if (CTVRAnswerHook* pHook = CTVRBoardDocPrivate::Of(doc).GetRegisterDialog();
      pHook != nullptr && pHook->IsWaitingAnswer())
    pHook->OnAnswer(a.GetBytes(), a.GetLength());

  if (pProtocol && !CTVRProtocolFamily::ForProtocol(*pProtocol).DecodeAnswer(doc, *pProtocol, a)) return;
  RunCommonEnd(doc, pProtocol, a, traceOnAtEntry);
}
