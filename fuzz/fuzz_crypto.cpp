// The cyphering object fed as the answer decoder feeds it: answer data of any
// length and content, error answers between them, challenges of any length.
// Input: one byte choosing the keys, then records of one length byte and that
// many bytes; a length of 0xFF is an error answer (ResetCrypto).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "triple_des_crypto.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvr_fuzz::InitOnce();
  if (size == 0) return 0;
  CTVRTripleDesCrypto crypto;
  crypto.SetCryptoActivated(1);
  const uint8_t choice = data[0];
  // Valid keys of each size, and text that is no key.
  const char* keys[] = {"00112233445566778899AABBCCDDEEFF", "0123456789ABCDEF",
                        "0123456789ABCDEF23456789ABCDEF01456789ABCDEF0123", "not a key", ""};
  crypto.Set3DecypheringKey(keys[choice % 5]);
  crypto.SetDecypheringKey(keys[(choice / 5) % 5]);
  crypto.Set3CypheringKey(keys[(choice / 25) % 5]);
  std::size_t p = 1;
  while (p < size) {
    const std::size_t length = data[p++];
    if (length == 0xFF) {
      crypto.ResetCrypto();
      continue;
    }
    const std::size_t count = length < size - p ? length : size - p;
    // An exact copy, so that a read past the answer is caught.
    std::vector<tvr::BYTE> answer(data + p, data + p + count);
    crypto.ReceivedData(answer.empty() ? nullptr : answer.data(), tvr::DWORD(answer.size()));
    if (choice & 0x80) {
      crypto.Set3desParameters(0, tvr::BYTE(count), tvr::BYTE(length), nullptr);
      tvr::DWORD challengeLength = tvr::DWORD(answer.size());
      answer.push_back(0);  // the host's challenge buffer ends with a zero
      crypto.TripleDes(answer.data(), challengeLength);
    }
    p += count;
  }
  return 0;
}
