// The answer of the statement that sent a frame last, as expectations read it:
// the bytes as the trace shows them, the status word that ends its data when
// there is one, whether the answer decoder found an error, and its round-trip
// time. The document keeps one and fills it as each answer is decoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include <endian.h>

#include <tavric/types.h>

#include "platform/short_copy.h"

struct CTVRAnswerSeen {
  // The round trip when neither the board nor the host timed the answer.
  static constexpr double NO_ROUND_TRIP = -1;

  // A statement's answer as the trace shows it: `check` bytes of the frame's
  // check end it; `statusWord`: its layout ends APDU answers with a status
  // word (the two bytes before the check bytes, when there is no error).
  void Take(const tvr::BYTE* bytes, tvr::DWORD length, tvr::DWORD check, bool error, bool statusWord, double ms) {
    m_bAnswered = true;
    m_dRoundTripMs = ms;
    SetBytes(bytes, length);
    m_bError = error;
    m_bStatusLayout = statusWord;
    m_nCheckLength = check < length ? check : length;
  }
  // The answer's bytes: a short one (most of them) kept in place, with no
  // allocation and one short copy each.
  void SetBytes(const tvr::BYTE* bytes, std::size_t count) {
    m_nBytes = count;
    if (count <= SHORT_ANSWER)
      tvr_bytes::CopyShort(m_Short, bytes, count);
    else
      m_Long.assign(bytes, bytes + count);
  }
  std::span<const tvr::BYTE> Bytes() const { return {m_nBytes <= SHORT_ANSWER ? m_Short : m_Long.data(), m_nBytes}; }
  // The first HEAD_BYTES bytes in one word, the first in the low byte; what
  // lies past the answer's end there is any value (a pattern's mask is 0 there).
  static constexpr std::size_t HEAD_BYTES = 8;
  std::uint64_t Head() const {
    std::uint64_t head = 0;
    std::memcpy(&head, Bytes().data(), HEAD_BYTES);
    return le64toh(head);
  }

  // The status word: the two bytes before the frame's check bytes, in a
  // layout that has one, when there are two and no error.
  bool HasStatus() const { return m_bStatusLayout && !m_bError && m_nBytes >= m_nCheckLength + 2; }
  std::size_t StatusAt() const { return HasStatus() ? m_nBytes - m_nCheckLength - 2 : 0; }
  tvr::WORD Status() const {
    if (!HasStatus()) return 0;
    const tvr::BYTE* const at = Bytes().data() + StatusAt();
    return tvr::WORD(at[0] << 8 | at[1]);
  }

  bool m_bAnswered = false;        // false: no answer since the statement's frame went out
  bool m_bError = false;           // the answer decoder found an error answer
  bool m_bStatusLayout = false;    // the answer's layout ends APDU answers with a status word
  double m_dRoundTripMs = 0;       // from the frame handed to the board to the answer, or NO_ROUND_TRIP
  std::size_t m_nCheckLength = 0;  // the frame's check bytes at the end of the bytes

 private:
  static constexpr std::size_t SHORT_ANSWER = 64;
  static_assert(SHORT_ANSWER >= HEAD_BYTES, "Head reads the first bytes in place");
  std::size_t m_nBytes = 0;
  tvr::BYTE m_Short[SHORT_ANSWER] = {};
  std::vector<tvr::BYTE> m_Long;
};
