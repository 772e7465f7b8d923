// The cyphering object: the triple-DES authentication of the ".3des(" directive
// and, while activated, the deciphering of answer data into the trace.
//
// Keys are kept as the hex text they were given in (see triple_des.h for the
// sizes): the cyphering key and the decyphering key (keys 1 and 2), and the
// triple-DES keys (3 and 4). The directive's key becomes key 3; answer data
// are deciphered with key 4, or with key 2 when key 4 is not a valid key.
#pragma once

#include <string>

#include <tavric/crypto.h>

#include "triple_des.h"

class CTVRTripleDesCrypto : public CTVRCrypto {
 public:
  // The command byte of the reader's APDU exchange, as the challenge request
  // of the directive uses it: the cyphered command goes out the same way.
  static constexpr tvr::BYTE EXCHANGE_APDU = 0x00;
  static constexpr const char* DECIPHERED = "DECIPHERED DATA : ";

  CTVRTripleDesCrypto();

  void OnCryptoShow() override;
  int GetCryptoActivated() override { return m_bActivated; }
  void ReceivedData(tvr::BYTE* data, tvr::DWORD length) override;
  void ResetCrypto() override;
  void SetCypheringKey(const std::string& key) override { m_strKeys[0] = key; }
  void SetDecypheringKey(const std::string& key) override { m_strKeys[1] = key; }
  void Set3CypheringKey(const std::string& key) override { m_strKeys[2] = key; }
  void Set3DecypheringKey(const std::string& key) override { m_strKeys[3] = key; }
  std::string GetCypheringKey() override { return m_strKeys[0]; }
  std::string GetDecypheringKey() override { return m_strKeys[1]; }
  std::string Get3CypheringKey() override { return m_strKeys[2]; }
  std::string Get3DecypheringKey() override { return m_strKeys[3]; }
  void Set3desParameters(tvr::BYTE mode, tvr::BYTE challengeLength, tvr::BYTE authenticateLength,
                         tvr::BYTE* key) override;
  void TripleDes(tvr::BYTE* data, tvr::DWORD& length) override;

  // Deciphering of answers on or off; the settings window of the desktop
  // program sets it.
  void SetCryptoActivated(int activated) { m_bActivated = activated ? 1 : 0; }

 private:
  void Comment(const std::string& text);

  std::string m_strKeys[4];
  tvr::BYTE m_byChallengeLength = 0;
  tvr::BYTE m_byAuthenticateLength = 0;
  int m_bActivated = 0;
  // The answers of a session form one CBC stream: each starts from the last
  // cipher block of the one before, until an error answer resets it.
  tvr::BYTE m_Icv[CTVRTripleDes::BLOCK] = {};
};
