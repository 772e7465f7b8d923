#include "kiro_frame.h"

namespace {

constexpr tvr::BYTE START[3] = {0x00, 0x00, 0xFF};

long MeasureKiro(const tvr::BYTE* bytes, std::size_t available) {
  for (std::size_t i = 0; i < 3; ++i) {
    if (available <= i) return CTVRFrameGeometry::FRAME_MORE;
    if (bytes[i] != START[i]) return CTVRFrameGeometry::FRAME_NONE;
  }
  if (available < 5) return CTVRFrameGeometry::FRAME_MORE;
  long header = 5, len = bytes[3];
  if (bytes[3] == 0xFF && bytes[4] == 0xFF) {
    if (available < 8) return CTVRFrameGeometry::FRAME_MORE;
    if (tvr::BYTE(bytes[5] + bytes[6] + bytes[7]) != 0) return CTVRFrameGeometry::FRAME_NONE;
    header = 8;
    len = long(bytes[5]) << 8 | bytes[6];
  } else if (tvr::BYTE(bytes[3] + bytes[4]) != 0) {
    return CTVRFrameGeometry::FRAME_NONE;
  }
  // The error frame's LEN is 1 (its TFI alone).
  if (len < 1 || len > long(CTVRKiroFrame::MAX_LEN)) return CTVRFrameGeometry::FRAME_NONE;
  return header + len + 2;
}

bool CheckKiro(const tvr::BYTE* frame, std::size_t length) {
  if (length < 8 || frame[length - 1] != 0x00) return false;
  const std::size_t header = frame[3] == 0xFF && frame[4] == 0xFF ? 8 : 5;
  tvr::BYTE sum = 0;
  for (std::size_t i = header; i < length - 1; ++i) sum = tvr::BYTE(sum + frame[i]);
  return sum == 0;
}

}  // namespace

const CTVRFrameGeometry& CTVRKiroFrame::GetGeometry() {
  static const CTVRFrameGeometry geometry{"Kiro", MeasureKiro, CheckKiro};
  return geometry;
}

tvr::DWORD CTVRKiroFrame::Build(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE tfi, tvr::BYTE cmd,
                                const tvr::BYTE* data, tvr::DWORD count) {
  const tvr::DWORD len = 2 + count;
  if (len > MAX_LEN) return 0;
  const bool extended = len > MAX_STANDARD_LEN;
  const tvr::DWORD header = extended ? 8 : 5;
  const tvr::DWORD length = header + len + 2;
  if (!out || capacity < length) return length;
  out[0] = 0x00;
  out[1] = 0x00;
  out[2] = 0xFF;
  if (extended) {
    out[3] = 0xFF;
    out[4] = 0xFF;
    out[5] = tvr::BYTE(len >> 8);
    out[6] = tvr::BYTE(len);
    out[7] = tvr::BYTE(0x100 - ((out[5] + out[6]) & 0xFF));
  } else {
    out[3] = tvr::BYTE(len);
    out[4] = tvr::BYTE(0x100 - len);
  }
  out[header] = tfi;
  out[header + 1] = cmd;
  tvr::BYTE sum = tvr::BYTE(tfi + cmd);
  for (tvr::DWORD i = 0; i < count; ++i) {
    out[header + 2 + i] = data[i];
    sum = tvr::BYTE(sum + data[i]);
  }
  out[length - 2] = tvr::BYTE(0x100 - sum);
  out[length - 1] = 0x00;
  return length;
}

std::vector<tvr::BYTE> CTVRKiroFrame::Make(tvr::BYTE tfi, tvr::BYTE cmd, const std::vector<tvr::BYTE>& data) {
  const tvr::DWORD length = Build(nullptr, 0, tfi, cmd, data.data(), tvr::DWORD(data.size()));
  std::vector<tvr::BYTE> frame(length);
  Build(frame.data(), length, tfi, cmd, data.data(), tvr::DWORD(data.size()));
  return frame;
}

bool CTVRKiroFrame::Parse(const tvr::BYTE* frame, std::size_t length, tvr::BYTE& tfi, tvr::BYTE& cmd,
                          std::vector<tvr::BYTE>& data) {
  if (!frame || length < 9 || frame[0] != 0x00 || frame[1] != 0x00 || frame[2] != 0xFF) return false;
  std::size_t header = 5;
  std::size_t len = frame[3];
  if (frame[3] == 0xFF && frame[4] == 0xFF) {
    if (length < 12 || tvr::BYTE(frame[5] + frame[6] + frame[7]) != 0) return false;
    header = 8;
    len = std::size_t(frame[5]) << 8 | frame[6];
  } else if (tvr::BYTE(frame[3] + frame[4]) != 0) {
    return false;
  }
  if (len < 2 || header + len + 2 != length || frame[length - 1] != 0x00) return false;
  tvr::BYTE sum = 0;
  for (std::size_t i = header; i < header + len + 1; ++i) sum = tvr::BYTE(sum + frame[i]);
  if (sum != 0) return false;
  tfi = frame[header];
  cmd = frame[header + 1];
  data.assign(frame + header + 2, frame + header + len);
  return true;
}
