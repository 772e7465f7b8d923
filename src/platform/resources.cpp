#include <tavric/resources.h>

#include <map>
#include <memory>
#include <mutex>

namespace {

// Entries are never freed while the process runs, and a later registration
// overwrites the entry in place, so a pointer handed out by Find stays valid
// and sees the newest registration.
template <typename T>
class CResourceTable {
 public:
  void Register(tvr::UINT id, const T& value) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::unique_ptr<T>& entry = m_entries[id];
    if (entry)
      *entry = value;
    else
      entry = std::make_unique<T>(value);
  }
  const T* Find(tvr::UINT id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_entries.find(id);
    return it == m_entries.end() ? nullptr : it->second.get();
  }

 private:
  std::mutex m_mutex;
  std::map<tvr::UINT, std::unique_ptr<T>> m_entries;
};

CResourceTable<CTVRDocStrings>& DocStrings() {
  static CResourceTable<CTVRDocStrings> table;
  return table;
}

CResourceTable<CTVRMenu>& Menus() {
  static CResourceTable<CTVRMenu> table;
  return table;
}

}  // namespace

TVR_API void RegisterDocStrings(tvr::UINT nIDResource, const CTVRDocStrings& strings) {
  DocStrings().Register(nIDResource, strings);
}

TVR_API void RegisterMenu(tvr::UINT nIDResource, const CTVRMenu& menu) {
  Menus().Register(nIDResource, menu);
}

TVR_API const CTVRDocStrings* FindDocStrings(tvr::UINT nIDResource) {
  return DocStrings().Find(nIDResource);
}

TVR_API const CTVRMenu* FindMenu(tvr::UINT nIDResource) {
  return Menus().Find(nIDResource);
}
