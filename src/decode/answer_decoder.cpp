#include "decode/answer_decoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <tavric/board_doc.h>
#include <tavric/crypto.h>
#include <tavric/messages.h>
#include <tavric/prompts.h>
#include <tavric/protocol.h>
#include <tavric/trace_record.h>

#include "contract/host.h"

// Answers come from boards, and a board may hand over a frame shorter than the
// positions its protocol's geometry names. The decoder never reads past the
// answer: a byte at or beyond its length reads as 0, as it would from a board's
// zero-filled receive buffer, and a negative number of data bytes counts as 0.
// An empty answer is never an error answer. Everything here runs once per
// answer of a loop test, so the common path builds its texts in a fixed buffer
// and allocates nothing.
namespace {

constexpr tvr::DWORD MENU_GENERIC = 180;
constexpr tvr::DWORD MENU_GENERIC_2 = 181;
constexpr tvr::BYTE ANSWER_COMMAND = 0x60;
constexpr tvr::BYTE ANSWER_PCSC_EMPTY = 0xE0;
constexpr tvr::BYTE OPCODE_CARD_EVENT = 0xA0;
constexpr tvr::BYTE ATR_DIRECT = 0x3B;
constexpr tvr::BYTE ATR_INVERSE = 0x3F;
constexpr char HEX_DIGITS[] = "0123456789ABCDEF";

constexpr char TEXT_UNKNOWN_COMMAND[] = " UNKNOWN COMMAND (see command.txt)";
constexpr char TEXT_EXECUTED[] = " EXECUTED";
constexpr char TEXT_UNKNOWN_COMMAND_EXECUTED[] = " UNKNOWN COMMAND EXECUTED";
constexpr char TEXT_LOOPBACK_OK[] = "LOOPBACK : TEST OK\r\n\r\n";

// A decoded text in a fixed, zero-filled buffer of 150 characters.
class DecodedText {
 public:
  void Append(const char* text, std::size_t count) {
    if (!text) return;
    count = std::min(count, CAPACITY - 1 - m_nLength);
    std::memcpy(m_text + m_nLength, text, count);
    m_nLength += count;
  }
  template <std::size_t N>
  void Append(const char (&text)[N]) {
    Append(text, N - 1);
  }
  void AppendErrorPrefix(tvr::BYTE code) {
    char prefix[] = " ERROR 0x.. :";
    prefix[9] = HEX_DIGITS[code >> 4];
    prefix[10] = HEX_DIGITS[code & 0x0F];
    Append(prefix);
  }
  void Trace(CTVRBoardDoc& doc) const {
    doc.NotifyMessage(reinterpret_cast<const tvr::BYTE*>(m_text), tvr::DWORD(m_nLength), TRACE_ANSWER_TEXT);
  }

 private:
  static constexpr std::size_t CAPACITY = 150;
  char m_text[CAPACITY] = {};
  std::size_t m_nLength = 0;
};

template <std::size_t N>
void TraceText(CTVRBoardDoc& doc, const char (&text)[N], int kind) {
  doc.NotifyMessage(reinterpret_cast<const tvr::BYTE*>(text), tvr::DWORD(N - 1), kind);
}

struct Answer {
  tvr::BYTE* m_pBytes;
  tvr::DWORD m_dwLength;
  tvr::DWORD m_dwHeader;  // h: position of the opcode
  tvr::DWORD m_dwData;    // d: position of the first data byte
  tvr::DWORD m_dwCount;   // n: number of data bytes, never negative

