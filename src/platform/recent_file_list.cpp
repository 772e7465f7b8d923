#include "platform/recent_file_list.h"

#include <algorithm>

#include <tavric/registry.h>

namespace {

// The value of entry n (from 1), the same name for reading and writing.
std::string EntryName(int n) {
  return "File" + std::to_string(n);
}

}  // namespace

void CTVRRecentFileList::Add(const std::string& path) {
  if (path.empty()) return;
  m_Paths.erase(std::remove(m_Paths.begin(), m_Paths.end(), path), m_Paths.end());
  m_Paths.insert(m_Paths.begin(), path);
  if (m_Paths.size() > std::size_t(SIZE)) m_Paths.resize(SIZE);
}

void CTVRRecentFileList::Remove(int index) {
  if (index >= 0 && index < GetCount()) m_Paths.erase(m_Paths.begin() + index);
}

std::string CTVRRecentFileList::GetPath(int index) const {
  return index >= 0 && index < GetCount() ? m_Paths[std::size_t(index)] : std::string();
}

std::vector<std::string> CTVRRecentFileList::GetMenuTexts() const {
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < m_Paths.size(); ++i) {
    const auto slash = m_Paths[i].find_last_of('/');
    texts.push_back("&" + std::to_string(i + 1) + " " +
                    (slash == std::string::npos ? m_Paths[i] : m_Paths[i].substr(slash + 1)));
  }
  return texts;
}

void CTVRRecentFileList::Load() {
  m_Paths.clear();
  CTVRRegistry reg(FALSE, TRUE);
  if (!reg.Open(CTVRRegistry::GetRegSectionPath(SECTION))) return;
  for (int i = 1; i <= SIZE; ++i) {
    std::string path;
    if (!reg.Read(EntryName(i), path) || path.empty()) break;
    m_Paths.push_back(path);
  }
}

tvr::BOOL CTVRRecentFileList::Save(std::string* reason) const {
  CTVRRegistry reg(FALSE, FALSE);
  if (!reg.CreateKey(CTVRRegistry::GetRegSectionPath(SECTION))) {
    if (reason != nullptr) *reason = "the file was not read";
    return FALSE;
  }
  // Entries past the list are written empty, so a shorter list reads back short.
  for (int i = 0; i < SIZE; ++i)
    if (!reg.Write(EntryName(i + 1), GetPath(i))) return FALSE;
  return reg.Flush(reason);
}
