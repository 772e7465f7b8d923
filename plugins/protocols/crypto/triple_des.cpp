#include "triple_des.h"

#include <algorithm>
#include <memory>

#include <openssl/evp.h>

#include <tavric/hex_text.h>

namespace {

// The 24-byte key of three-key EDE that each accepted key size stands for.
bool FullKey(const CTVRTripleDes::Bytes& key, tvr::BYTE out[24]) {
  const std::size_t size = key.size();
  if (size != 8 && size != 16 && size != 24) return false;
  for (std::size_t i = 0; i < 24; ++i) out[i] = key[i % size];
  return true;
}

bool Run(bool encipher, const CTVRTripleDes::Bytes& key, const tvr::BYTE* data, std::size_t count, const tvr::BYTE* icv,
         CTVRTripleDes::Bytes& out) {
  out.clear();
  tvr::BYTE full[24];
  if (!FullKey(key, full) || count % CTVRTripleDes::BLOCK != 0 || (count && !data) || !icv) return false;
  if (count == 0) return true;
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
  if (!ctx || EVP_CipherInit_ex(ctx.get(), EVP_des_ede3_cbc(), nullptr, full, icv, encipher ? 1 : 0) != 1 ||
      EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1)
    return false;
  out.resize(count + CTVRTripleDes::BLOCK);
  int written = 0, last = 0;
  if (EVP_CipherUpdate(ctx.get(), out.data(), &written, data, int(count)) != 1 ||
      EVP_CipherFinal_ex(ctx.get(), out.data() + written, &last) != 1) {
    out.clear();
    return false;
  }
  out.resize(std::size_t(written) + std::size_t(last));
  return true;
}

}  // namespace

bool CTVRTripleDes::ParseKey(const std::string& text, Bytes& key) {
  key.clear();
  std::string digits = text;
  std::erase_if(digits, [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
  const bool valid = CTVRHexText::ReadBytes(digits, key) && (key.size() == 8 || key.size() == 16 || key.size() == 24);
  if (!valid) key.clear();
  return valid;
}

bool CTVRTripleDes::Encipher(const Bytes& key, const tvr::BYTE* data, std::size_t count, const tvr::BYTE* icv,
                             Bytes& out) {
  return Run(true, key, data, count, icv, out);
}

bool CTVRTripleDes::Decipher(const Bytes& key, const tvr::BYTE* data, std::size_t count, const tvr::BYTE* icv,
                             Bytes& out) {
  return Run(false, key, data, count, icv, out);
}

bool CTVRTripleDes::Cryptogram(const Bytes& key, const tvr::BYTE* challenge, std::size_t challengeCount,
                               std::size_t length, Bytes& out) {
  out.clear();
  if (length == 0 || (challengeCount && !challenge)) return false;
  std::size_t blocks = (std::max(length, challengeCount) + BLOCK - 1) / BLOCK;
  Bytes input(blocks * BLOCK, 0);
  for (std::size_t i = 0; i < challengeCount; ++i) input[i] = challenge[i];
  const tvr::BYTE zero[BLOCK] = {};
  if (!Encipher(key, input.data(), input.size(), zero, out)) return false;
  out.resize(length);
  return true;
}
