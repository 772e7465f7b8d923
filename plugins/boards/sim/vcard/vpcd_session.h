// One card's side of the virtual reader driver's socket (vpcd): the driver
// sends messages of a 2-byte big-endian length and that many bytes; a single
// byte is a control (power off, power on, reset, get the answer to reset),
// anything longer a command APDU. The card answers the answer-to-reset request
// and every APDU with a message of the same shape; controls that change power
// get no answer.
//
// The session is plain code over a byte stream, so that the socket, the tests
// and the fuzzer feed it alike: bytes in any cut, answers out.
#pragma once

#include <cstddef>
#include <vector>

#include <tavric/types.h>

class CTVRSimCard;

class CTVRVpcdSession {
 public:
  enum EControl : tvr::BYTE {
    CONTROL_POWER_OFF = 0,
    CONTROL_POWER_ON = 1,
    CONTROL_RESET = 2,
    CONTROL_GET_ATR = 4,
  };
  // The longest short APDU: header, Lc, 255 data bytes, Le. The card knows no
  // extended lengths, so a longer message is read to its end (the stream
  // stays in step) and answered "wrong length".
  static constexpr std::size_t MAX_APDU_LENGTH = 261;

  explicit CTVRVpcdSession(CTVRSimCard& card) : m_Card(card) {}

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
};
