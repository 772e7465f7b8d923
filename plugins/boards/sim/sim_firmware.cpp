#include "sim_firmware.h"

#include <cstring>

#include "verta_frame.h"

namespace {
constexpr tvr::BYTE SERIAL_NUMBER[4] = {0x00, 0x01, 0x23, 0x45};
}

CTVRSimFirmware::CTVRSimFirmware() {
  m_Slots[0].m_pCard = std::make_unique<CTVRSimCard>(CTVRSimCard::GetT0Atr(), 0x5EED0001u);
  m_Slots[2].m_pCard = std::make_unique<CTVRSimCard>(CTVRSimCard::GetT1Atr(), 0x5EED0003u);
  m_Slots[2].m_Parameters[VERTA_PARAM_PROTOCOL] = 1;
  m_Slots[3].m_pCard = std::make_unique<CTVRSimCard>(CTVRSimCard::GetInverseAtr(), 0x5EED0004u);
  m_Slots[4].m_pCard = std::make_unique<CTVRSimCard>(std::vector<tvr::BYTE>{}, 0x5EED0005u);
  for (CSlot& slot : m_Slots) slot.m_bPresent = slot.m_pCard != nullptr;

  m_Registers[REG_CHIP_ID] = 0x56;
  m_Registers[REG_VERSION_MAJOR] = 0x02;
  m_Registers[REG_VERSION_MINOR] = 0x04;
  m_Registers[REG_SLOT_COUNT] = SLOT_COUNT;
  m_Registers[REG_LED] = 0x01;
  m_Registers[REG_EVENT_MASK] = 0x3F;
}

CTVRSimFirmware::~CTVRSimFirmware() = default;

CTVRSimFirmware::Frame CTVRSimFirmware::Answer(tvr::BYTE opcode, const std::vector<tvr::BYTE>& data) const {
  return CTVRVertaFrame::Make(VERTA_FRAME_ANSWER, opcode, data);
}

CTVRSimFirmware::Frame CTVRSimFirmware::Error(tvr::BYTE opcode, tvr::BYTE error) const {
  return CTVRVertaFrame::Make(VERTA_FRAME_ERROR, opcode, &error, 1);
}

std::vector<CTVRSimFirmware::Frame> CTVRSimFirmware::ProcessFrame(const tvr::BYTE* frame, std::size_t length) {
  if (!frame || length < CTVRVertaFrame::OVERHEAD)
    return {Error(frame && length > CTVRVertaFrame::HEADER_LENGTH ? frame[CTVRVertaFrame::HEADER_LENGTH]
                                                                  : tvr::BYTE(VERTA_OP_NONE),
                  VERTA_ERR_FRAME_LENGTH)};
  const tvr::BYTE opcode = frame[CTVRVertaFrame::HEADER_LENGTH];
  const std::size_t len = std::size_t(frame[1]) << 8 | frame[2];
  if (length > CTVRVertaFrame::MAX_FRAME_LENGTH || len + CTVRVertaFrame::HEADER_LENGTH + 1 != length)
    return {Error(opcode, VERTA_ERR_FRAME_LENGTH)};
  if (CTVRVertaFrame::Lrc(frame, length - 1) != frame[length - 1]) return {Error(opcode, VERTA_ERR_CHECKSUM)};
  if (frame[0] != VERTA_FRAME_COMMAND) return {Error(opcode, VERTA_ERR_FRAME_TYPE)};
  return {Execute(opcode, frame + CTVRVertaFrame::HEADER_LENGTH + 1, len - 1)};
}

CTVRSimFirmware::CResult CTVRSimFirmware::Run(tvr::BYTE opcode, const std::vector<tvr::BYTE>& data) {
  const Frame frame = Execute(opcode, data.data(), data.size());
  CResult result;
  const std::size_t dataStart = CTVRVertaFrame::HEADER_LENGTH + CTVRVertaFrame::OPCODE_LENGTH;
  if (frame.size() < CTVRVertaFrame::OVERHEAD) return result;
  if (frame[0] == VERTA_FRAME_ERROR)
    result.m_byError = frame[dataStart];
  else
    result.m_Data.assign(frame.begin() + std::ptrdiff_t(dataStart), frame.end() - 1);
  return result;
}

