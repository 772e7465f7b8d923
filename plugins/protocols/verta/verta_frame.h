// The Verta host link: frame layout, opcodes and error codes, shared by the
// protocol (which frames the host's commands) and the simulated reader's
// firmware (which checks them and frames its answers).
//
//   byte 0      frame type: 0x40 command, 0x60 answer, 0xE0 error answer
//   bytes 1-2   LEN, big-endian: number of opcode and data bytes
//   byte 3      opcode (an answer echoes the opcode of its command)
//   bytes 4..   data, LEN - 1 bytes (an error answer: the error code)
//   last byte   LRC: XOR of every byte before it
//
// A frame is at most 512 bytes long, so it carries at most 507 data bytes.
#pragma once

#include <cstddef>
#include <vector>

#include <tavric/protocol_descriptor.h>
#include <tavric/types.h>

enum EVertaFrameType : tvr::BYTE {
  VERTA_FRAME_COMMAND = 0x40,
  VERTA_FRAME_ANSWER = 0x60,
  VERTA_FRAME_ERROR = 0xE0,
};

enum EVertaOpcode : tvr::BYTE {
  VERTA_OP_EXCHANGE_APDU = 0x00,
  VERTA_OP_RESET_CARD = 0x10,
  VERTA_OP_POWER_OFF = 0x11,
  VERTA_OP_CARD_STATUS = 0x12,
  VERTA_OP_SET_SLOT_PARAMETER = 0x13,
  VERTA_OP_GET_SLOT_PARAMETER = 0x14,
  VERTA_OP_SELECT_CARD = 0x20,
  VERTA_OP_GET_FIRMWARE = 0x30,
  VERTA_OP_READER_INFO = 0x31,
  VERTA_OP_LOOPBACK = 0x40,
  VERTA_OP_READ_REGISTER = 0x50,
  VERTA_OP_WRITE_REGISTER = 0x51,
  VERTA_OP_CARD_EVENT = 0xA0,  // unsolicited, reader to host only
  VERTA_OP_NONE = 0xFF,        // echoed when the failed frame was too short to hold an opcode
};

enum EVertaError : tvr::BYTE {
  VERTA_ERR_CHECKSUM = 0x01,
  VERTA_ERR_FRAME_LENGTH = 0x02,
  VERTA_ERR_FRAME_TYPE = 0x03,
  VERTA_ERR_UNKNOWN_COMMAND = 0x04,
  VERTA_ERR_DATA_LENGTH = 0x05,
  VERTA_ERR_PARAMETER = 0x06,
  VERTA_ERR_CARD_NUMBER = 0x10,
  VERTA_ERR_NO_CARD = 0x11,
  VERTA_ERR_CARD_NOT_POWERED = 0x12,
  VERTA_ERR_CARD_MUTE = 0x13,
  VERTA_ERR_UNKNOWN_REGISTER = 0x20,
  VERTA_ERR_READ_ONLY_REGISTER = 0x21,
};

// Sub-functions of SET/GET SLOT PARAMETER (first data byte).
enum EVertaSlotParameter : tvr::BYTE {
  VERTA_PARAM_CLOCK = 0x01,     // card clock in MHz, 1 to 20
  VERTA_PARAM_VOLTAGE = 0x02,   // 1 = 5 V, 2 = 3 V, 3 = 1.8 V
  VERTA_PARAM_PROTOCOL = 0x03,  // 0 = T=0, 1 = T=1
  VERTA_PARAM_FIDI = 0x04,      // TA1-style Fi/Di byte, any value
};

// Sub-functions of READER INFO (first data byte).
enum EVertaReaderInfo : tvr::BYTE {
  VERTA_INFO_SERIAL = 0x00,
  VERTA_INFO_SLOT_COUNT = 0x01,
  VERTA_INFO_MAX_FRAME = 0x02,
};

class CTVRVertaFrame {
 public:
  static constexpr tvr::DWORD HEADER_LENGTH = 3;
  static constexpr tvr::DWORD OPCODE_LENGTH = 1;
  static constexpr tvr::DWORD LRC_LENGTH = 1;
  static constexpr tvr::DWORD OVERHEAD = HEADER_LENGTH + OPCODE_LENGTH + LRC_LENGTH;
  static constexpr tvr::DWORD MAX_FRAME_LENGTH = 512;
  static constexpr tvr::DWORD MAX_DATA_LENGTH = MAX_FRAME_LENGTH - OVERHEAD;

  static tvr::BYTE Lrc(const tvr::BYTE* bytes, std::size_t count);
  // Frames of either direction in a byte stream: a frame type, LEN, the LRC.
  static const CTVRFrameGeometry& GetGeometry();

  // Returns the frame length, or 0 when the data do not fit in a frame. The
  // frame is written only when out is given and capacity holds all of it.
  static tvr::DWORD Build(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE type, tvr::BYTE opcode, const tvr::BYTE* data,
                          tvr::DWORD count);
  // The same into a new buffer; empty when the data do not fit.
  static std::vector<tvr::BYTE> Make(tvr::BYTE type, tvr::BYTE opcode, const tvr::BYTE* data, std::size_t count);
  static std::vector<tvr::BYTE> Make(tvr::BYTE type, tvr::BYTE opcode, const std::vector<tvr::BYTE>& data) {
    return Make(type, opcode, data.data(), data.size());
  }
};
