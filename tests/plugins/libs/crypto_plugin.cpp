// A cyphering object named by TVR_TEST_CRYPTO_NAME; built twice, so that two
// libraries register one each and the later replaces the earlier.
#include <tavric/tavric.h>

namespace {
class CTVRPlugCrypto : public CTVRCrypto {
 public:
  CTVRPlugCrypto() { m_strName = TVR_TEST_CRYPTO_NAME; }
};
CTVRPlugCrypto s_Crypto;  // static storage: the host must never delete it
}  // namespace

TAVRIC_PLUGIN_INIT() {
  AddCrypto(&s_Crypto);
}
