// Exports an init entry but no ABI version: the host cannot know which SDK it
// was built against, so the init must never run.
#include <cstdlib>

#include <tavric/tavric.h>

extern "C" __attribute__((visibility("default"))) void TavricPluginInit() {
  setenv("TAVRIC_TEST_NO_ABI_INIT_RAN", "1", 1);
  AddProtocol(new CTVRProtocol);
}