  tvr::BYTE At(tvr::DWORD i) const { return i < m_dwLength ? m_pBytes[i] : 0; }
  tvr::BYTE* Data() const { return m_pBytes + std::min(m_dwData, m_dwLength); }
  // The data bytes without the two status bytes that end them.
  tvr::DWORD DataWithoutStatus() const { return m_dwCount > 2 ? m_dwCount - 2 : 0; }
};

// E: shared handling of an error answer.
void RunErrorSteps(CTVRBoardDoc& doc, CTVRProtocol& protocol, const Answer& a) {
  if (CTVRCrypto* pCrypto = doc.m_pCrypto) {
    if (pCrypto->GetCryptoActivated() == 1) pCrypto->ResetCrypto();
    if (pCrypto->m_bAuthenticationPending) {
      // The authentication failed: the directive ends like a script statement.
      pCrypto->m_bAuthenticationPending = 0;
      pCrypto->m_bChallengeReceived = 0;
      doc.m_dwCommandType = 0;
      doc.m_bWaitAnswer = TRUE;
      doc.m_bTraceOn = TRUE;
    }
  }
  tvr::BYTE lpb = protocol.GetLpbActivated();
  if ((lpb == 1 || lpb == 2) && protocol.GetErrorLpb(a.m_pBytes, a.m_dwLength) == 1) protocol.SetLpbActivated(0);
}

// C1: the answer to the cyphered command ends the triple-DES exchange.
void RunCypheringEnd(CTVRBoardDoc& doc) {
  CTVRCrypto* pCrypto = doc.m_pCrypto;
  if (!pCrypto || !pCrypto->m_bAuthenticationPending || !pCrypto->m_bChallengeReceived) return;
  doc.m_bTraceOn = TRUE;
  doc.m_dwCommandType = 0;
  doc.m_bWaitAnswer = TRUE;
  pCrypto->m_bAuthenticationPending = 0;
  pCrypto->m_bChallengeReceived = 0;
  doc.m_bRunning = TRUE;
}

// C2 and C3: data for an active cyphering, and the challenge for the exchange.
void RunCypheringFeed(CTVRBoardDoc& doc, const Answer& a) {
  CTVRCrypto* pCrypto = doc.m_pCrypto;
  if (!pCrypto) return;
  if (pCrypto->GetCryptoActivated() == 1) pCrypto->ReceivedData(a.Data(), a.DataWithoutStatus());
  if (pCrypto->m_bAuthenticationPending && !pCrypto->m_bChallengeReceived) {
    tvr::DWORD count = a.DataWithoutStatus();
    std::vector<tvr::BYTE> challenge(a.Data(), a.Data() + count);
    challenge.push_back(0);
    pCrypto->m_bChallengeReceived = 1;
    doc.NotifyMessage(a.m_pBytes, a.m_dwLength, TRACE_RECEIVED);
    pCrypto->TripleDes(challenge.data(), count);
    // The cyphered command goes out from TripleDes; nothing more of this
    // answer, nor the next answer's text, is traced.
    doc.m_bTraceOn = FALSE;
  }
}

// V1 and V2: the layout of the protocols that use Command.txt and Error.txt.
void DecodeGeneric(CTVRBoardDoc& doc, CTVRProtocol& protocol, const Answer& a) {
  if (doc.m_eScriptType == SCRIPT_RAWDATA) return;
  CTVRCardSlots& slots = CTVRHost::Instance().GetCardSlots();
  tvr::BYTE first = a.At(0);
  tvr::BYTE opcode = a.At(a.m_dwHeader);
  tvr::BYTE data = a.At(a.m_dwData);

  if (a.m_dwLength > 0 && first == protocol.GetProtocolErrorCode()) {
    RunErrorSteps(doc, protocol, a);
    DecodedText text;
    text.AppendErrorPrefix(data);
    if (opcode == protocol.GetOpcodeSelectCard()) {
      // The card selection failed: back to the card selected before it.
      tvr::BYTE card = protocol.GetOldSelectCard();
      protocol.SetSelectCard(card);
      slots.ShowSlot(tvr::BYTE(card - 1));
    }
    CErrorCode* pErrors = protocol.GetErrorCode();
    if (pErrors->IsDefined(data)) {
      tvr::BYTE length = pErrors->GetLength(data);
      if (length) text.Append(pErrors->GetText(data), length);
    }
    if (doc.m_bTraceOn) text.Trace(doc);
    return;
  }

  if (first != ANSWER_COMMAND || a.m_dwLength <= a.m_dwHeader) return;
  RunCypheringEnd(doc);
  CCmdCode* pCommands = protocol.GetCmdCode();
  if (pCommands->IsDefined(opcode)) {
    DecodedText text;
    tvr::BYTE length = pCommands->GetLength(opcode, data);
    if (length)
      text.Append(pCommands->GetText(opcode, data), length);
    else
      text.Append(TEXT_UNKNOWN_COMMAND);
    if (doc.m_bWaitAnswer) text.Append(TEXT_EXECUTED);
    if (doc.m_bTraceOn) text.Trace(doc);
  } else if (doc.m_bTraceOn) {
    TraceText(doc, TEXT_UNKNOWN_COMMAND_EXECUTED, TRACE_ANSWER_TEXT);
  }

  tvr::BYTE slot = tvr::BYTE(protocol.GetSelectCard() - 1);
  if (opcode == protocol.GetMaskCode()) slots.SetMask(a.Data(), a.m_dwCount, slot);
  if ((data == ATR_DIRECT || data == ATR_INVERSE) && !doc.m_bLoopMode) slots.SetAtr(a.Data(), a.m_dwCount, slot);
  if (opcode == OPCODE_CARD_EVENT) {
    if (doc.m_bBeepOnError) TVRMessageBeep(0);
    // The high four bits name the slot counted from 1; bit 0 clear: the card left.
    if (!(data & 0x01)) slots.ClearAtr(tvr::BYTE((data >> 4) - 1));
  }
  RunCypheringFeed(doc, a);
}

void RunCommonEnd(CTVRBoardDoc& doc, CTVRProtocol* pProtocol, const Answer& a, tvr::BOOL traceOnAtEntry) {
  bool loopbackPassed = false;
  tvr::BYTE lpb = pProtocol ? pProtocol->GetLpbActivated() : 0;
  if (lpb != 0) {
    // A loopback answer never moves the script on.
    doc.m_bTraceOn = TRUE;
    doc.m_dwCommandType = 1;
    if (lpb == 1)
      loopbackPassed = pProtocol->LpbGie(a.m_pBytes, a.m_dwLength) != 0;
    else if (lpb == 2)
      loopbackPassed = pProtocol->LpbEmv(a.m_pBytes, a.m_dwLength) != 0;
  }
  if (doc.m_bTraceOn) doc.NotifyMessage(a.m_pBytes, a.m_dwLength, TRACE_RECEIVED);
  if (loopbackPassed) {
    TraceText(doc, TEXT_LOOPBACK_OK, TRACE_COMMENT);
    TVRMessageBeep(10);
  }
  doc.UpdateAllViews(nullptr, HINT_EXTENT, nullptr);

  if (doc.m_dwCommandType != 0) {
    // The one-off command (quick command, register tool, challenge) is over;
    // the script stays where it is.
    doc.m_bRunning = FALSE;
    doc.m_dwCommandType = 0;
    doc.m_bWaitAnswer = FALSE;
  } else if (!doc.m_bWaitAnswer) {
    doc.m_bTraceOn = traceOnAtEntry;
  } else {
    doc.m_bWaitAnswer = FALSE;
    if (a.At(a.m_dwHeader) == doc.m_byExpectedOpcode || a.At(0) == ANSWER_PCSC_EMPTY ||
        doc.m_eScriptType == SCRIPT_RAWDATA)
      PostMessage(GetActiveBoard(), WM_END_COMMAND, 0, 0);
  }
}

}  // namespace

