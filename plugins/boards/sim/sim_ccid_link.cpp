#include "sim_ccid_link.h"

#include "ccid_frame.h"
#include "verta_frame.h"

namespace {

tvr::BYTE IccStatus(const CTVRSimFirmware& firmware, int slot) {
  if (!firmware.IsCardPresent(slot)) return CCID_ICC_ABSENT;
  return firmware.IsCardPowered(slot) ? CCID_ICC_ACTIVE : CCID_ICC_INACTIVE;
}

bool IsSlowInstruction(tvr::BYTE ins) {
  return ins == 0x82 || ins == 0x84 || ins == 0x88;
}

}  // namespace

std::vector<CTVRSimLink::Frame> CTVRSimCcidLink::Process(CTVRSimFirmware& firmware, const tvr::BYTE* frame,
                                                         std::size_t length) const {
  const tvr::BYTE slotByte = frame && length > 5 ? frame[5] : 0;
  const tvr::BYTE seq = frame && length > 6 ? frame[6] : 0;
  auto status = [&](tvr::BYTE type, tvr::BYTE bStatus, tvr::BYTE error, tvr::BYTE specific,
                    const std::vector<tvr::BYTE>& data = {}) {
    return CTVRCcidFrame::Make(type, slotByte, seq, bStatus, error, specific, data);
  };
  if (!frame || length < CTVRCcidFrame::HEADER_LENGTH ||
      CTVRCcidFrame::DataLength(frame) != length - CTVRCcidFrame::HEADER_LENGTH)
    return {status(CCID_RDR_TO_PC_SLOT_STATUS, CCID_COMMAND_FAILED | CCID_ICC_ABSENT, CCID_ERR_BAD_LENGTH, 0)};
  if (slotByte >= CTVRSimFirmware::SLOT_COUNT)
    return {status(CCID_RDR_TO_PC_SLOT_STATUS, CCID_COMMAND_FAILED | CCID_ICC_ABSENT, CCID_ERR_BAD_SLOT, 0)};

  const int slot = slotByte + 1;
  firmware.Run(VERTA_OP_SELECT_CARD, {tvr::BYTE(slot)});
  const std::vector<tvr::BYTE> data(frame + CTVRCcidFrame::HEADER_LENGTH, frame + length);
  const tvr::BYTE icc = IccStatus(firmware, slot);
  switch (frame[0]) {
    case CCID_PC_TO_RDR_ICC_POWER_ON: {
      const CTVRSimFirmware::CResult result = firmware.Run(VERTA_OP_RESET_CARD, {});
      if (result.m_byError)
        return {
            status(CCID_RDR_TO_PC_DATA_BLOCK, CCID_COMMAND_FAILED | IccStatus(firmware, slot), CCID_ERR_ICC_MUTE, 0)};
      return {status(CCID_RDR_TO_PC_DATA_BLOCK, CCID_ICC_ACTIVE, 0, 0, result.m_Data)};
    }
    case CCID_PC_TO_RDR_ICC_POWER_OFF:
      if (icc != CCID_ICC_ABSENT) firmware.Run(VERTA_OP_POWER_OFF, {});
      return {status(CCID_RDR_TO_PC_SLOT_STATUS, IccStatus(firmware, slot), 0, 0)};
    case CCID_PC_TO_RDR_GET_SLOT_STATUS:
      return {status(CCID_RDR_TO_PC_SLOT_STATUS, icc, 0, 0)};
    case CCID_PC_TO_RDR_XFR_BLOCK: {
      if (icc != CCID_ICC_ACTIVE)
        return {status(CCID_RDR_TO_PC_DATA_BLOCK, CCID_COMMAND_FAILED | icc,
                       icc == CCID_ICC_ABSENT ? CCID_ERR_ICC_MUTE : CCID_ERR_HW_ERROR, 0)};
      const CTVRSimFirmware::CResult result = firmware.Run(VERTA_OP_EXCHANGE_APDU, data);
      if (result.m_byError) return {status(CCID_RDR_TO_PC_DATA_BLOCK, CCID_COMMAND_FAILED | icc, CCID_ERR_HW_ERROR, 0)};
      std::vector<Frame> answers;
      // The card computes: the reader asks the host for one more waiting time.
      if (data.size() > 1 && IsSlowInstruction(data[1]))
        answers.push_back(status(CCID_RDR_TO_PC_DATA_BLOCK, CCID_TIME_EXTENSION | icc, 0x01, 0));
      answers.push_back(status(CCID_RDR_TO_PC_DATA_BLOCK, icc, 0, 0, result.m_Data));
      return answers;
    }
    case CCID_PC_TO_RDR_ESCAPE:
      return {status(CCID_RDR_TO_PC_ESCAPE, icc, 0, 0, data)};
    case CCID_PC_TO_RDR_GET_PARAMETERS:
    case CCID_PC_TO_RDR_SET_PARAMETERS:
      // T=0 parameters: Fi/Di, TCCKS, guard time, waiting integer, clock stop.
      return {status(CCID_RDR_TO_PC_PARAMETERS, icc, 0, 0x00, {0x11, 0x00, 0x00, 0x0A, 0x00})};
    default:
      return {status(CCID_RDR_TO_PC_SLOT_STATUS, CCID_COMMAND_FAILED | icc, CCID_ERR_CMD_NOT_SUPPORTED, 0)};
  }
}

std::vector<CTVRSimLink::Frame> CTVRSimCcidLink::CardEvent(CTVRSimFirmware& firmware, int slot, bool,
                                                           const std::vector<Frame>& vertaEvents) const {
  if (vertaEvents.empty()) return {};
  // Two bits per slot, slot 1 lowest: the card is present, its state changed.
  unsigned bits = 0;
  for (int s = 1; s <= CTVRSimFirmware::SLOT_COUNT; ++s) {
    if (firmware.IsCardPresent(s)) bits |= 1u << (2 * (s - 1));
    if (s == slot) bits |= 2u << (2 * (s - 1));
  }
  return {{CCID_RDR_TO_PC_NOTIFY_SLOT_CHANGE, tvr::BYTE(bits), tvr::BYTE(bits >> 8)}};
}

CTVRSimLink::Frame CTVRSimCcidLink::LinkError(const tvr::BYTE* frame, std::size_t length) const {
  return ErrorAnswer(frame, length, CCID_ERR_HW_ERROR);
}

CTVRSimLink::Frame CTVRSimCcidLink::ErrorAnswer(const tvr::BYTE* frame, std::size_t length, tvr::BYTE code) const {
  return CTVRCcidFrame::Make(CCID_RDR_TO_PC_SLOT_STATUS, frame && length > 5 ? frame[5] : 0,
                             frame && length > 6 ? frame[6] : 0, CCID_COMMAND_FAILED, code, 0, {});
}
