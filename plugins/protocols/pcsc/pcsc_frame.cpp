#include "pcsc_frame.h"

#include <algorithm>

std::vector<tvr::BYTE> CTVRPcscFrame::CardAnswer(tvr::BYTE kind, const std::vector<tvr::BYTE>& data) {
  // Sized at once: GCC 12 misreads an insert after a short initializer as an overflow.
  std::vector<tvr::BYTE> answer(2 + data.size());
  answer[0] = PCSC_ANSWER_CARD;
  answer[1] = kind;
  std::copy(data.begin(), data.end(), answer.begin() + 2);
  return answer;
}

std::vector<tvr::BYTE> CTVRPcscFrame::Error(tvr::BYTE code, const std::string& text) {
  std::vector<tvr::BYTE> answer(2 + text.size() + 1, 0);
  answer[0] = PCSC_ANSWER_ERROR;
  answer[1] = code;
  std::copy(text.begin(), text.end(), answer.begin() + 2);
  return answer;
}
