// One statement's response chain, as the board follows it when the
// document's switch is on: a 61xx answer is followed by GET RESPONSE with
// Le = xx and the command's class byte, while the card answers 61xx and at
// most MAX_GET_RESPONSES times; a 6Cxx answer by the same command again with
// Le = xx, once. The statement's answer is the data of every answer in order
// with the last status word.
#pragma once

#include <cstddef>
#include <vector>

#include <tavric/types.h>

class CTVRPcscChain {
 public:
  static constexpr unsigned MAX_GET_RESPONSES = 64;
  static constexpr tvr::BYTE INS_GET_RESPONSE = 0xC0;

  enum EStep {
    STEP_DONE,          // the answer ends the statement
    STEP_GET_RESPONSE,  // 61xx: GET RESPONSE follows
    STEP_AGAIN,         // 6Cxx: the command again with Le = xx
    STEP_TOO_LONG,      // 61xx after the last GET RESPONSE allowed: the chain stops
  };

  explicit CTVRPcscChain(const std::vector<tvr::BYTE>& command) : m_Command(command) {}

  // The card's answer to the last command sent (GetCommand()); the next
  // command is then GetCommand() unless the step is DONE or TOO_LONG.
  EStep Take(const tvr::BYTE* answer, std::size_t length);
  const std::vector<tvr::BYTE>& GetCommand() const { return m_Command; }
  // The data of the answers taken, with the last answer's status word.
  const std::vector<tvr::BYTE>& GetAnswer() const { return m_Answer; }
  // Le = le put into a short command: replaced, or added when it has none.
  // Empty when the command is not a short APDU (an extended one, or malformed).
  static std::vector<tvr::BYTE> WithLe(const std::vector<tvr::BYTE>& command, tvr::BYTE le);

 private:
  std::vector<tvr::BYTE> m_Command;
  std::vector<tvr::BYTE> m_Answer;
  tvr::BYTE m_byClass = m_Command.empty() ? 0 : m_Command[0];
  unsigned m_uGetResponses = 0;
  bool m_bSentAgain = false;
};
