#include "pcsc_protocol.h"

#include <cstring>

#include "pcsc_frame.h"

TVR_IMPLEMENT_DYNAMIC(CTVRPcscProtocol)

namespace {

tvr::DWORD CopyBytes(tvr::BYTE* out, tvr::DWORD capacity, const tvr::BYTE* bytes, tvr::DWORD count) {
  if (!bytes) return 0;
  if (out && capacity >= count) std::memcpy(out, bytes, count);
  return count;
}

}  // namespace

CTVRPcscProtocol::CTVRPcscProtocol() {
  m_strName = "PC/SC";
  m_dwMenuId = MENU_ID;
  m_Descriptor.m_eAnswerLayout = ANSWER_PCSC;  // answers carry no length: no frame geometry
  m_byMaskCode = PCSC_KIND_MASK;
  m_byHeaderLength = CTVRPcscFrame::HEADER_LENGTH;
  m_byOpCodeLength = CTVRPcscFrame::KIND_LENGTH;
  m_byLRCLength = 0;
  m_byProtocolErrorCode = PCSC_ANSWER_ERROR;
  m_dwMAXLengthStandardFrame = CTVRPcscFrame::MAX_ANSWER_LENGTH;
}

CTVRPcscProtocol::~CTVRPcscProtocol() = default;

tvr::DWORD CTVRPcscProtocol::Command(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count) {
  return CopyBytes(out, capacity, bytes, count);
}

tvr::DWORD CTVRPcscProtocol::APDU(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count) {
  return CopyBytes(out, capacity, bytes, count);
}
