// Two protocols in one library, in this order.
#include <tavric/tavric.h>

class CTVRPlugProtocol : public CTVRProtocol {
 public:
  CTVRPlugProtocol(const char* name, DWORD menuId) {
    m_strName = name;
    m_dwMenuId = menuId;
  }
  // Counts deletions, so a test can see that the host deletes its protocols.
  ~CTVRPlugProtocol() override { ++s_nDeleted; }
  static int s_nDeleted;
};
int CTVRPlugProtocol::s_nDeleted = 0;

extern "C" __attribute__((visibility("default"))) int TavricTestDeletedProtocols() {
  return CTVRPlugProtocol::s_nDeleted;
}

TAVRIC_PLUGIN_INIT() {
  AddProtocol(new CTVRPlugProtocol("Alpha", 0));
  AddProtocol(new CTVRPlugProtocol("Beta", 200));
}
