// Needs a function that nothing defines: linked with unresolved symbols
// ignored, it cannot be opened with every symbol resolved at once.
#include <tavric/tavric.h>

extern "C" void TavricTestNowhereDefined();

TAVRIC_PLUGIN_INIT() {
  TavricTestNowhereDefined();
  RegisterDocStrings(9105, {"Broken", "Broken board"});
}
