// Command and error description files as a user or a plug-in ships them:
// any bytes, loaded into both tables, then every entry looked up.
#include <cstddef>
#include <cstdint>

#include <tavric/cmd_code.h>
#include <tavric/error_code.h>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = tvr_fuzz::WriteInput(data, size);
  CCmdCode commands;
  commands.LoadPath(path);
  CErrorCode errors;
  errors.LoadPath(path);
  // Every text is read up to its terminator, so a wrong length or a missing
  // zero shows as an overflow.
  std::size_t total = 0;
  for (int cls = 0; cls < 256; ++cls) {
    if (const char* text = errors.GetText(tvr::BYTE(cls)))
      total += std::size_t(text[errors.GetLength(tvr::BYTE(cls))]) + 1;
    if (!commands.IsDefined(tvr::BYTE(cls))) continue;
    for (int code = 0; code < 256; ++code)
      if (const char* text = commands.GetText(tvr::BYTE(cls), tvr::BYTE(code)))
        total += std::size_t(text[commands.GetLength(tvr::BYTE(cls), tvr::BYTE(code))]) + 1;
  }
  [[maybe_unused]] static volatile std::size_t sink;
  sink = total;
  return 0;
}
