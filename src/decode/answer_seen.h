// The answer of the statement that sent a frame last, as expectations read it:
// the bytes as the trace shows them, the status word that ends its data when
// there is one, whether the answer decoder found an error, and its round-trip
// time. The document keeps one and fills it as each answer is decoded.
#pragma once

#include <cstddef>
#include <vector>

#include <tavric/types.h>

struct CTVRAnswerSeen {
  // The round trip when neither the board nor the host timed the answer.
  static constexpr double NO_ROUND_TRIP = -1;

  bool m_bAnswered = false;  // false: no answer since the statement's frame went out
  std::vector<tvr::BYTE> m_Bytes;
  bool m_bHasStatus = false;  // at least two bytes before the frame's check bytes, no error
  tvr::WORD m_wStatus = 0;
  bool m_bError = false;           // the answer decoder found an error answer
  double m_dRoundTripMs = 0;       // from the frame handed to the board to the answer, or NO_ROUND_TRIP
  std::size_t m_nStatusAt = 0;     // where the status word's first byte is in m_Bytes
  std::size_t m_nCheckLength = 0;  // the frame's check bytes at the end of m_Bytes
};
