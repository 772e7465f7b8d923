#include <tavric/crypto.h>

TVR_IMPLEMENT_DYNAMIC(CTVRCrypto)

// The host holds no cipher: without a plug-in's override, cyphering is never
// active and every key reads back empty.
CTVRCrypto::CTVRCrypto() = default;
CTVRCrypto::~CTVRCrypto() = default;

void CTVRCrypto::OnCryptoShow() {}
int CTVRCrypto::GetCryptoActivated() {
  return 0;
}
void CTVRCrypto::ReceivedData(tvr::BYTE*, tvr::DWORD) {}
void CTVRCrypto::ResetCrypto() {}
void CTVRCrypto::SetCypheringKey(const std::string&) {}
void CTVRCrypto::SetDecypheringKey(const std::string&) {}
void CTVRCrypto::Set3CypheringKey(const std::string&) {}
void CTVRCrypto::Set3DecypheringKey(const std::string&) {}
std::string CTVRCrypto::GetCypheringKey() {
  return {};
}
std::string CTVRCrypto::GetDecypheringKey() {
  return {};
}
std::string CTVRCrypto::Get3CypheringKey() {
  return {};
}
std::string CTVRCrypto::Get3DecypheringKey() {
  return {};
}
void CTVRCrypto::Set3desParameters(tvr::BYTE, tvr::BYTE, tvr::BYTE, tvr::BYTE*) {}
void CTVRCrypto::TripleDes(tvr::BYTE*, tvr::DWORD&) {}
