// Triple DES on OpenSSL's libcrypto, and the authentication cryptogram that
// the cyphering plug-in and the simulated card both compute. Shared by the
// two, so that they agree by construction on everything but the key.
//
// Keys: 16 bytes K1 K2 (two-key, EDE with K1 again as the third key), 24
// bytes K1 K2 K3, or 8 bytes K (single DES, run as K K K).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <tavric/types.h>

class CTVRTripleDes {
 public:
  using Bytes = std::vector<tvr::BYTE>;
  static constexpr std::size_t BLOCK = 8;

  // A key given as hex text: 16, 32 or 48 hex digits, white space ignored.
  // FALSE for anything else.
  static bool ParseKey(const std::string& text, Bytes& key);

  // CBC over whole blocks, starting from `icv` (8 bytes). FALSE for a key of
  // the wrong size or data that are not whole blocks.
  static bool Encipher(const Bytes& key, const tvr::BYTE* data, std::size_t count, const tvr::BYTE* icv, Bytes& out);
  static bool Decipher(const Bytes& key, const tvr::BYTE* data, std::size_t count, const tvr::BYTE* icv, Bytes& out);

  // The cryptogram of EXTERNAL AUTHENTICATE: the challenge, followed by zero
  // bytes up to a whole number of blocks of at least `length` bytes,
  // enciphered in CBC mode from a zero ICV; its first `length` bytes.
  static bool Cryptogram(const Bytes& key, const tvr::BYTE* challenge, std::size_t challengeCount, std::size_t length,
                         Bytes& out);
};
