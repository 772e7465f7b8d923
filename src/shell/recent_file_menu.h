// The recent files in a menu (the File menu, the Open button's drop-down):
// "&1 name" ... for the four last scripts, rebuilt each time the menu opens,
// in place of a "Recent File" item that stays, greyed, while the list is
// empty. An entry opens its script into the active reader, after the
// save-modified question; the entries are enabled only while a reader is
// active.
#pragma once

#include <vector>

#include <QObject>

class CMainFrame;
class QAction;
class QMenu;

class CTVRRecentFileMenu : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* PLACEHOLDER_TEXT = "Recent File";

  // Adds the placeholder at the end of the menu.
  CTVRRecentFileMenu(CMainFrame* pFrame, QMenu* pMenu);

  // What opening the menu does.
  void Update();
  // The entries shown now, in order.
  const std::vector<QAction*>& GetEntries() const { return m_Entries; }
  // Recent file `index` into the active reader.
  void Open(int index);

 private:
  CMainFrame* m_pFrame;
  QMenu* m_pMenu;
  QAction* m_pPlaceholder;
  std::vector<QAction*> m_Entries;
};
