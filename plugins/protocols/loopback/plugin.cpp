#include <tavric/plugin.h>
#include <tavric/resources.h>

#include "lpb_protocol.h"

TAVRIC_PLUGIN_INIT() {
  RegisterMenu(CTVRLpbProtocol::MENU_ID, CTVRLpbProtocol::GetMenu());
  AddProtocol(new CTVRLpbProtocol);
}