CTVRSimFirmware::Frame CTVRSimFirmware::Execute(tvr::BYTE opcode, const tvr::BYTE* data, std::size_t count) {
  switch (opcode) {
    case VERTA_OP_EXCHANGE_APDU:
      return ExchangeApdu(data, count);
    case VERTA_OP_RESET_CARD:
      return ResetCard(data, count);
    case VERTA_OP_POWER_OFF: {
      if (count != 0) return Error(opcode, VERTA_ERR_DATA_LENGTH);
      CSlot& slot = Selected();
      if (!slot.m_bPresent) return Error(opcode, VERTA_ERR_NO_CARD);
      slot.m_bPowered = false;
      slot.m_pCard->PowerOff();
      return Answer(opcode, {m_bySelectedCard});
    }
    case VERTA_OP_CARD_STATUS: {
      if (count != 0) return Error(opcode, VERTA_ERR_DATA_LENGTH);
      std::vector<tvr::BYTE> status;
      for (const CSlot& slot : m_Slots)
        status.push_back(tvr::BYTE((slot.m_bPresent ? 0x01 : 0) | (slot.m_bPowered ? 0x02 : 0)));
      return Answer(opcode, status);
    }
    case VERTA_OP_SET_SLOT_PARAMETER:
      return SetSlotParameter(data, count);
    case VERTA_OP_GET_SLOT_PARAMETER:
      return GetSlotParameter(data, count);
    case VERTA_OP_SELECT_CARD:
      if (count != 1) return Error(opcode, VERTA_ERR_DATA_LENGTH);
      if (data[0] < 1 || data[0] > SLOT_COUNT) return Error(opcode, VERTA_ERR_CARD_NUMBER);
      m_bySelectedCard = data[0];
      return Answer(opcode, {m_bySelectedCard});
    case VERTA_OP_GET_FIRMWARE: {
      if (count != 0) return Error(opcode, VERTA_ERR_DATA_LENGTH);
      const char* mask = GetMaskText();
      return Answer(opcode, std::vector<tvr::BYTE>(mask, mask + std::strlen(mask)));
    }
    case VERTA_OP_READER_INFO:
      return ReaderInfo(data, count);
    case VERTA_OP_LOOPBACK:
      return Answer(opcode, std::vector<tvr::BYTE>(data, data + count));
    case VERTA_OP_READ_REGISTER:
      return ReadRegister(data, count);
    case VERTA_OP_WRITE_REGISTER:
      return WriteRegister(data, count);
    default:
      return Error(opcode, VERTA_ERR_UNKNOWN_COMMAND);
  }
}

CTVRSimFirmware::Frame CTVRSimFirmware::ExchangeApdu(const tvr::BYTE* data, std::size_t count) {
  CSlot& slot = Selected();
  if (!slot.m_bPresent) return Error(VERTA_OP_EXCHANGE_APDU, VERTA_ERR_NO_CARD);
  if (!slot.m_bPowered) return Error(VERTA_OP_EXCHANGE_APDU, VERTA_ERR_CARD_NOT_POWERED);
  if (count == 0) return Error(VERTA_OP_EXCHANGE_APDU, VERTA_ERR_DATA_LENGTH);
  std::vector<tvr::BYTE> response = slot.m_pCard->Process(data, count);
  // A response never outgrows a frame: the longest is 256 bytes and a status word.
  return Answer(VERTA_OP_EXCHANGE_APDU, response);
}

// Data: none or 00 for a cold reset, 01 for a warm one; the simulated cards
// answer both alike.
CTVRSimFirmware::Frame CTVRSimFirmware::ResetCard(const tvr::BYTE* data, std::size_t count) {
  if (count > 1) return Error(VERTA_OP_RESET_CARD, VERTA_ERR_DATA_LENGTH);
  if (count == 1 && data[0] > 1) return Error(VERTA_OP_RESET_CARD, VERTA_ERR_PARAMETER);
  CSlot& slot = Selected();
  if (!slot.m_bPresent) return Error(VERTA_OP_RESET_CARD, VERTA_ERR_NO_CARD);
  if (slot.m_pCard->IsMute()) {
    slot.m_bPowered = false;
    return Error(VERTA_OP_RESET_CARD, VERTA_ERR_CARD_MUTE);
  }
  slot.m_bPowered = true;
  return Answer(VERTA_OP_RESET_CARD, slot.m_pCard->Reset());
}

