#include "widget_menu_editor.h"

#include <QAction>
#include <QMenu>

CTVRWidgetMenuEditor::CTVRWidgetMenuEditor(QMenu* pMenu, ActionMaker maker)
    : m_pMenu(pMenu), m_Maker(std::move(maker)) {}

int CTVRWidgetMenuEditor::GetItemCount() const {
  return int(m_pMenu->actions().size());
}

void CTVRWidgetMenuEditor::RemoveItem(int position) {
  const QList<QAction*> actions = m_pMenu->actions();
  if (position < 0 || position >= actions.size()) return;
  QAction* pAction = actions[position];
  m_pMenu->removeAction(pAction);
  // Items and submenus made here belong to the menu: they go with their item.
  if (QMenu* pSub = pAction->menu(); pSub != nullptr) {
    if (pSub->parent() == m_pMenu) pSub->deleteLater();
  } else if (pAction->parent() == m_pMenu) {
    pAction->deleteLater();
  }
}

QAction* CTVRWidgetMenuEditor::MakeAction(const CTVRMenuItem& item, QMenu* pMenu) {
  if (item.IsSeparator()) {
    auto* pSeparator = new QAction(pMenu);
    pSeparator->setSeparator(true);
    return pSeparator;
  }
  if (item.IsPopup()) {
    auto* pSub = new QMenu(QString::fromLocal8Bit(item.m_strText.c_str()), pMenu);
    for (const CTVRMenuItem& child : item.m_children) pSub->addAction(MakeAction(child, pSub));
    return pSub->menuAction();
  }
  return m_Maker(item, pMenu);
}

void CTVRWidgetMenuEditor::InsertItem(int position, const CTVRMenuItem& item, tvr::UINT flags) {
  QAction* pAction = MakeAction(item, m_pMenu);
  if ((flags & ITEM_CHECKED) != 0) {
    pAction->setCheckable(true);
    pAction->setChecked(true);
  }
  if ((flags & (ITEM_DISABLED | ITEM_GRAYED)) != 0) pAction->setEnabled(false);
  const QList<QAction*> actions = m_pMenu->actions();
  m_pMenu->insertAction(position >= 0 && position < actions.size() ? actions[position] : nullptr, pAction);
}
