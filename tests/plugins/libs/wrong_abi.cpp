// Built as if against another SDK: its ABI version is not the host's. It
// registers from a static initialiser, with new as every protocol is handed
// over, and the host must neither keep the protocol nor leak it.
#include <cstdlib>

#include <tavric/tavric.h>

namespace {
class CWrongAbiProtocol : public CTVRProtocol {
 public:
  CWrongAbiProtocol() { m_strName = "Wrong ABI"; }
  // The test reads this to know the host deleted it before unloading.
  ~CWrongAbiProtocol() override { setenv("TAVRIC_TEST_WRONG_ABI_DELETED", "1", 1); }
};
struct CRegistrar {
  CRegistrar() { AddProtocol(new CWrongAbiProtocol); }
} registrar;
}  // namespace

// A fixed version far from the host's, so the loader's report names it.
static_assert(TAVRIC_ABI_VERSION != 42);
extern "C" __attribute__((visibility("default"))) int TavricPluginAbiVersion() {
  return 42;
}
extern "C" __attribute__((visibility("default"))) void TavricPluginInit() {
  AddProtocol(new CTVRProtocol);
}
