#include "kiro_protocol.h"

#include <vector>

#include "kiro_frame.h"

TVR_IMPLEMENT_DYNAMIC(CTVRKiroProtocol)

CTVRKiroProtocol::CTVRKiroProtocol() {
  m_strName = "Kiro";
  m_dwMenuId = MENU_ID;
  m_Descriptor = {ANSWER_KIRO, &CTVRKiroFrame::GetGeometry()};
  m_byMaskCode = KIRO_CMD_GET_RELEASE;
  // 00 00 FF LEN LCS, then the frame identifier and the command code.
  m_byHeaderLength = 5;
  m_byOpCodeLength = 1;
  m_byLRCLength = 2;  // the data checksum and the closing 00
  m_byProtocolErrorCode = KIRO_ERROR;
  m_dwMAXLengthStandardFrame = CTVRKiroFrame::MAX_STANDARD_FRAME;
}

CTVRKiroProtocol::~CTVRKiroProtocol() = default;

tvr::DWORD CTVRKiroProtocol::Command(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count) {
  if (!bytes || count == 0) return 0;
  return CTVRKiroFrame::Build(out, capacity, KIRO_TFI_HOST, bytes[0], bytes + 1, count - 1);
}

tvr::DWORD CTVRKiroProtocol::APDU(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count) {
  if (!bytes || count == 0) return 0;
  std::vector<tvr::BYTE> data{m_bySelectCard};
  data.insert(data.end(), bytes, bytes + count);
  return CTVRKiroFrame::Build(out, capacity, KIRO_TFI_HOST, KIRO_CMD_EXCHANGE_APDU, data.data(),
                              tvr::DWORD(data.size()));
}
