// The active reader's own menus in the menu bar: the popups its board type
// registered ("&Reader" with Connect and Disconnect, "&Script", "&Protocol"
// with the protocol list), between the frame's View and Tools menus. They
// follow the active child frame; with no reader open the frame's own menus
// stand alone. A board popup named like a frame menu takes that menu's
// place in the bar and carries the frame's items it does not list itself after a
// separator, so no command is lost and no title shows twice.
#pragma once

#include <map>
#include <vector>

#include <QObject>

#include <tavric/resources.h>
#include <tavric/types.h>

class CMainFrame;
class CTVRBoardDoc;
class QAction;
class QMenu;

class CTVRBoardMenu : public QObject {
  Q_OBJECT

 public:
  explicit CTVRBoardMenu(CMainFrame* pFrame);
  ~CTVRBoardMenu() override;

  // Shows the menus of the active document's board type; keeps them while
  // the focus is merely outside the reader windows, drops them when none is open.
  void Refresh();
  // The board's popups now in the menu bar, in order.
  const std::vector<QMenu*>& GetMenus() const { return m_Menus; }
  // What opening a popup does: the Protocol list rebuilt, every item enabled
  // and checked from the active document's answers.
  void UpdateMenu(QMenu* pMenu);

 private:
  void Clear();
  void Build(tvr::UINT nIDResource, const CTVRMenu& menu);
  QMenu* BuildPopup(const CTVRMenuItem& popup, QWidget* pParent);
  void FillPopup(QMenu* pMenu, const CTVRMenuItem& popup);
  QAction* MakeCommand(const CTVRMenuItem& item, QMenu* pMenu);
  void UpdateItems(QMenu* pMenu, CTVRBoardDoc* pDoc);

  CMainFrame* m_pFrame;
  tvr::UINT m_nIDResource = 0;
  std::vector<QMenu*> m_Menus;
  // The resource popup each board menu was built from (rebuilt from it when
  // it holds the protocol list) and the frame menu it stands in for.
  std::map<QMenu*, CTVRMenuItem> m_Sources;
  std::map<QMenu*, QMenu*> m_Replaced;
};
