#include "triple_des_crypto.h"

#include <cstring>
#include <vector>

#include <tavric/crypto_settings.h>
#include <tavric/hex_text.h>
#include <tavric/messages.h>
#include <tavric/trace_record.h>

namespace {

constexpr tvr::BYTE INS_EXTERNAL_AUTHENTICATE = 0x82;
constexpr char NO_KEY[] = "no deciphering key";
constexpr char NOT_BLOCKS[] = " bytes, not whole blocks of 8";
constexpr const char* KEY_LABELS[4] = {
    "Cyphering key :", "Decyphering key :", "Triple-DES cyphering key :", "Triple-DES decyphering key :"};
constexpr char KEY_HINT[] =
    "A key is 16, 32 or 48 hexadecimal digits (DES, two-key or three-key triple DES); spaces are ignored.";
constexpr char ACTIVATED[] = "Decipher the data of answers (with the triple-DES decyphering key)";
constexpr char BAD_KEY[] = " must be empty or 16, 32 or 48 hexadecimal digits.";

}  // namespace

CTVRTripleDesCrypto::CTVRTripleDesCrypto() {
  m_strName = "Triple-DES cyphering";
}

void CTVRTripleDesCrypto::OnCryptoShow() {
  CTVRCryptoSettings settings;
  settings.m_strTitle = m_strName;
  for (std::size_t i = 0; i < 4; ++i) settings.m_Keys.push_back({KEY_LABELS[i], m_strKeys[i]});
  settings.m_strHint = KEY_HINT;
  settings.m_strActivatedText = ACTIVATED;
  settings.m_bActivated = m_bActivated ? TRUE : FALSE;
  settings.m_CheckKey = [](std::size_t key, const std::string& value) -> std::string {
    CTVRTripleDes::Bytes bytes;
    if (value.find_first_not_of(" \t") == std::string::npos || CTVRTripleDes::ParseKey(value, bytes)) return {};
    std::string label = KEY_LABELS[key < 4 ? key : 0];
    return label.substr(0, label.size() - 2) + BAD_KEY;
  };
  if (!TVRShowCryptoSettings(settings)) return;
  for (std::size_t i = 0; i < 4; ++i) m_strKeys[i] = settings.m_Keys[i].m_strValue;
  SetCryptoActivated(settings.m_bActivated);
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
  Comment(std::string(DECIPHERED) + CTVRHexText::BytesText(plain.data(), plain.size(), " "));
}

void CTVRTripleDesCrypto::ResetCrypto() {
  std::memset(m_Icv, 0, sizeof m_Icv);
}

void CTVRTripleDesCrypto::Set3desParameters(tvr::BYTE, tvr::BYTE challengeLength, tvr::BYTE authenticateLength,
                                            tvr::BYTE* key) {
  m_byChallengeLength = challengeLength;
  m_byAuthenticateLength = authenticateLength;
  // The directive always gives 16 key bytes.
  if (key) m_strKeys[2] = CTVRHexText::BytesText(key, 16);
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
