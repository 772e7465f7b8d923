#include <tavric/plugin.h>

#include "kiro_protocol.h"

TAVRIC_PLUGIN_INIT() {
  AddProtocol(new CTVRKiroProtocol);
}
