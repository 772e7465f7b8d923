#include "sim_pcsc_link.h"

#include <cstring>

#include "pcsc_frame.h"
#include "verta_frame.h"

namespace {

// The reader's error for a firmware error of the selected card.
CTVRSimLink::Frame CardError(tvr::BYTE error) {
  switch (error) {
    case VERTA_ERR_NO_CARD:
      return CTVRPcscFrame::Error(PCSC_ERR_NO_SMARTCARD, " NO SMART CARD : the reader holds no card");
    case VERTA_ERR_CARD_MUTE:
      return CTVRPcscFrame::Error(PCSC_ERR_UNRESPONSIVE_CARD,
                                  " UNRESPONSIVE CARD : the card does not answer the reset");
    case VERTA_ERR_CARD_NOT_POWERED:
      return CTVRPcscFrame::Error(PCSC_ERR_UNPOWERED_CARD, " UNPOWERED CARD : power the card up first (FF 10 00 00)");
    default:
      return CTVRPcscFrame::Error(PCSC_ERR_COMM, " COMMUNICATION ERROR");
  }
}

}  // namespace

std::vector<CTVRSimLink::Frame> CTVRSimPcscLink::Process(CTVRSimFirmware& firmware, const tvr::BYTE* frame,
                                                         std::size_t length) const {
  if (!frame || length < 4)
    return {CTVRPcscFrame::Error(PCSC_ERR_COMM, " COMMUNICATION ERROR : a command APDU has at least 4 bytes")};
  if (frame[0] == PCSC_CLASS_READER) {
    switch (frame[1]) {
      case PCSC_INS_GET_MASK: {
        const char* mask = CTVRSimFirmware::GetMaskText();
        return {CTVRPcscFrame::CardAnswer(PCSC_KIND_MASK, std::vector<tvr::BYTE>(mask, mask + std::strlen(mask)))};
      }
      case PCSC_INS_POWER_UP: {
        const CTVRSimFirmware::CResult result = firmware.Run(VERTA_OP_RESET_CARD, {});
        if (result.m_byError) return {CardError(result.m_byError)};
        return {CTVRPcscFrame::CardAnswer(PCSC_KIND_ATR, result.m_Data)};
      }
      case PCSC_INS_POWER_DOWN: {
        const CTVRSimFirmware::CResult result = firmware.Run(VERTA_OP_POWER_OFF, {});
        if (result.m_byError) return {CardError(result.m_byError)};
        return {CTVRPcscFrame::Empty()};
      }
      default:
        // The reader knows no other instruction of its own: function not supported.
        return {CTVRPcscFrame::CardAnswer(PCSC_KIND_CARD_RESULT, {0x6A, 0x81})};
    }
  }
  const CTVRSimFirmware::CResult result =
      firmware.Run(VERTA_OP_EXCHANGE_APDU, std::vector<tvr::BYTE>(frame, frame + length));
  if (result.m_byError) return {CardError(result.m_byError)};
  return {CTVRPcscFrame::CardAnswer(PCSC_KIND_CARD_RESULT, result.m_Data)};
}

CTVRSimLink::Frame CTVRSimPcscLink::LinkError(const tvr::BYTE*, std::size_t) const {
  return CardError(0);
}

CTVRSimLink::Frame CTVRSimPcscLink::ErrorAnswer(const tvr::BYTE*, std::size_t, tvr::BYTE code) const {
  return CardError(code);
}
