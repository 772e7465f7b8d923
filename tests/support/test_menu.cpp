#include "test_menu.h"

void CTVRTestMenu::RemoveItem(int position) {
  if (position >= 0 && position < GetItemCount()) m_Entries.erase(m_Entries.begin() + position);
}

void CTVRTestMenu::InsertItem(int position, const CTVRMenuItem& item, tvr::UINT flags) {
  if (position < 0 || position > GetItemCount()) position = GetItemCount();
  m_Entries.insert(m_Entries.begin() + position, Entry{item, flags});
}

std::vector<std::string> CTVRTestMenu::Describe() const {
  std::vector<std::string> lines;
  for (const Entry& entry : m_Entries) {
    if (entry.m_Item.IsSeparator()) {
      lines.push_back("----");
      continue;
    }
    if (entry.m_Item.IsPopup()) {
      lines.push_back(entry.m_Item.m_strText + " >");
      continue;
    }
    std::string line = entry.m_Item.m_strText + " [" + std::to_string(entry.m_Item.m_nID) + "]";
    if (entry.m_nFlags & ITEM_CHECKED) line += " checked";
    if (entry.m_nFlags & ITEM_DISABLED) line += " disabled";
    if (entry.m_nFlags & ITEM_GRAYED) line += " grayed";
    lines.push_back(line);
  }
  return lines;
}
