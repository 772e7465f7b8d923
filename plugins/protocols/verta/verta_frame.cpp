#include "verta_frame.h"

#include <cstdint>
#include <cstring>

namespace {

// The XOR of count bytes, eight at a time and folded to one at the end, the
// bytes copied to `to` on the way when it is given: every frame a run sends
// goes through here.
tvr::BYTE XorBytes(const tvr::BYTE* bytes, std::size_t count, tvr::BYTE* to) {
  std::uint64_t wide = 0;
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes + i, sizeof word);
    if (to != nullptr) std::memcpy(to + i, &word, sizeof word);
    wide ^= word;
  }
  for (; i < count; ++i) {
    wide ^= bytes[i];
    if (to != nullptr) to[i] = bytes[i];
  }
  wide ^= wide >> 32;
  wide ^= wide >> 16;
  wide ^= wide >> 8;
  return tvr::BYTE(wide);
}

long MeasureVerta(const tvr::BYTE* bytes, std::size_t available) {
  if (available < 1) return CTVRFrameGeometry::FRAME_MORE;
  if (bytes[0] != VERTA_FRAME_COMMAND && bytes[0] != VERTA_FRAME_ANSWER && bytes[0] != VERTA_FRAME_ERROR)
    return CTVRFrameGeometry::FRAME_NONE;
  if (available < CTVRVertaFrame::HEADER_LENGTH) return CTVRFrameGeometry::FRAME_MORE;
  const long len = long(bytes[1]) << 8 | bytes[2];
  const long length = long(CTVRVertaFrame::HEADER_LENGTH + CTVRVertaFrame::LRC_LENGTH) + len;
  // Every frame has its opcode; none is longer than the reader's buffer.
  if (len < long(CTVRVertaFrame::OPCODE_LENGTH) || length > long(CTVRVertaFrame::MAX_FRAME_LENGTH))
    return CTVRFrameGeometry::FRAME_NONE;
  return length;
}

bool CheckVerta(const tvr::BYTE* frame, std::size_t length) {
  return length >= CTVRVertaFrame::OVERHEAD && CTVRVertaFrame::Lrc(frame, length - 1) == frame[length - 1];
}

}  // namespace

const CTVRFrameGeometry& CTVRVertaFrame::GetGeometry() {
  static const CTVRFrameGeometry geometry{"Verta", MeasureVerta, CheckVerta};
  return geometry;
}

tvr::BYTE CTVRVertaFrame::Lrc(const tvr::BYTE* bytes, std::size_t count) {
  return XorBytes(bytes, count, nullptr);
}

tvr::DWORD CTVRVertaFrame::Build(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE type, tvr::BYTE opcode,
                                 const tvr::BYTE* data, tvr::DWORD count) {
  if (count > MAX_DATA_LENGTH) return 0;
  const tvr::DWORD length = OVERHEAD + count;
  if (!out || capacity < length) return length;
  const tvr::DWORD len = OPCODE_LENGTH + count;
  out[0] = type;
  out[1] = tvr::BYTE(len >> 8);
  out[2] = tvr::BYTE(len);
  out[3] = opcode;
  // The LRC is summed as the data is copied: one pass over the frame.
  const tvr::BYTE lrc = XorBytes(data, count, out + HEADER_LENGTH + OPCODE_LENGTH);
  out[length - 1] = tvr::BYTE(out[0] ^ out[1] ^ out[2] ^ opcode ^ lrc);
  return length;
}

std::vector<tvr::BYTE> CTVRVertaFrame::Make(tvr::BYTE type, tvr::BYTE opcode, const tvr::BYTE* data,
                                            std::size_t count) {
  if (count > MAX_DATA_LENGTH) return {};
  std::vector<tvr::BYTE> frame(OVERHEAD + count);
  Build(frame.data(), tvr::DWORD(frame.size()), type, opcode, data, tvr::DWORD(count));
  return frame;
}
