// Loopback link frames, in both directions:
//
//   02 LEN K data... LRC     a step; the reader echoes it byte for byte
//   15 01 K code LRC         the reader refuses the step K (NAK)
//
// LEN counts the data after K; LRC is the XOR of every byte before it. An
// answer that begins with 02 completes a step.
#pragma once

#include <cstddef>
#include <vector>

#include <tavric/protocol_descriptor.h>
#include <tavric/types.h>

enum ELpbFrame : tvr::BYTE {
  LPB_STEP = 0x02,
  LPB_NAK = 0x15,
  LPB_TEST_GIE = 0x47,  // 'G'
  LPB_TEST_EMV = 0x45,  // 'E'
};

enum ELpbError : tvr::BYTE {
  LPB_ERR_CHECKSUM = 0x01,
  LPB_ERR_LENGTH = 0x02,
};

class CTVRLpbFrame {
 public:
  static constexpr tvr::DWORD HEADER_LENGTH = 2;  // 02 LEN, then K
  static constexpr tvr::DWORD MAX_DATA_LENGTH = 255;

  static tvr::BYTE Lrc(const tvr::BYTE* bytes, std::size_t count);
  // The frame's length, 0 when the data do not fit; written only when out is
  // given and capacity holds all of it.
  static tvr::DWORD Build(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE k, const tvr::BYTE* data, tvr::DWORD count);
  static std::vector<tvr::BYTE> Make(tvr::BYTE k, const std::vector<tvr::BYTE>& data);
  static std::vector<tvr::BYTE> Nak(tvr::BYTE k, tvr::BYTE code);
  // Steps and refusals in a byte stream: 02 or 15, LEN, the LRC.
  static const CTVRFrameGeometry& GetGeometry();
  // 0 for a well-formed step, otherwise the error the reader answers.
  static tvr::BYTE Check(const tvr::BYTE* frame, std::size_t length);
};
