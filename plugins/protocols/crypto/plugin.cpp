#include <tavric/plugin.h>

#include "triple_des_crypto.h"

namespace {
// Static storage: the host never deletes the cyphering object.
CTVRTripleDesCrypto s_Crypto;
}  // namespace

TAVRIC_PLUGIN_INIT() {
  AddCrypto(&s_Crypto);
}
