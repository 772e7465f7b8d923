#include "decode/answer_steps.h"

#include <vector>

#include <tavric/board_doc.h>
#include <tavric/crypto.h>
#include <tavric/protocol.h>
#include <tavric/trace_record.h>

ETVRCypheringStep CTVRAnswerSteps::RunErrorSteps(CTVRAnswerSink& doc, CTVRProtocol& protocol,
                                                 const CTVRAnswerFrame& a) {
  ETVRCypheringStep step = CYPHERING_NONE;
  if (CTVRCrypto* pCrypto = doc.GetCrypto()) {
    if (pCrypto->GetCryptoActivated() == 1) pCrypto->ResetCrypto();
    if (pCrypto->IsExchangePending()) {
      // The authentication failed: the directive ends like a script statement.
      pCrypto->EndExchange();
      step = CYPHERING_FAILED;
    }
  }
  const tvr::BYTE lpb = protocol.GetLpbActivated();
  if ((lpb == 1 || lpb == 2) && protocol.GetErrorLpb(a.GetBytes(), a.GetLength()) == 1) protocol.SetLpbActivated(0);
  return step;
}

ETVRCypheringStep CTVRAnswerSteps::RunCypheringEnd(CTVRAnswerSink& doc) {
  CTVRCrypto* pCrypto = doc.GetCrypto();
  if (!pCrypto || !pCrypto->IsExchangePending() || !pCrypto->IsChallengeReceived()) return CYPHERING_NONE;
  pCrypto->EndExchange();
  return CYPHERING_ENDS;
}

ETVRCypheringStep CTVRAnswerSteps::RunCypheringFeed(CTVRAnswerSink& doc, const CTVRAnswerFrame& a) {
  CTVRCrypto* pCrypto = doc.GetCrypto();
  if (!pCrypto) return CYPHERING_NONE;
  if (pCrypto->GetCryptoActivated() == 1) pCrypto->ReceivedData(a.Data(), a.DataWithoutStatus());
  if (!pCrypto->IsExchangePending() || pCrypto->IsChallengeReceived()) return CYPHERING_NONE;
  tvr::DWORD count = a.DataWithoutStatus();
  std::vector<tvr::BYTE> challenge(a.Data(), a.Data() + count);
  challenge.push_back(0);
  pCrypto->OnChallengeReceived();
  doc.NotifyMessage(a.GetBytes(), a.GetLength(), TRACE_RECEIVED);
  pCrypto->TripleDes(challenge.data(), count);
  // The cyphered command went out from TripleDes; nothing more of this
  // answer is traced, and the trace stays off until the exchange ends.
  return CYPHERING_CONTINUES;
}