CTVRSimFirmware::Frame CTVRSimFirmware::SetSlotParameter(const tvr::BYTE* data, std::size_t count) {
  if (count != 2) return Error(VERTA_OP_SET_SLOT_PARAMETER, VERTA_ERR_DATA_LENGTH);
  const tvr::BYTE parameter = data[0], value = data[1];
  bool valid = false;
  switch (parameter) {
    case VERTA_PARAM_CLOCK:
      valid = value >= 1 && value <= 20;
      break;
    case VERTA_PARAM_VOLTAGE:
      valid = value >= 1 && value <= 3;
      break;
    case VERTA_PARAM_PROTOCOL:
      valid = value <= 1;
      break;
    case VERTA_PARAM_FIDI:
      valid = true;
      break;
    default:
      break;
  }
  if (!valid) return Error(VERTA_OP_SET_SLOT_PARAMETER, VERTA_ERR_PARAMETER);
  Selected().m_Parameters[parameter] = value;
  return Answer(VERTA_OP_SET_SLOT_PARAMETER, {parameter, value});
}

CTVRSimFirmware::Frame CTVRSimFirmware::GetSlotParameter(const tvr::BYTE* data, std::size_t count) {
  if (count != 1) return Error(VERTA_OP_GET_SLOT_PARAMETER, VERTA_ERR_DATA_LENGTH);
  const tvr::BYTE parameter = data[0];
  if (parameter < VERTA_PARAM_CLOCK || parameter > VERTA_PARAM_FIDI)
    return Error(VERTA_OP_GET_SLOT_PARAMETER, VERTA_ERR_PARAMETER);
  return Answer(VERTA_OP_GET_SLOT_PARAMETER, {parameter, Selected().m_Parameters[parameter]});
}

CTVRSimFirmware::Frame CTVRSimFirmware::ReaderInfo(const tvr::BYTE* data, std::size_t count) {
  if (count != 1) return Error(VERTA_OP_READER_INFO, VERTA_ERR_DATA_LENGTH);
  switch (data[0]) {
    case VERTA_INFO_SERIAL:
      return Answer(VERTA_OP_READER_INFO,
                    {VERTA_INFO_SERIAL, SERIAL_NUMBER[0], SERIAL_NUMBER[1], SERIAL_NUMBER[2], SERIAL_NUMBER[3]});
    case VERTA_INFO_SLOT_COUNT:
      return Answer(VERTA_OP_READER_INFO, {VERTA_INFO_SLOT_COUNT, SLOT_COUNT});
    case VERTA_INFO_MAX_FRAME:
      return Answer(VERTA_OP_READER_INFO, {VERTA_INFO_MAX_FRAME, tvr::BYTE(CTVRVertaFrame::MAX_FRAME_LENGTH >> 8),
                                           tvr::BYTE(CTVRVertaFrame::MAX_FRAME_LENGTH)});
    default:
      return Error(VERTA_OP_READER_INFO, VERTA_ERR_PARAMETER);
  }
}

// Data: address, then optionally a count of 1 to 16. The answer repeats the
// address before the values.
CTVRSimFirmware::Frame CTVRSimFirmware::ReadRegister(const tvr::BYTE* data, std::size_t count) {
  if (count != 1 && count != 2) return Error(VERTA_OP_READ_REGISTER, VERTA_ERR_DATA_LENGTH);
  const tvr::BYTE address = data[0];
  const std::size_t block = count == 2 ? data[1] : 1;
  if (block < 1 || block > MAX_REGISTER_BLOCK) return Error(VERTA_OP_READ_REGISTER, VERTA_ERR_PARAMETER);
  if (address + block > REGISTER_COUNT) return Error(VERTA_OP_READ_REGISTER, VERTA_ERR_UNKNOWN_REGISTER);
  std::vector<tvr::BYTE> values{address};
  for (std::size_t i = 0; i < block; ++i) values.push_back(GetRegister(tvr::BYTE(address + i)));
  return Answer(VERTA_OP_READ_REGISTER, values);
}

