#include "ccid_protocol.h"

#include "ccid_frame.h"

TVR_IMPLEMENT_DYNAMIC(CTVRCcidProtocol)

CTVRCcidProtocol::CTVRCcidProtocol() {
  m_strName = "CCID";
  m_dwMenuId = MENU_ID;
  m_Descriptor = {ANSWER_CCID, &CTVRCcidFrame::GetGeometry()};
  // The message type leads a 10-byte header; the data follow it.
  m_byHeaderLength = 0;
  m_byOpCodeLength = CTVRCcidFrame::HEADER_LENGTH;
  m_byLRCLength = 0;
  m_byProtocolErrorCode = 0;
  m_byMaskCode = 0;
  m_dwMAXLengthStandardFrame = CTVRCcidFrame::HEADER_LENGTH + CTVRCcidFrame::MAX_DATA_LENGTH;
}

CTVRCcidProtocol::~CTVRCcidProtocol() = default;

tvr::DWORD CTVRCcidProtocol::Frame(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE type, const tvr::BYTE* data,
                                   tvr::DWORD count) {
  const tvr::DWORD length =
      CTVRCcidFrame::Build(out, capacity, type, tvr::BYTE(m_bySelectCard - 1), m_bySeq, nullptr, data, count);
  // The host may ask for the length alone: the message counts when written.
  if (out && length && capacity >= length) {
    ++m_bySeq;
    m_byFramedType = type;
    m_bFramed = true;
  }
  return length;
}

tvr::DWORD CTVRCcidProtocol::Command(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count) {
  if (!bytes || count == 0) return 0;
  return Frame(out, capacity, bytes[0], bytes + 1, count - 1);
}

tvr::DWORD CTVRCcidProtocol::APDU(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count) {
  if (!bytes || count == 0) return 0;
  return Frame(out, capacity, CCID_PC_TO_RDR_XFR_BLOCK, bytes, count);
}

tvr::WORD CTVRCcidProtocol::GetMsgCode(tvr::BYTE* bytes, tvr::DWORD length, int isCommand) {
  if (isCommand) {
    tvr::BYTE type = m_bFramed ? m_byFramedType : (bytes && length ? bytes[0] : 0);
    m_bFramed = false;
    m_byLastCommandType = type;
    return tvr::WORD(CLASS_COMMAND << 8 | type);
  }
  if (!bytes || length == 0) return tvr::WORD(CLASS_UNREADABLE << 8);
  // The slot change comes on the interrupt pipe, without the 10-byte header.
  if (bytes[0] == CCID_RDR_TO_PC_NOTIFY_SLOT_CHANGE) return tvr::WORD(CCID_RDR_TO_PC_NOTIFY_SLOT_CHANGE << 8);
  if (length < CTVRCcidFrame::HEADER_LENGTH) return tvr::WORD(CLASS_UNREADABLE << 8);
  const tvr::BYTE status = bytes[CTVRCcidFrame::STATUS];
  const tvr::BYTE error = bytes[CTVRCcidFrame::ERROR];
  if (status & CCID_TIME_EXTENSION) return tvr::WORD(0x0100 | error);
  if (status & CCID_COMMAND_FAILED) return error;
  return tvr::WORD(bytes[0] << 8 | (status & 0x03));
}

tvr::WORD CTVRCcidProtocol::GetExtraMsgCode(tvr::BYTE* answer, tvr::DWORD length, int) {
  if (!answer || length < CTVRCcidFrame::HEADER_LENGTH || answer[0] != CCID_RDR_TO_PC_DATA_BLOCK) return 0;
  if (answer[CTVRCcidFrame::STATUS] & (CCID_COMMAND_FAILED | CCID_TIME_EXTENSION)) return 0;
  const tvr::DWORD count = length - CTVRCcidFrame::HEADER_LENGTH;
  if (m_byLastCommandType == CCID_PC_TO_RDR_ICC_POWER_ON) return count ? tvr::WORD(CLASS_ATR << 8) : 0;
  if (m_byLastCommandType != CCID_PC_TO_RDR_XFR_BLOCK || count < 2) return 0;
  return tvr::WORD(answer[length - 2] << 8 | answer[length - 1]);
}
