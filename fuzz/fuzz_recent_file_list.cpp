// The File menu's recent-file list read from the settings file (any bytes: a
// hand edit, a truncated write, another program's file): at most four
// paths, none empty, each with its menu text; saved and read again, the
// same list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/recent_file_list.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

std::vector<std::string> Paths(const CTVRRecentFileList& list) {
  std::vector<std::string> paths;
  for (int i = 0; i < list.GetCount(); ++i) paths.push_back(list.GetPath(i));
  return paths;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvr_fuzz::WriteSettingsFile(data, size);
  CTVRRecentFileList list;
  list.Load();
  Require(list.GetCount() <= CTVRRecentFileList::SIZE);
  const std::vector<std::string> paths = Paths(list);
  const std::vector<std::string> texts = list.GetMenuTexts();
  Require(texts.size() == paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    Require(!paths[i].empty());
    Require(texts[i].rfind("&" + std::to_string(i + 1) + " ", 0) == 0);
  }
  Require(list.GetPath(list.GetCount()).empty() && list.GetPath(-1).empty());

  if (!list.Save()) return 0;
  CTVRRecentFileList again;
  again.Load();
  Require(Paths(again) == paths);
  return 0;
}
