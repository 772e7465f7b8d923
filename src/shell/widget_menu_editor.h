// A menu widget as the update handlers that rebuild menus see it (the
// Protocol list): items are inserted and removed by position, each command
// item made by the owner so that choosing it runs the command.
#pragma once

#include <functional>

#include "platform/menu_editor.h"

class QAction;
class QMenu;

class CTVRWidgetMenuEditor : public CTVRMenuEditor {
 public:
  // Makes the action of a command item in `pMenu` (text, command, image).
  using ActionMaker = std::function<QAction*(const CTVRMenuItem& item, QMenu* pMenu)>;

  CTVRWidgetMenuEditor(QMenu* pMenu, ActionMaker maker);

  int GetItemCount() const override;
  void RemoveItem(int position) override;
  void InsertItem(int position, const CTVRMenuItem& item, tvr::UINT flags) override;

 private:
  QAction* MakeAction(const CTVRMenuItem& item, QMenu* pMenu);

  QMenu* m_pMenu;
  ActionMaker m_Maker;
};
