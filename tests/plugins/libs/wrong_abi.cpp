// Built as if against another SDK: its ABI version is not the host's. It
// registers from a static initialiser as well as from its init entry, and the
// host must keep neither.
#include <tavric/tavric.h>

namespace {
struct CRegistrar {
  CRegistrar() { AddProtocol(new CTVRProtocol); }
} registrar;
}  // namespace

extern "C" __attribute__((visibility("default"))) int TavricPluginAbiVersion() {
  return TAVRIC_ABI_VERSION + 41;
}
extern "C" __attribute__((visibility("default"))) void TavricPluginInit() {
  AddProtocol(new CTVRProtocol);
}
