#include <tavric/plugin.h>
#include <tavric/resources.h>

#include "sim_doc.h"

TAVRIC_PLUGIN_INIT() {
  RegisterDocStrings(CTVRSimDoc::IDR_SIM, CTVRSimDoc::GetDocStrings());
  RegisterMenu(CTVRSimDoc::IDR_SIM, CTVRSimDoc::GetMenu());
  AddBoardType(TVR_RUNTIME_CLASS(CTVRSimDoc), CTVRSimDoc::IDR_SIM);
}
