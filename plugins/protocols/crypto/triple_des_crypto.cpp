#include "triple_des_crypto.h"

#include <cstring>
#include <vector>

#include <tavric/messages.h>
#include <tavric/prompts.h>
#include <tavric/trace_record.h>

namespace {

constexpr tvr::BYTE INS_EXTERNAL_AUTHENTICATE = 0x82;
constexpr char NO_KEY[] = "no deciphering key";
constexpr char NOT_BLOCKS[] = " bytes, not whole blocks of 8";
constexpr char SETTINGS_LATER[] =
    "Triple-DES cyphering: the keys come from the document's settings and from the .3des( directive.";

}  // namespace

CTVRTripleDesCrypto::CTVRTripleDesCrypto() {
  m_strName = "Triple-DES cyphering";
}

void CTVRTripleDesCrypto::OnCryptoShow() {
  TVRMessageBox(SETTINGS_LATER);
}

void CTVRTripleDesCrypto::Comment(const std::string& text) {
  const std::string line = text + "\r\n";
  SendMessage(GetActiveBoard(), WM_RECV_COMMENTS, tvr::WPARAM(line.c_str()), TRACE_COMMENT);
}

void CTVRTripleDesCrypto::ReceivedData(tvr::BYTE* data, tvr::DWORD length) {
  if (!m_bActivated || !data || length == 0) return;
  CTVRTripleDes::Bytes key;
  if (!CTVRTripleDes::ParseKey(m_strKeys[3], key) && !CTVRTripleDes::ParseKey(m_strKeys[1], key)) {
    Comment(std::string(DECIPHERED) + NO_KEY);
    return;
  }
  if (length % CTVRTripleDes::BLOCK != 0) {
    Comment(std::string(DECIPHERED) + std::to_string(length) + NOT_BLOCKS);
    return;
  }
  CTVRTripleDes::Bytes plain;
  if (!CTVRTripleDes::Decipher(key, data, length, m_Icv, plain)) return;
  std::memcpy(m_Icv, data + length - CTVRTripleDes::BLOCK, CTVRTripleDes::BLOCK);
  Comment(std::string(DECIPHERED) + CTVRTripleDes::ToHex(plain.data(), plain.size(), " "));
}

void CTVRTripleDesCrypto::ResetCrypto() {
  std::memset(m_Icv, 0, sizeof m_Icv);
}

void CTVRTripleDesCrypto::Set3desParameters(tvr::BYTE, tvr::BYTE challengeLength, tvr::BYTE authenticateLength,
                                            tvr::BYTE* key) {
  m_byChallengeLength = challengeLength;
  m_byAuthenticateLength = authenticateLength;
  // The directive always gives 16 key bytes.
  if (key) m_strKeys[2] = CTVRTripleDes::ToHex(key, 16);
}

void CTVRTripleDesCrypto::TripleDes(tvr::BYTE* data, tvr::DWORD& length) {
  CTVRTripleDes::Bytes key;
  CTVRTripleDes::Bytes cryptogram;
  // Without an authenticate length the cryptogram covers the challenge.
  std::size_t size = m_byAuthenticateLength ? m_byAuthenticateLength : (length ? length : CTVRTripleDes::BLOCK);
  if (!CTVRTripleDes::ParseKey(m_strKeys[2], key) ||
      !CTVRTripleDes::Cryptogram(key, data, data ? length : 0, size, cryptogram)) {
    // No cryptogram without a key; the card then refuses a block of zeros,
    // and the exchange ends as it would with a wrong key.
    cryptogram.assign(size, 0);
  }
  std::vector<tvr::BYTE> command{EXCHANGE_APDU, 0x00, INS_EXTERNAL_AUTHENTICATE, 0x00, 0x00, tvr::BYTE(size)};
  command.insert(command.end(), cryptogram.begin(), cryptogram.end());
  const tvr::HWND board = GetActiveBoard();
  SendMessage(board, WM_COMMAND_TYPE, 1, 0);
  SendMessage(board, WM_SEND_COMMAND, tvr::WPARAM(command.data()), tvr::LPARAM(command.size()));
}
