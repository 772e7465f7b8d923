#include <tavric/plugin.h>
#include <tavric/resources.h>

#include "verta_protocol.h"

TAVRIC_PLUGIN_INIT() {
  RegisterMenu(CTVRVertaProtocol::MENU_ID, CTVRVertaProtocol::GetMenu());
  AddProtocol(new CTVRVertaProtocol);
}
