// The answers of a reader reached through PC/SC, as the host reads them:
//
//   60 00 <response data> SW1 SW2   a card result
//   60 0A <mask text>               the reader's mask (a vendor command)
//   60 6E <answer to reset>         the card was powered up
//   E1 <code> <text> 00             a reader-side error, with its own text
//   E0 00                           done, nothing to show
//
// The first byte is the answer type, the second the kind of a card answer
// (the host's header length is 1, its opcode length 1); the trace shows an
// answer without these two bytes. Commands are the card's APDUs, sent as they
// are, and the reader's own pseudo-APDUs of class FF.
#pragma once

#include <string>
#include <vector>

#include <tavric/types.h>

enum EPcscAnswerType : tvr::BYTE {
  PCSC_ANSWER_CARD = 0x60,
  PCSC_ANSWER_EMPTY = 0xE0,
  PCSC_ANSWER_ERROR = 0xE1,
};

enum EPcscAnswerKind : tvr::BYTE {
  PCSC_KIND_CARD_RESULT = 0x00,
  PCSC_KIND_MASK = 0x0A,
  PCSC_KIND_ATR = 0x6E,
};

// The reader's pseudo-APDUs: FF <instruction> 00 00.
enum EPcscReaderInstruction : tvr::BYTE {
  PCSC_CLASS_READER = 0xFF,
  PCSC_INS_GET_MASK = 0x0A,
  PCSC_INS_POWER_UP = 0x10,
  PCSC_INS_POWER_DOWN = 0x11,
};

// Reader-side errors: the low byte of the PC/SC result code (pcscerr.txt).
enum EPcscError : tvr::BYTE {
  PCSC_ERR_NO_SMARTCARD = 0x0C,
  PCSC_ERR_UNRESPONSIVE_CARD = 0x66,
  PCSC_ERR_UNPOWERED_CARD = 0x67,
  PCSC_ERR_COMM = 0x13,
};

class CTVRPcscFrame {
 public:
  static constexpr tvr::DWORD HEADER_LENGTH = 1;
  static constexpr tvr::DWORD KIND_LENGTH = 1;
  static constexpr tvr::DWORD MAX_ANSWER_LENGTH = 512;

  static std::vector<tvr::BYTE> CardAnswer(tvr::BYTE kind, const std::vector<tvr::BYTE>& data);
  static std::vector<tvr::BYTE> Error(tvr::BYTE code, const std::string& text);
  static std::vector<tvr::BYTE> Empty() { return {PCSC_ANSWER_EMPTY, 0x00}; }
};