void CTVRAnswerDecoder::Decode(CTVRBoardDoc& doc, tvr::BYTE* answer, tvr::DWORD length) {
  if (!answer) length = 0;
  CTVRProtocol* pProtocol = doc.m_pProtocol;
  Answer a{answer, length, 0, 0, 0};
  if (pProtocol) {
    a.m_dwHeader = pProtocol->GetHeaderLength();
    a.m_dwData = tvr::BYTE(pProtocol->GetHeaderLength() + pProtocol->GetOpCodeLength());
    tvr::DWORD frameEnd = a.m_dwData + pProtocol->GetLRCLength();
    a.m_dwCount = length > frameEnd ? length - frameEnd : 0;
  }

  // An answer nobody waits for is traced whatever trace on says.
  tvr::BOOL traceOnAtEntry = doc.m_bTraceOn;
  if (!doc.m_bWaitAnswer) doc.m_bTraceOn = TRUE;
  if (doc.m_eScriptType == SCRIPT_RAWDATA) doc.m_DelayOptions.m_bFreeReception = FALSE;
  if (doc.m_pRegisterDialog && doc.m_pRegisterDialog->IsWaitingAnswer())
    doc.m_pRegisterDialog->OnAnswer(answer, length);

  if (pProtocol) {
    switch (pProtocol->GetMenuId()) {
      case MENU_GENERIC:
      case MENU_GENERIC_2:
        DecodeGeneric(doc, *pProtocol, a);
        break;
      default:
        // The PC/SC (187), "kiro" (189), loopback (200) and message-code
        // layouts are still to come: until then their answers get only the
        // common end (bytes traced, loopback check, end of command).
        break;
    }
  }
  RunCommonEnd(doc, pProtocol, a, traceOnAtEntry);
}
