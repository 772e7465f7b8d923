// A quick command's text as typed or as stored in a settings file: any bytes
// give at most 300 bytes, and never read past the text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "document/quick_command.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto bytes = CTVRQuickCommand::ToBytes(text);
  if (bytes.size() > CTVRQuickCommand::MAX_BYTES) __builtin_trap();
  return 0;
}
