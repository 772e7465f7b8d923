// An expectation directive as a script line gives it (any bytes), read as the
// interpreter reads it, then checked against an answer made of the rest of
// the input, and both described as a mismatch record describes them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "decode/expectation.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvr_fuzz::CInput input(data, size);
  const uint8_t flags = input.Byte();
  const std::string directive = input.Take(input.Byte());

  ETVRMismatchAction action = MISMATCH_CONTINUE;
  (void)CTVRExpectation::ParseMismatchAction(directive, action);

  CTVRExpectation expectation;
  if (!CTVRExpectation::Parse(directive, expectation).empty()) return 0;
  CTVRAnswerSeen answer;
  const tvr::DWORD check = input.Byte() % 4;
  const double ms = (flags & 8) != 0 ? CTVRAnswerSeen::NO_ROUND_TRIP : double(input.Byte()) * 0.5;
  const std::string bytes = input.Rest();
  answer.Take(reinterpret_cast<const tvr::BYTE*>(bytes.data()), tvr::DWORD(bytes.size()), check, (flags & 2) != 0,
              (flags & 4) != 0, ms);
  answer.m_bAnswered = (flags & 1) != 0;
  (void)expectation.IsMetBy(answer);
  for (std::size_t i = 0; i <= answer.Bytes().size(); ++i) (void)expectation.OpenBits(i, answer);
  (void)expectation.Expected();
  (void)expectation.Received(answer);
  return 0;
}
