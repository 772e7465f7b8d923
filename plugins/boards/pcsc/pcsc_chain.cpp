#include "pcsc_chain.h"

namespace {

constexpr std::size_t HEADER = 4;  // CLA INS P1 P2
constexpr tvr::BYTE SW1_MORE_DATA = 0x61;
constexpr tvr::BYTE SW1_WRONG_LE = 0x6C;

}  // namespace

std::vector<tvr::BYTE> CTVRPcscChain::WithLe(const std::vector<tvr::BYTE>& command, tvr::BYTE le) {
  std::vector<tvr::BYTE> again = command;
  const std::size_t n = command.size();
  if (n == HEADER || (n > HEADER + 1 && command[HEADER] != 0 && n == HEADER + 1 + command[HEADER])) {
    again.push_back(le);  // no Le yet: case 1, or case 3
  } else if (n == HEADER + 1 || (n > HEADER + 1 && command[HEADER] != 0 && n == HEADER + 2 + command[HEADER])) {
    again.back() = le;  // case 2, or case 4
  } else {
    again.clear();
  }
  return again;
}

CTVRPcscChain::EStep CTVRPcscChain::Take(const tvr::BYTE* answer, std::size_t length) {
  const tvr::BYTE sw1 = length >= 2 ? answer[length - 2] : 0;
  const tvr::BYTE sw2 = length >= 2 ? answer[length - 1] : 0;
  if (sw1 == SW1_WRONG_LE && !m_bSentAgain) {
    std::vector<tvr::BYTE> again = WithLe(m_Command, sw2);
    if (!again.empty()) {
      // The command is sent anew: what it answered before is not kept.
      m_bSentAgain = true;
      m_Command = std::move(again);
      return STEP_AGAIN;
    }
  }
  if (sw1 == SW1_MORE_DATA) {
    if (m_uGetResponses == MAX_GET_RESPONSES) {
      m_Answer.insert(m_Answer.end(), answer, answer + length);
      return STEP_TOO_LONG;
    }
    ++m_uGetResponses;
    m_Answer.insert(m_Answer.end(), answer, answer + length - 2);
    m_Command = {m_byClass, INS_GET_RESPONSE, 0x00, 0x00, sw2};
    return STEP_GET_RESPONSE;
  }
  m_Answer.insert(m_Answer.end(), answer, answer + length);
  return STEP_DONE;
}
