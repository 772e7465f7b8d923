#include <tavric/plugin.h>

#include "ccid_protocol.h"

TAVRIC_PLUGIN_INIT() {
  AddProtocol(new CTVRCcidProtocol);
}
