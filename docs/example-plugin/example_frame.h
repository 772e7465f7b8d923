// The example reader's host link, shared by its board and its protocol:
//
//   type, length high, length low, opcode, data..., XOR of all previous bytes
//
// The type is 0x02 for a command, 0x60 for an answer and 0xEE for an error
// answer, whose one data byte is the error code. The length counts the opcode
// and the data. This is the "generic" answer layout of the host: the opcode
// sits at byte 3 (header length 3), the data from byte 4.
#pragma once

#include <cstddef>
#include <vector>

#include <tavric/protocol_descriptor.h>
#include <tavric/types.h>

namespace example {

constexpr tvr::BYTE TYPE_COMMAND = 0x02;
constexpr tvr::BYTE TYPE_ANSWER = 0x60;
constexpr tvr::BYTE TYPE_ERROR = 0xEE;
constexpr tvr::DWORD HEADER_LENGTH = 3;
constexpr tvr::DWORD MAX_PAYLOAD = 0xFFFF;

inline std::vector<tvr::BYTE> MakeFrame(tvr::BYTE type, const tvr::BYTE* payload, tvr::DWORD count) {
  std::vector<tvr::BYTE> frame{type, tvr::BYTE(count >> 8), tvr::BYTE(count)};
  frame.insert(frame.end(), payload, payload + count);
  tvr::BYTE lrc = 0;
  for (tvr::BYTE b : frame) lrc ^= b;
  frame.push_back(lrc);
  return frame;
}

// How a byte stream (a serial line) is cut into these frames, either way: a
// frame begins with one of the three types and its length follows.
inline long Measure(const tvr::BYTE* bytes, std::size_t available) {
  if (available < 1) return CTVRFrameGeometry::FRAME_MORE;
  if (bytes[0] != TYPE_COMMAND && bytes[0] != TYPE_ANSWER && bytes[0] != TYPE_ERROR)
    return CTVRFrameGeometry::FRAME_NONE;
  if (available < HEADER_LENGTH) return CTVRFrameGeometry::FRAME_MORE;
  return long(HEADER_LENGTH) + (long(bytes[1]) << 8 | bytes[2]) + 1;
}

inline bool Check(const tvr::BYTE* frame, std::size_t length) {
  tvr::BYTE lrc = 0;
  for (std::size_t i = 0; i < length; ++i) lrc ^= frame[i];
  return lrc == 0;
}

inline const CTVRFrameGeometry kGeometry{"Example", Measure, Check};

}  // namespace example
