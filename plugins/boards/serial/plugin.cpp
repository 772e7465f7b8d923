#include <tavric/plugin.h>
#include <tavric/resources.h>

#include "serial_doc.h"

TAVRIC_PLUGIN_INIT() {
  RegisterDocStrings(CTVRSerialDoc::IDR_SERIAL, CTVRSerialDoc::GetDocStrings());
  RegisterMenu(CTVRSerialDoc::IDR_SERIAL, CTVRSerialDoc::GetMenu());
  AddBoardType(TVR_RUNTIME_CLASS(CTVRSerialDoc), CTVRSerialDoc::IDR_SERIAL);
}
