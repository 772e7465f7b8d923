#include "test_protocol.h"

CTVRTestProtocol::CTVRTestProtocol() {
  m_strName = "Test";
  m_dwMenuId = 180;
  m_Descriptor.m_eAnswerLayout = ANSWER_GENERIC;
  m_byHeaderLength = 3;
  m_byLRCLength = 1;
  m_byOpCodeLength = 1;
  m_byProtocolErrorCode = 0xE0;
  m_byMaskCode = 0x10;
  m_dwMAXLengthStandardFrame = 255;
}

DWORD CTVRTestProtocol::Frame(BYTE* out, DWORD capacity, const BYTE* prefix, DWORD prefixCount, const BYTE* bytes,
                              DWORD count) {
  const DWORD payload = prefixCount + count;
  const DWORD n = 3 + payload + 1;
  if (out == nullptr || capacity < n) return n;
  out[0] = FRAME_TYPE;
  out[1] = BYTE(payload >> 8);
  out[2] = BYTE(payload);
  DWORD pos = 3;
  for (DWORD i = 0; i < prefixCount; ++i) out[pos++] = prefix[i];
  for (DWORD i = 0; i < count; ++i) out[pos++] = bytes[i];
  BYTE lrc = 0;
  for (DWORD i = 0; i < pos; ++i) lrc ^= out[i];
  out[pos] = lrc;
  return n;
}

DWORD CTVRTestProtocol::Command(BYTE* out, DWORD capacity, BYTE* bytes, DWORD count) {
  return Frame(out, capacity, nullptr, 0, bytes, count);
}

DWORD CTVRTestProtocol::APDU(BYTE* out, DWORD capacity, BYTE* bytes, DWORD count) {
  const BYTE opcode = 0x00;
  return Frame(out, capacity, &opcode, 1, bytes, count);
}

void CTVRTestProtocol::SetSelectCard(BYTE card) {
  m_SetSelectCardCalls.push_back(card);
  m_bySelectCard = card;
}

void CTVRTestProtocol::SetStandard(BYTE standard) {
  m_SetStandardCalls.push_back(standard);
  m_byStandard = standard;
}

void CTVRTestProtocol::SetOldSelectCard(BYTE card) {
  m_SetOldSelectCardCalls.push_back(card);
  m_byOldSelectCard = card;
}

WORD CTVRTestProtocol::GetMsgCode(BYTE* bytes, DWORD length, int isCommand) {
  return m_MsgCode ? m_MsgCode(bytes, length, isCommand) : WORD(0);
}

std::vector<BYTE> MakeAnswerFrame(BYTE type, BYTE opcode, const std::vector<BYTE>& data) {
  const std::size_t payload = 1 + data.size();
  std::vector<BYTE> frame;
  frame.reserve(payload + 4);
  for (BYTE b : {type, BYTE(payload >> 8), BYTE(payload), opcode}) frame.push_back(b);
  for (BYTE b : data) frame.push_back(b);
  BYTE lrc = 0;
  for (BYTE b : frame) lrc ^= b;
  frame.push_back(lrc);
  return frame;
}
