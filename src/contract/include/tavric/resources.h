// Plug-in resources: document strings and menus, registered in code by the
// plug-in while it loads and looked up by the same numeric identifiers.
#pragma once

#include <string>
#include <vector>

#include <tavric/types.h>

// Document strings of a board type.
struct CTVRDocStrings {
  std::string m_strDocName;      // base of the default title ("Sim" gives "Sim1")
  std::string m_strFileNewName;  // name offered by New and the board-type list; empty hides it from New
};

// One menu item: a command (id and text), a separator (id 0, no text, no
// children) or a popup (text and children).
struct CTVRMenuItem {
  tvr::UINT m_nID = 0;
  std::string m_strText;
  std::vector<CTVRMenuItem> m_children;

  bool IsSeparator() const { return m_nID == 0 && m_strText.empty() && m_children.empty(); }
  bool IsPopup() const { return !m_children.empty(); }
};

// A menu: its top-level items (popups, usually).
using CTVRMenu = std::vector<CTVRMenuItem>;

TVR_API void RegisterDocStrings(tvr::UINT nIDResource, const CTVRDocStrings& strings);
TVR_API void RegisterMenu(tvr::UINT nIDResource, const CTVRMenu& menu);

// Null when nothing was registered under the identifier.
TVR_API const CTVRDocStrings* FindDocStrings(tvr::UINT nIDResource);
TVR_API const CTVRMenu* FindMenu(tvr::UINT nIDResource);
