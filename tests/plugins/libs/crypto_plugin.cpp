// A cyphering object named after the library; built twice, so that two
// libraries register one each and the later replaces the earlier.
#include <tavric/tavric.h>

#ifndef TVR_TEST_CRYPTO_NAME
#error "TVR_TEST_CRYPTO_NAME names the cyphering object"
#endif

namespace {
class CTVRPlugCrypto : public CTVRCrypto {
 public:
  CTVRPlugCrypto() { m_strName = TVR_TEST_CRYPTO_NAME; }
};
// Static storage: the host must never delete it.
CTVRPlugCrypto s_Crypto;
}  // namespace

TAVRIC_PLUGIN_INIT() {
  AddCrypto(&s_Crypto);
}