// Data: address, then 1 to 16 values for consecutive registers. Nothing is
// written unless every register of the block may be.
CTVRSimFirmware::Frame CTVRSimFirmware::WriteRegister(const tvr::BYTE* data, std::size_t count) {
  if (count < 2 || count > 1 + std::size_t(MAX_REGISTER_BLOCK))
    return Error(VERTA_OP_WRITE_REGISTER, VERTA_ERR_DATA_LENGTH);
  const tvr::BYTE address = data[0];
  const std::size_t block = count - 1;
  if (address + block > REGISTER_COUNT) return Error(VERTA_OP_WRITE_REGISTER, VERTA_ERR_UNKNOWN_REGISTER);
  if (address < FIRST_WRITABLE_REGISTER) return Error(VERTA_OP_WRITE_REGISTER, VERTA_ERR_READ_ONLY_REGISTER);
  for (std::size_t i = 0; i < block; ++i) StoreRegister(tvr::BYTE(address + i), data[1 + i]);
  return Answer(VERTA_OP_WRITE_REGISTER, {address});
}

void CTVRSimFirmware::StoreRegister(tvr::BYTE address, tvr::BYTE value) {
  switch (address) {
    case REG_POWER_OFF:
      for (int i = 0; i < SLOT_COUNT; ++i) {
        CSlot& slot = m_Slots[std::size_t(i)];
        if (!(value & (1 << i)) || !slot.m_bPowered) continue;
        slot.m_bPowered = false;
        slot.m_pCard->PowerOff();
      }
      return;
    case REG_BANK_DATA:
      m_Banks[m_Registers[REG_BANK_SELECT] % BANK_COUNT] = value;
      return;
    default:
      m_Registers[address] = value;
  }
}

tvr::BYTE CTVRSimFirmware::GetRegister(tvr::BYTE address) const {
  if (address >= REGISTER_COUNT) return 0;
  tvr::BYTE bits = 0;
  switch (address) {
    case REG_CARD_PRESENT:
      for (int i = 0; i < SLOT_COUNT; ++i)
        if (m_Slots[std::size_t(i)].m_bPresent) bits |= tvr::BYTE(1 << i);
      return bits;
    case REG_CARD_POWERED:
      for (int i = 0; i < SLOT_COUNT; ++i)
        if (m_Slots[std::size_t(i)].m_bPowered) bits |= tvr::BYTE(1 << i);
      return bits;
    case REG_SELECTED_CARD:
      return m_bySelectedCard;
    case REG_POWER_OFF:
      return 0;
    case REG_BANK_DATA:
      return m_Banks[m_Registers[REG_BANK_SELECT] % BANK_COUNT];
    default:
      return m_Registers[address];
  }
}

bool CTVRSimFirmware::IsCardPresent(int slot) const {
  return slot >= 1 && slot <= SLOT_COUNT && m_Slots[std::size_t(slot - 1)].m_bPresent;
}

bool CTVRSimFirmware::IsCardPowered(int slot) const {
  return slot >= 1 && slot <= SLOT_COUNT && m_Slots[std::size_t(slot - 1)].m_bPowered;
}

CTVRSimCard* CTVRSimFirmware::GetCard(int slot) {
  if (!IsCardPresent(slot)) return nullptr;
  return m_Slots[std::size_t(slot - 1)].m_pCard.get();
}

std::vector<CTVRSimFirmware::Frame> CTVRSimFirmware::CardEvent(int slot, bool inserted) const {
  if (!(m_Registers[REG_EVENT_MASK] & (1 << (slot - 1)))) return {};
  return {Answer(VERTA_OP_CARD_EVENT, {tvr::BYTE(slot << 4 | (inserted ? 1 : 0))})};
}

std::vector<CTVRSimFirmware::Frame> CTVRSimFirmware::InsertCard(int slot) {
  if (slot < 1 || slot > SLOT_COUNT) return {};
  CSlot& target = m_Slots[std::size_t(slot - 1)];
  if (target.m_bPresent) return {};
  if (!target.m_pCard) target.m_pCard = std::make_unique<CTVRSimCard>(CTVRSimCard::GetT0Atr(), 0x5EED0000u + slot);
  target.m_pCard->PowerOff();
  target.m_bPresent = true;
  target.m_bPowered = false;
  return CardEvent(slot, true);
}

std::vector<CTVRSimFirmware::Frame> CTVRSimFirmware::RemoveCard(int slot) {
  if (slot < 1 || slot > SLOT_COUNT) return {};
  CSlot& target = m_Slots[std::size_t(slot - 1)];
  if (!target.m_bPresent) return {};
  target.m_pCard->PowerOff();
  target.m_bPresent = false;
  target.m_bPowered = false;
  return CardEvent(slot, false);
}
