#include "sim_kiro_link.h"

#include "kiro_frame.h"
#include "verta_frame.h"

namespace {

tvr::BYTE CardStatus(tvr::BYTE error) {
  switch (error) {
    case 0:
      return KIRO_STATUS_OK;
    case VERTA_ERR_NO_CARD:
      return KIRO_STATUS_NO_CARD;
    case VERTA_ERR_CARD_MUTE:
      return KIRO_STATUS_CARD_MUTE;
    case VERTA_ERR_CARD_NOT_POWERED:
      return KIRO_STATUS_NOT_ACTIVATED;
    default:
      return KIRO_STATUS_WRONG_CARD;
  }
}

}  // namespace

std::vector<CTVRSimLink::Frame> CTVRSimKiroLink::Process(CTVRSimFirmware& firmware, const tvr::BYTE* frame,
                                                         std::size_t length) const {
  tvr::BYTE tfi = 0, cmd = 0;
  std::vector<tvr::BYTE> data;
  if (!CTVRKiroFrame::Parse(frame, length, tfi, cmd, data) || tfi != KIRO_TFI_HOST)
    return {CTVRKiroFrame::ErrorFrame()};
  auto answer = [cmd](const std::vector<tvr::BYTE>& bytes) {
    return CTVRKiroFrame::Make(KIRO_TFI_READER, tvr::BYTE(cmd + 1), bytes);
  };
  // The card commands: their first data byte is the card, 1 to 6.
  auto selectCard = [&]() -> tvr::BYTE {
    if (data.empty()) return VERTA_ERR_CARD_NUMBER;
    return firmware.Run(VERTA_OP_SELECT_CARD, {data[0]}).m_byError;
  };
  switch (cmd) {
    case KIRO_CMD_DIAGNOSE:
      return {answer(data)};
    case KIRO_CMD_GET_RELEASE:
      if (!data.empty()) break;
      return {answer({firmware.GetRegister(CTVRSimFirmware::REG_VERSION_MAJOR),
                      firmware.GetRegister(CTVRSimFirmware::REG_VERSION_MINOR)})};
    case KIRO_CMD_READ_REGISTER:
    case KIRO_CMD_WRITE_REGISTER: {
      const bool read = cmd == KIRO_CMD_READ_REGISTER;
      if (data.size() != (read ? 1u : 2u)) break;
      const CTVRSimFirmware::CResult result =
          firmware.Run(read ? VERTA_OP_READ_REGISTER : VERTA_OP_WRITE_REGISTER, data);
      if (result.m_byError) break;
      return {answer(read ? std::vector<tvr::BYTE>{result.m_Data.back()} : std::vector<tvr::BYTE>{})};
    }
    case KIRO_CMD_ACTIVATE_CARD: {
      if (data.size() != 1) break;
      if (const tvr::BYTE error = selectCard()) return {answer({CardStatus(error)})};
      CTVRSimFirmware::CResult result = firmware.Run(VERTA_OP_RESET_CARD, {});
      std::vector<tvr::BYTE> bytes{CardStatus(result.m_byError)};
      bytes.insert(bytes.end(), result.m_Data.begin(), result.m_Data.end());
      return {answer(bytes)};
    }
    case KIRO_CMD_EXCHANGE_APDU: {
      if (data.size() < 2) break;
      if (const tvr::BYTE error = selectCard()) return {answer({CardStatus(error)})};
      CTVRSimFirmware::CResult result =
          firmware.Run(VERTA_OP_EXCHANGE_APDU, std::vector<tvr::BYTE>(data.begin() + 1, data.end()));
      std::vector<tvr::BYTE> bytes{CardStatus(result.m_byError)};
      bytes.insert(bytes.end(), result.m_Data.begin(), result.m_Data.end());
      return {answer(bytes)};
    }
    case KIRO_CMD_RELEASE_CARD:
      if (data.size() != 1) break;
      if (const tvr::BYTE error = selectCard()) return {answer({CardStatus(error)})};
      return {answer({CardStatus(firmware.Run(VERTA_OP_POWER_OFF, {}).m_byError)})};
    default:
      break;
  }
  return {CTVRKiroFrame::ErrorFrame()};
}

CTVRSimLink::Frame CTVRSimKiroLink::LinkError(const tvr::BYTE*, std::size_t) const {
  return CTVRKiroFrame::ErrorFrame();
}
