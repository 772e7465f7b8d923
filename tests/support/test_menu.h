// A menu for tests: a plain list of items with their flags, edited by the
// update handlers that rebuild menus (the Protocol menu).
#pragma once

#include <string>
#include <vector>

#include "platform/menu_editor.h"

class CTVRTestMenu : public CTVRMenuEditor {
 public:
  struct Entry {
    CTVRMenuItem m_Item;
    tvr::UINT m_nFlags;
  };

  int GetItemCount() const override { return int(m_Entries.size()); }
  void RemoveItem(int position) override;
  void InsertItem(int position, const CTVRMenuItem& item, tvr::UINT flags) override;

  // One line per item: "text [id]" with " checked", " disabled", " grayed"
  // as flagged, "----" for a separator and "text >" for a popup.
  std::vector<std::string> Describe() const;

  std::vector<Entry> m_Entries;
};
