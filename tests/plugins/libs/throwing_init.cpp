// Registers a protocol and a cyphering object, then throws from
// its init: the host must stay up and keep none of them.
#include <stdexcept>

#include <tavric/tavric.h>

namespace {
class CThrowingProtocol : public CTVRProtocol {
 public:
  CThrowingProtocol() { m_strName = "Thrown"; }
};
CTVRCrypto crypto;
}  // namespace

TAVRIC_PLUGIN_INIT() {
  AddProtocol(new CThrowingProtocol);
  AddCrypto(&crypto);
  throw std::runtime_error("no reader driver for this test");
}
