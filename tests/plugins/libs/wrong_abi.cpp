// Built as if against another SDK: its ABI version is not the host's. It
// registers from a static initialiser as well as from its init entry, and the
// host must keep neither.
#include <tavric/tavric.h>

namespace {
// Static, not on the heap: the host forgets it without deleting it (its layout
// is not the host's), and the library's unloading destroys it.
CTVRProtocol staticProtocol;
struct CRegistrar {
  CRegistrar() { AddProtocol(&staticProtocol); }
} registrar;
}  // namespace

extern "C" __attribute__((visibility("default"))) int TavricPluginAbiVersion() {
  return TAVRIC_ABI_VERSION + 41;
}
extern "C" __attribute__((visibility("default"))) void TavricPluginInit() {
  AddProtocol(new CTVRProtocol);
}
