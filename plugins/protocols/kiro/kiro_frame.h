// "kiro" frames, in both directions:
//
//   00 00 FF LEN LCS TFI CMD data... DCS 00                 LEN up to 254
//   00 00 FF FF FF LENM LENL LCS TFI CMD data... DCS 00     extended, LEN up to 512
//
// LEN counts TFI, CMD and the data; LCS makes the length bytes add up to 0
// (modulo 256), DCS does the same for TFI, CMD and the data. TFI is D4 from
// the host and D5 from the reader, whose CMD is the command's plus one. A
// reader that cannot read a frame answers the error frame 00 00 FF 01 FF 7F 81 00.
#pragma once

#include <cstddef>
#include <vector>

#include <tavric/protocol_descriptor.h>
#include <tavric/types.h>

enum EKiroFrame : tvr::BYTE {
  KIRO_TFI_HOST = 0xD4,
  KIRO_TFI_READER = 0xD5,
  KIRO_ERROR = 0x7F,
};

enum EKiroCommand : tvr::BYTE {
  KIRO_CMD_DIAGNOSE = 0x00,     // data echoed
  KIRO_CMD_GET_RELEASE = 0x02,  // answer: major, minor
  KIRO_CMD_READ_REGISTER = 0x06,
  KIRO_CMD_WRITE_REGISTER = 0x08,
  KIRO_CMD_EXCHANGE_APDU = 0x40,  // card, APDU; answer: status, response
  KIRO_CMD_ACTIVATE_CARD = 0x4A,  // card; answer: status, answer to reset
  KIRO_CMD_RELEASE_CARD = 0x52,   // card; answer: status
};

// First data byte of the answers to the card commands.
enum EKiroStatus : tvr::BYTE {
  KIRO_STATUS_OK = 0x00,
  KIRO_STATUS_NO_CARD = 0x01,
  KIRO_STATUS_CARD_MUTE = 0x02,
  KIRO_STATUS_NOT_ACTIVATED = 0x03,
  KIRO_STATUS_WRONG_CARD = 0x04,
};

class CTVRKiroFrame {
 public:
  static constexpr tvr::DWORD MAX_STANDARD_LEN = 254;
  static constexpr tvr::DWORD MAX_STANDARD_FRAME = MAX_STANDARD_LEN + 7;
  static constexpr tvr::DWORD MAX_LEN = 512;

  // The frame's length, 0 when the data do not fit; written only when out is
  // given and capacity holds all of it.
  static tvr::DWORD Build(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE tfi, tvr::BYTE cmd, const tvr::BYTE* data,
                          tvr::DWORD count);
  static std::vector<tvr::BYTE> Make(tvr::BYTE tfi, tvr::BYTE cmd, const std::vector<tvr::BYTE>& data);
  static std::vector<tvr::BYTE> ErrorFrame() { return {0x00, 0x00, 0xFF, 0x01, 0xFF, KIRO_ERROR, 0x81, 0x00}; }

  // Frames of either direction in a byte stream: the 00 00 FF start, LEN
  // with its LCS (the extended form too), DCS and the closing 00.
  static const CTVRFrameGeometry& GetGeometry();

  // Reads a whole frame: its TFI, CMD and data. False for anything that is
  // not exactly one well-formed frame.
  static bool Parse(const tvr::BYTE* frame, std::size_t length, tvr::BYTE& tfi, tvr::BYTE& cmd,
                    std::vector<tvr::BYTE>& data);
};
