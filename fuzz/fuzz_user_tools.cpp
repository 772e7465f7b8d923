// The Tools menu's user tools read from the settings file (any bytes: a
// hand edit, a damaged count, texts that are no UTF-8): at most ten tools,
// each with a name and a program, their arguments split as a start would
// split them; saved and read again, the same tools.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QProcess>

#include "fuzz_support.h"
#include "shell/user_tool_list.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvr_fuzz::WriteSettingsFile(data, size);
  CTVRUserToolList list;
  list.Load();
  Require(list.GetTools().size() <= std::size_t(CTVRUserToolList::MAX_TOOLS));
  qsizetype words = 0;
  for (const CTVRUserTool& tool : list.GetTools()) {
    Require(tool.IsValid());
    words += QProcess::splitCommand(tool.m_strArguments).size();
  }
  [[maybe_unused]] static volatile qsizetype sink;
  sink = words;

  list.Save();
  CTVRUserToolList again;
  again.Load();
  Require(again.GetTools() == list.GetTools());
  return 0;
}
