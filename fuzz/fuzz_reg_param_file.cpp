// Register files as users write them: any bytes, read as a parameter file and
// as the index; then every command text of the file goes through the command
// parser, as Read and Write would send it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "regtool/reg_param_file.h"
#include "regtool/register_command.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvr_fuzz::InitOnce();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CRegParamFile file(tvr_fuzz::Context());
  file.LoadListText(text, "/run");
  file.LoadText(text);
  // Every string is touched to its end, so a wrong length shows as an overflow.
  std::size_t total = file.GetLabels().size() + file.GetPaths().size();
  for (const RegisterDef& reg : file.GetRegisters()) {
    total += reg.name.size() + reg.initialValue.size();
    for (const std::string& label : reg.bitLabel) total += label.size();
    for (const BitFieldMapping& mapping : reg.mappings)
      for (const std::string& value : mapping.values) total += value.empty() ? 0 : std::size_t(value.back());
    total += CRegisterCommand::Parse(reg.readCommand).m_Bytes.size();
    total += CRegisterCommand::Parse(reg.writeCommand).m_Bytes.size();
  }
  [[maybe_unused]] static volatile std::size_t sink;
  sink = total;
  return 0;
}
