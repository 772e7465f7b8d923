// Two protocols in one library, in this order.
#include <tavric/tavric.h>

class CTVRPlugProtocol : public CTVRProtocol {
 public:
  explicit CTVRPlugProtocol(const char* name) { m_strName = name; }
};

TAVRIC_PLUGIN_INIT() {
  AddProtocol(new CTVRPlugProtocol("Alpha"));
  AddProtocol(new CTVRPlugProtocol("Beta"));
}
