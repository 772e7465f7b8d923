// Built as if against another SDK: its ABI version is not the host's. It
// registers from a static initialiser as well as from its init entry, and the
// host must keep neither.
#include <tavric/tavric.h>

class CTVRPlugOldProtocol : public CTVRProtocol {
 public:
  explicit CTVRPlugOldProtocol(const char* name) { m_strName = name; }
};

namespace {
struct CRegistrar {
  CRegistrar() { AddProtocol(new CTVRPlugOldProtocol("Old static")); }
} registrar;
}  // namespace

extern "C" __attribute__((visibility("default"))) int TavricPluginAbiVersion() {
  return TAVRIC_ABI_VERSION + 41;
}
extern "C" __attribute__((visibility("default"))) void TavricPluginInit() {
  AddProtocol(new CTVRPlugOldProtocol("Old init"));
}
