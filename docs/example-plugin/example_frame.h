// The example reader's host link, shared by its board and its protocol:
//
//   type, length high, length low, opcode, data..., XOR of all previous bytes
//
// The type is 0x02 for a command, 0x60 for an answer and 0xEE for an error
// answer, whose one data byte is the error code. The length counts the opcode
// and the data. This is the "generic" answer layout of the host: the opcode
// sits at byte 3 (header length 3), the data from byte 4.
#pragma once

#include <vector>

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

}  // namespace example
