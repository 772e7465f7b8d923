// A reader window's placement value from the settings file (any bytes, any
// length): decoded, checked for a usable rectangle and encoded again; a
// decoded record must encode to the same 44 bytes but its length field.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "document/window_placement.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<tvr::BYTE> bytes(data, data + size);
  CTVRWindowPlacement placement;
  if (!placement.Decode(bytes)) return 0;
  (void)placement.HasUsableRect();
  std::vector<tvr::BYTE> again = placement.Encode();
  if (again.size() != CTVRWindowPlacement::SIZE) std::abort();
  for (std::size_t i = 4; i < again.size(); ++i)
    if (again[i] != bytes[i]) std::abort();
  return 0;
}
