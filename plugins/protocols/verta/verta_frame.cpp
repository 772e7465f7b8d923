#include "verta_frame.h"

namespace {

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
  tvr::BYTE lrc = 0;
  for (std::size_t i = 0; i < count; ++i) lrc ^= bytes[i];
  return lrc;
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
  tvr::BYTE lrc = out[0] ^ out[1] ^ out[2] ^ opcode;
  for (tvr::DWORD i = 0; i < count; ++i) {
    const tvr::BYTE b = data[i];
    out[HEADER_LENGTH + OPCODE_LENGTH + i] = b;
    lrc ^= b;
  }
  out[length - 1] = lrc;
  return length;
}

std::vector<tvr::BYTE> CTVRVertaFrame::Make(tvr::BYTE type, tvr::BYTE opcode, const tvr::BYTE* data,
                                            std::size_t count) {
  if (count > MAX_DATA_LENGTH) return {};
  std::vector<tvr::BYTE> frame(OVERHEAD + count);
  Build(frame.data(), tvr::DWORD(frame.size()), type, opcode, data, tvr::DWORD(count));
  return frame;
}
