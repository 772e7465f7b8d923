// The toolbar arrangement read back from the workspace: any bytes give either
// a layout within the bounds or nothing, and a layout read packs back to the
// same bytes.
#include <cstdlib>

#include "fuzz_support.h"
#include "shell/tool_bar_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvr_fuzz::InitOnce();
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  CTVRToolBarStore::Layout layout;
  if (!CTVRToolBarStore::Unpack(bytes, layout)) {
    if (!layout.empty()) std::abort();
    return 0;
  }
  if (layout.size() > std::size_t(CTVRToolBarStore::MAX_BARS)) std::abort();
  for (const auto& [nID, buttons] : layout)
    if (buttons.size() > std::size_t(CTVRToolBarStore::MAX_BUTTONS)) std::abort();
  if (CTVRToolBarStore::Pack(layout) != bytes) std::abort();
  return 0;
}
