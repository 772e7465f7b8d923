#include "decode/answer_steps.h"
#include "document/board_doc_private.h"

#include <vector>

#include <tavric/board_doc.h>
#include <tavric/crypto.h>
#include <tavric/protocol.h>
#include <tavric/trace_record.h>

void CTVRAnswerSteps::RunErrorSteps(CTVRBoardDoc& doc, CTVRProtocol& protocol, const CTVRAnswerFrame& a) {
  if (CTVRCrypto* pCrypto = CTVRBoardDocPrivate::Of(doc).m_pCrypto) {
    if (pCrypto->GetCryptoActivated() == 1) pCrypto->ResetCrypto();
    if (pCrypto->m_bAuthenticationPending) {
      // The authentication failed: the directive ends like a script statement.
      pCrypto->m_bAuthenticationPending = 0;
      pCrypto->m_bChallengeReceived = 0;
      CTVRBoardDocPrivate::Of(doc).m_dwCommandType = 0;
      CTVRBoardDocPrivate::Of(doc).m_bWaitAnswer = TRUE;
      CTVRBoardDocPrivate::Of(doc).m_bTraceOn = TRUE;
    }
  }
  const tvr::BYTE lpb = protocol.GetLpbActivated();
  if ((lpb == 1 || lpb == 2) && protocol.GetErrorLpb(a.GetBytes(), a.GetLength()) == 1) protocol.SetLpbActivated(0);
}

void CTVRAnswerSteps::RunCypheringEnd(CTVRBoardDoc& doc) {
  CTVRCrypto* pCrypto = CTVRBoardDocPrivate::Of(doc).m_pCrypto;
  if (!pCrypto || !pCrypto->m_bAuthenticationPending || !pCrypto->m_bChallengeReceived) return;
  CTVRBoardDocPrivate::Of(doc).m_bTraceOn = TRUE;
  CTVRBoardDocPrivate::Of(doc).m_dwCommandType = 0;
  CTVRBoardDocPrivate::Of(doc).m_bWaitAnswer = TRUE;
  pCrypto->m_bAuthenticationPending = 0;
  pCrypto->m_bChallengeReceived = 0;
  CTVRBoardDocPrivate::Of(doc).m_bRunning = TRUE;
}

void CTVRAnswerSteps::RunCypheringFeed(CTVRBoardDoc& doc, const CTVRAnswerFrame& a) {
  CTVRCrypto* pCrypto = CTVRBoardDocPrivate::Of(doc).m_pCrypto;
  if (!pCrypto) return;
  if (pCrypto->GetCryptoActivated() == 1) pCrypto->ReceivedData(a.Data(), a.DataWithoutStatus());
  if (pCrypto->m_bAuthenticationPending && !pCrypto->m_bChallengeReceived) {
    tvr::DWORD count = a.DataWithoutStatus();
    std::vector<tvr::BYTE> challenge(a.Data(), a.Data() + count);
    challenge.push_back(0);
    pCrypto->m_bChallengeReceived = 1;
    CTVRBoardDocPrivate::Of(doc).NotifyMessage(a.GetBytes(), a.GetLength(), TRACE_RECEIVED);
    pCrypto->TripleDes(challenge.data(), count);
    // The cyphered command goes out from TripleDes; nothing more of this
    // answer, nor the next answer's text, is traced.
    CTVRBoardDocPrivate::Of(doc).m_bTraceOn = FALSE;
  }
}
