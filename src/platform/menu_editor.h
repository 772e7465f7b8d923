// The menu that an update handler may rebuild around its own item: the
// Protocol menu puts the protocol list and the protocol's own commands in
// place of its placeholder. The desktop shell implements it over its menu
// widget and passes it as CTVRCmdUI::m_pMenu; tests keep a plain list.
#pragma once

#include <tavric/resources.h>
#include <tavric/types.h>

class CTVRMenuEditor {
 public:
  // Item flags.
  enum : tvr::UINT {
    ITEM_CHECKED = 0x1,
    ITEM_DISABLED = 0x2,  // cannot be chosen
    ITEM_GRAYED = 0x4,    // drawn greyed
  };

  virtual ~CTVRMenuEditor() = default;
  virtual int GetItemCount() const = 0;
  // Removes the item at this position; a position out of the menu is ignored.
  virtual void RemoveItem(int position) = 0;
  // Inserts a command, a separator (CTVRMenuItem::IsSeparator) or a popup with
  // its items at this position (at the end when past it).
  virtual void InsertItem(int position, const CTVRMenuItem& item, tvr::UINT flags) = 0;
};
