// CCID messages (USB smart-card reader class) as the host and the simulated
// reader exchange them. Every message has a 10-byte header, then its data:
//
//   byte 0     bMessageType   PC_to_RDR (host to reader) or RDR_to_PC
//   bytes 1-4  dwLength       number of data bytes, little-endian
//   byte 5     bSlot          0 for the first card slot
//   byte 6     bSeq           sequence number, echoed by the answer
//   bytes 7-9  PC_to_RDR: message-specific parameters (0 here)
//              RDR_to_PC: bStatus, bError, then a message-specific byte
//   bytes 10.. abData
//
// bStatus: bits 0-1 the card (0 present and active, 1 present and inactive,
// 2 absent), bits 6-7 the command (0 processed, 1 failed with bError, 2 time
// extension requested: the final answer is still to come).
// RDR_to_PC_NotifySlotChange (50) comes unasked, two bits per slot (bit 0
// present, bit 1 changed), on the interrupt pipe of a real reader.
#pragma once

#include <cstddef>
#include <vector>

#include <tavric/protocol_descriptor.h>
#include <tavric/types.h>

enum ECcidMessageType : tvr::BYTE {
  CCID_PC_TO_RDR_SET_PARAMETERS = 0x61,
  CCID_PC_TO_RDR_ICC_POWER_ON = 0x62,
  CCID_PC_TO_RDR_ICC_POWER_OFF = 0x63,
  CCID_PC_TO_RDR_GET_SLOT_STATUS = 0x65,
  CCID_PC_TO_RDR_ESCAPE = 0x6B,
  CCID_PC_TO_RDR_GET_PARAMETERS = 0x6C,
  CCID_PC_TO_RDR_XFR_BLOCK = 0x6F,
  CCID_RDR_TO_PC_NOTIFY_SLOT_CHANGE = 0x50,
  CCID_RDR_TO_PC_DATA_BLOCK = 0x80,
  CCID_RDR_TO_PC_SLOT_STATUS = 0x81,
  CCID_RDR_TO_PC_PARAMETERS = 0x82,
  CCID_RDR_TO_PC_ESCAPE = 0x83,
};

enum ECcidStatus : tvr::BYTE {
  CCID_ICC_ACTIVE = 0x00,
  CCID_ICC_INACTIVE = 0x01,
  CCID_ICC_ABSENT = 0x02,
  CCID_COMMAND_FAILED = 0x40,
  CCID_TIME_EXTENSION = 0x80,
};

enum ECcidError : tvr::BYTE {
  CCID_ERR_CMD_NOT_SUPPORTED = 0x00,
  CCID_ERR_BAD_LENGTH = 0x01,  // the index of dwLength: a bad parameter
  CCID_ERR_BAD_SLOT = 0x05,    // the index of bSlot
  CCID_ERR_HW_ERROR = 0xFB,
  CCID_ERR_ICC_MUTE = 0xFE,
};

class CTVRCcidFrame {
 public:
  static constexpr tvr::DWORD HEADER_LENGTH = 10;
  static constexpr std::size_t STATUS = 7;
  static constexpr std::size_t ERROR = 8;
  // A host message carries at most this many data bytes.
  static constexpr tvr::DWORD MAX_DATA_LENGTH = 271;

  // Returns the message length, or 0 when the data do not fit; writes only
  // when out is given and capacity holds all of it.
  static tvr::DWORD Build(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE type, tvr::BYTE slot, tvr::BYTE seq,
                          const tvr::BYTE params[3], const tvr::BYTE* data, tvr::DWORD count);
  static std::vector<tvr::BYTE> Make(tvr::BYTE type, tvr::BYTE slot, tvr::BYTE seq, tvr::BYTE status, tvr::BYTE error,
                                     tvr::BYTE specific, const std::vector<tvr::BYTE>& data);
  // Messages of either direction in a byte stream: a known message type and
  // dwLength. NotifySlotChange is its type and two bytes of slot bits. CCID
  // has no checksum: only a type or a length out of range shows a garble.
  static const CTVRFrameGeometry& GetGeometry();
  // The longest data a message in a byte stream may announce.
  static constexpr tvr::DWORD MAX_STREAM_DATA_LENGTH = 65538;
  // dwLength of a message of at least HEADER_LENGTH bytes.
  static tvr::DWORD DataLength(const tvr::BYTE* message);
};
