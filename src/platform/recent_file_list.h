// The recent-file list of the File menu: the last four scripts opened or
// saved under a new name, newest first, kept in the settings section
// "Recent File List" as "File1" to "File4". The program's list is its host
// context's (CTVRHostContext::RecentFiles).
#pragma once

#include <string>
#include <vector>

#include <tavric/types.h>

class CTVRRegistry;

class CTVRRecentFileList {
 public:
  static constexpr int SIZE = 4;
  // Menu commands of the entries: ID_FILE_MRU_FIRST + index.
  static constexpr tvr::UINT ID_FILE_MRU_FIRST = 57616;
  static constexpr tvr::UINT ID_FILE_MRU_LAST = 57631;
  static constexpr const char* SECTION = "Recent File List";

  // Puts the path at the top; the same path further down leaves, and the
  // oldest entry drops off a full list.
  void Add(const std::string& path);
  void Remove(int index);
  void Clear() { m_Paths.clear(); }
  int GetCount() const { return int(m_Paths.size()); }
  // "" for an index out of the list.
  std::string GetPath(int index) const;
  // The menu texts: "&1 name" ... with the file name of each path.
  std::vector<std::string> GetMenuTexts() const;

  // Reads "File1" to "File4" up to the first missing or empty one; a value
  // that is not text ends the list there too.
  void Load();
  // FALSE when the section cannot be written.
  // FALSE, with the reason when asked, when the settings file could not be written.
  tvr::BOOL Save(std::string* reason = nullptr) const;

 private:
  std::vector<std::string> m_Paths;
};
