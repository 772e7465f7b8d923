// An answer as the expectations read it, written in a test: its bytes,
// whether its layout ends it with a status word, and its round-trip time.
#pragma once

#include <vector>

#include "decode/answer_seen.h"

namespace tvr_test {

inline CTVRAnswerSeen AnswerSeen(const std::vector<tvr::BYTE>& bytes, bool statusWord = false, double ms = 10) {
  CTVRAnswerSeen a;
  a.Take(bytes.data(), tvr::DWORD(bytes.size()), 0, false, statusWord, ms);
  return a;
}

}  // namespace tvr_test
