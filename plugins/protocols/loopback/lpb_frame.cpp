#include "lpb_frame.h"

namespace {

long MeasureLpb(const tvr::BYTE* bytes, std::size_t available) {
  if (available < 1) return CTVRFrameGeometry::FRAME_MORE;
  if (bytes[0] != LPB_STEP && bytes[0] != LPB_NAK) return CTVRFrameGeometry::FRAME_NONE;
  if (available < 2) return CTVRFrameGeometry::FRAME_MORE;
  // A refusal carries exactly one code.
  if (bytes[0] == LPB_NAK && bytes[1] != 1) return CTVRFrameGeometry::FRAME_NONE;
  return long(bytes[1]) + 4;
}

bool CheckLpb(const tvr::BYTE* frame, std::size_t length) {
  return length >= 4 && CTVRLpbFrame::Lrc(frame, length - 1) == frame[length - 1];
}

}  // namespace

const CTVRFrameGeometry& CTVRLpbFrame::GetGeometry() {
  static const CTVRFrameGeometry geometry{"Loopback", MeasureLpb, CheckLpb};
  return geometry;
}

tvr::BYTE CTVRLpbFrame::Lrc(const tvr::BYTE* bytes, std::size_t count) {
  tvr::BYTE lrc = 0;
  for (std::size_t i = 0; i < count; ++i) lrc ^= bytes[i];
  return lrc;
}

tvr::DWORD CTVRLpbFrame::Build(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE k, const tvr::BYTE* data,
                               tvr::DWORD count) {
  if (count > MAX_DATA_LENGTH) return 0;
  const tvr::DWORD length = count + 4;
  if (!out || capacity < length) return length;
  out[0] = LPB_STEP;
  out[1] = tvr::BYTE(count);
  out[2] = k;
  for (tvr::DWORD i = 0; i < count; ++i) out[3 + i] = data[i];
  out[length - 1] = Lrc(out, length - 1);
  return length;
}

std::vector<tvr::BYTE> CTVRLpbFrame::Make(tvr::BYTE k, const std::vector<tvr::BYTE>& data) {
  std::vector<tvr::BYTE> frame(data.size() + 4);
  if (!Build(frame.data(), tvr::DWORD(frame.size()), k, data.data(), tvr::DWORD(data.size()))) return {};
  return frame;
}

std::vector<tvr::BYTE> CTVRLpbFrame::Nak(tvr::BYTE k, tvr::BYTE code) {
  std::vector<tvr::BYTE> frame{LPB_NAK, 0x01, k, code, 0};
  frame[4] = Lrc(frame.data(), 4);
  return frame;
}

tvr::BYTE CTVRLpbFrame::Check(const tvr::BYTE* frame, std::size_t length) {
  if (!frame || length < 4 || frame[0] != LPB_STEP || std::size_t(frame[1]) + 4 != length) return LPB_ERR_LENGTH;
  if (Lrc(frame, length - 1) != frame[length - 1]) return LPB_ERR_CHECKSUM;
  return 0;
}
