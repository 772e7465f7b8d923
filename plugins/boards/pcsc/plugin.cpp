#include <tavric/plugin.h>
#include <tavric/resources.h>

#include "pcsc_doc.h"

TAVRIC_PLUGIN_INIT() {
  RegisterDocStrings(CTVRPcscDoc::IDR_PCSC, CTVRPcscDoc::GetDocStrings());
  RegisterMenu(CTVRPcscDoc::IDR_PCSC, CTVRPcscDoc::GetMenu());
  AddBoardType(TVR_RUNTIME_CLASS(CTVRPcscDoc), CTVRPcscDoc::IDR_PCSC);
}
