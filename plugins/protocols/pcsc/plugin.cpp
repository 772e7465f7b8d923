#include <tavric/plugin.h>

#include "pcsc_protocol.h"

TAVRIC_PLUGIN_INIT() {
  AddProtocol(new CTVRPcscProtocol);
}
