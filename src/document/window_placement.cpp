#include "document/window_placement.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Put(std::vector<tvr::BYTE>& bytes, int value) {
  const auto u = uint32_t(value);
  for (int i = 0; i < 4; ++i) bytes.push_back(tvr::BYTE(u >> (8 * i)));
}

int Get(const std::vector<tvr::BYTE>& bytes, std::size_t field) {
  uint32_t u = 0;
  for (std::size_t i = 0; i < 4; ++i) u |= uint32_t(bytes[4 * field + i]) << (8 * i);
  return int(int32_t(u));
}

}  // namespace

tvr::BOOL CTVRWindowPlacement::Decode(const std::vector<tvr::BYTE>& bytes) {
  if (bytes.size() != SIZE) return FALSE;
  // The length field itself is not trusted: the value's size decides.
  m_nFlags = Get(bytes, 1);
  m_nShow = Get(bytes, 2);
  m_nMinX = Get(bytes, 3);
  m_nMinY = Get(bytes, 4);
  m_nMaxX = Get(bytes, 5);
  m_nMaxY = Get(bytes, 6);
  m_nLeft = Get(bytes, 7);
  m_nTop = Get(bytes, 8);
  m_nRight = Get(bytes, 9);
  m_nBottom = Get(bytes, 10);
  return TRUE;
}

std::vector<tvr::BYTE> CTVRWindowPlacement::Encode() const {
  std::vector<tvr::BYTE> bytes;
  bytes.reserve(SIZE);
  for (int value :
       {int(SIZE), m_nFlags, m_nShow, m_nMinX, m_nMinY, m_nMaxX, m_nMaxY, m_nLeft, m_nTop, m_nRight, m_nBottom})
    Put(bytes, value);
  return bytes;
}

tvr::BOOL CTVRWindowPlacement::HasUsableRect() const {
  // In 64 bits: the differences of two 32-bit values do not overflow there.
  const long long width = (long long)m_nRight - m_nLeft;
  const long long height = (long long)m_nBottom - m_nTop;
  return width > 0 && height > 0 && width < FAR_PIXELS && height < FAR_PIXELS && std::llabs(m_nLeft) < FAR_PIXELS &&
                 std::llabs(m_nTop) < FAR_PIXELS
             ? TRUE
             : FALSE;
}
