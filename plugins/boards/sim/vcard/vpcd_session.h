// One card's side of the virtual reader driver's socket (vpcd): the driver
// sends messages of a 2-byte big-endian length and that many bytes; a single
// byte is a control (power off, power on, reset, get the answer to reset),
// anything longer a command APDU. The card answers the answer-to-reset request
// and every APDU with a message of the same shape; controls that change power
// get no answer.
//
// Two ways of answering, off at first, that real cards have: chained answers
// (SetChunk: a T=0 card's 61xx, the data then taken with GET RESPONSE at most
// a chunk at a time) and extended lengths (SetExtended).
//
// A rule file (vcard_rules.h) picks faults per APDU: chains and 6Cxx shape
// the answer here; a delay, a removal or a broken connection is a cue the
// socket's side takes (TakeCue) after Feed.
//
// The session is plain code over a byte stream, so that the socket, the tests
// and the fuzzer feed it alike: bytes in any cut, answers out.
#pragma once

#include <cstddef>
#include <vector>

#include <tavric/types.h>

#include "vcard_rules.h"

class CTVRSimCard;

class CTVRVpcdSession {
 public:
  enum EControl : tvr::BYTE {
    CONTROL_POWER_OFF = 0,
    CONTROL_POWER_ON = 1,
    CONTROL_RESET = 2,
    CONTROL_GET_ATR = 4,
  };
  // The longest short APDU: header, Lc, 255 data bytes, Le. Without extended
  // lengths a longer message is read to its end (the stream stays in step)
  // and answered "wrong length", and so is any extended APDU.
  static constexpr std::size_t MAX_APDU_LENGTH = 261;
  // The longest answer a message carries: its length field counts 65,535
  // bytes, the status word among them.
  static constexpr std::size_t MAX_EXTENDED_DATA = 0xFFFF - 2;

  // What the socket's side does after the answers of a Feed: wait before
  // writing them, or close the connection once they are written (a removal
  // writes nothing; a drop, the first half of an answer).
  struct CCue {
    enum EKind : unsigned char { CUE_NONE, CUE_DELAY, CUE_REMOVE, CUE_DROP };
    EKind m_eKind = CUE_NONE;
    unsigned m_uMs = 0;    // the delay; the time out of the reader for a removal
    bool m_bBack = false;  // a removal: the card comes back after m_uMs
  };

  explicit CTVRVpcdSession(CTVRSimCard& card) : m_Card(card) {}

  // The rules that choose faults per APDU (not owned; null: none).
  void SetRules(const CTVRVcardRules* pRules) { m_pRules = pRules; }
  // The cue of the last Feed, cleared. A removal or a drop ends the Feed at
  // its APDU: what follows it is never read.
  CCue TakeCue() {
    const CCue cue = m_Cue;
    m_Cue = CCue();
    return cue;
  }

  // A chunk of n (1 to 256; 0: off): an answer with data is announced as
  // 61xx, and each GET RESPONSE (INS C0) takes at most Le and n bytes of it,
  // ending with 61xx while more is left, with the card's status word after
  // the last. Any other command drops what was left.
  void SetChunk(std::size_t n) { m_nChunk = n > 256 ? 256 : n; }
  // Extended APDUs are answered: a case 2 one with Le bytes counting up from
  // 00 (at most MAX_EXTENDED_DATA), one with data with its data echoed; both
  // end 90 00. Commands up to 65,535 bytes are read.
  void SetExtended(bool on) { m_bExtended = on; }

  // Takes the next bytes from the driver, whatever the cut, and appends the
  // answers (length and bytes) to out. Returns the number of APDUs answered.
  std::size_t Feed(const tvr::BYTE* data, std::size_t length, std::vector<tvr::BYTE>& out);

  // A message has begun and not ended: the driver went away in its middle.
  bool IsInsideMessage() const { return m_nHave > 0 || m_nExpected > 0 || m_bDiscarding; }
  std::size_t GetApduCount() const { return m_nApdus; }
  std::size_t GetIgnoredCount() const { return m_nIgnored; }
  bool IsPowered() const { return m_bPowered; }

 private:
  void OnMessage(const tvr::BYTE* message, std::size_t length, std::vector<tvr::BYTE>& out);
  std::vector<tvr::BYTE> Respond(const tvr::BYTE* apdu, std::size_t length, const CTVRVcardRules::CRule* pRule);
  std::vector<tvr::BYTE> ExtendedAnswer(const tvr::BYTE* apdu, std::size_t length) const;
  std::vector<tvr::BYTE> NextChunk(std::size_t le);
  // 61xx for what is left of the pending answer's data.
  std::vector<tvr::BYTE> MoreData() const;
  static void Answer(const std::vector<tvr::BYTE>& bytes, std::vector<tvr::BYTE>& out);

  CTVRSimCard& m_Card;
  tvr::BYTE m_Length[2] = {0, 0};
  std::size_t m_nHave = 0;      // bytes of the current length field or message
  std::size_t m_nExpected = 0;  // length of the message being read, 0 while reading a length
  bool m_bDiscarding = false;   // reading an oversized message to its end
  std::vector<tvr::BYTE> m_Message;
  std::size_t m_nApdus = 0;
  std::size_t m_nIgnored = 0;
  bool m_bPowered = false;
  std::size_t m_nChunk = 0;
  bool m_bExtended = false;
  std::vector<tvr::BYTE> m_Pending;  // data not yet taken, then the status word
  std::size_t m_nPendingChunk = 0;   // what each GET RESPONSE takes of it
  const CTVRVcardRules* m_pRules = nullptr;
  CCue m_Cue;
};
