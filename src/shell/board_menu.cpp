#include "board_menu.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

#include <tavric/board_doc.h>
#include <tavric/doc_template.h>

#include "document/board_doc_private.h"
#include "main_frame.h"
#include "widget_menu_editor.h"

namespace {

QString Bare(const QString& title) {
  return QString(title).remove(QLatin1Char('&')).trimmed().toLower();
}

bool IsProtocolItem(tvr::UINT nID) {
  return nID >= ID_PROTOCOL_FIRST && nID <= ID_PROTOCOL_LAST;
}

bool Contains(const CTVRMenuItem& popup, tvr::UINT nID) {
  for (const CTVRMenuItem& item : popup.m_children)
    if ((item.m_nID == nID && !item.IsPopup()) || (item.IsPopup() && Contains(item, nID))) return true;
  return false;
}

}  // namespace

CTVRBoardMenu::CTVRBoardMenu(CMainFrame* pFrame) : QObject(pFrame), m_pFrame(pFrame) {
  // After the frame has taken the new window as its active one.
  connect(pFrame->GetMdiArea(), &QMdiArea::subWindowActivated, this, &CTVRBoardMenu::Refresh, Qt::QueuedConnection);
}

CTVRBoardMenu::~CTVRBoardMenu() = default;

void CTVRBoardMenu::Refresh() {
  CTVRBoardDoc* pDoc = m_pFrame->GetActiveDocument();
  if (pDoc == nullptr) {
    if (m_pFrame->GetMdiArea()->subWindowList().isEmpty()) Clear();
    return;
  }
  const CTVRDocTemplate* pTemplate = pDoc->GetDocTemplate();
  const tvr::UINT nID = pTemplate != nullptr ? pTemplate->GetResourceId() : 0;
  if (nID == m_nIDResource && !m_Menus.empty()) return;
  Clear();
  const CTVRMenu* pMenu = nID != 0 ? FindMenu(nID) : nullptr;
  if (pMenu != nullptr) Build(nID, *pMenu);
}

void CTVRBoardMenu::Clear() {
  // The frame's menus go back where the board's stood.
  for (auto& [pMenu, pFrameMenu] : m_Replaced) m_pFrame->menuBar()->insertMenu(pMenu->menuAction(), pFrameMenu);
  for (QMenu* pMenu : m_Menus) delete pMenu;
  m_Menus.clear();
  m_Sources.clear();
  m_Replaced.clear();
  m_nIDResource = 0;
}

void CTVRBoardMenu::Build(tvr::UINT nIDResource, const CTVRMenu& menu) {
  m_nIDResource = nIDResource;
  QMenuBar* pBar = m_pFrame->menuBar();
  // The board's menus go before "&Tools" (before "&Help" when there is none).
  QAction* pBefore = nullptr;
  std::map<QString, QMenu*> frameMenus;
  for (QAction* pAction : pBar->actions()) {
    if (pAction->menu() == nullptr) continue;
    const QString title = Bare(pAction->text());
    frameMenus[title] = pAction->menu();
    if (pBefore == nullptr && (title == QLatin1String("tools") || title == QLatin1String("help"))) pBefore = pAction;
  }
  for (const CTVRMenuItem& item : menu) {
    if (!item.IsPopup()) continue;
    QMenu* pMenu = BuildPopup(item, pBar);
    auto same = frameMenus.find(Bare(pMenu->title()));
    if (same != frameMenus.end()) {
      // Taken out of the bar, not hidden: a hidden menu keeps its Alt key,
      // and two menus on one key open neither.
      m_Replaced[pMenu] = same->second;
      pBar->removeAction(same->second->menuAction());
    }
    FillPopup(pMenu, item);
    pBar->insertMenu(pBefore, pMenu);
    m_Menus.push_back(pMenu);
  }
}

QMenu* CTVRBoardMenu::BuildPopup(const CTVRMenuItem& popup, QWidget* pParent) {
  auto* pMenu = new QMenu(QString::fromLocal8Bit(popup.m_strText.c_str()), pParent);
  m_Sources[pMenu] = popup;
  connect(pMenu, &QMenu::aboutToShow, this, [this, pMenu] { UpdateMenu(pMenu); });
  return pMenu;
}

void CTVRBoardMenu::FillPopup(QMenu* pMenu, const CTVRMenuItem& popup) {
  pMenu->clear();
  CTVRWidgetMenuEditor editor(pMenu, [this](const CTVRMenuItem& item, QMenu* pIn) { return MakeCommand(item, pIn); });
  for (const CTVRMenuItem& item : popup.m_children) editor.InsertItem(editor.GetItemCount(), item, 0);
  auto replaced = m_Replaced.find(pMenu);
  if (replaced == m_Replaced.end()) return;
  // The frame's items that the board does not list: the same actions, so
  // their keys, images and states stay the frame's.
  bool separate = true;
  for (QAction* pAction : replaced->second->actions()) {
    if (pAction->isSeparator()) {
      separate = true;
      continue;
    }
    if (Contains(popup, pAction->data().toUInt())) continue;
    // The frame's groups stay apart, without a separator at either end.
    if (separate) pMenu->addSeparator();
    separate = false;
    pMenu->addAction(pAction);
  }
}

QAction* CTVRBoardMenu::MakeCommand(const CTVRMenuItem& item, QMenu* pMenu) {
  QString text = QString::fromLocal8Bit(item.m_strText.c_str());
  QAction* pShared = m_pFrame->GetAction(item.m_nID);
  // The key is the frame's (one key, one action); the item shows it.
  if (pShared != nullptr && !pShared->shortcut().isEmpty())
    text += QLatin1Char('\t') + pShared->shortcut().toString(QKeySequence::NativeText);
  auto* pAction = new QAction(text, pMenu);
  pAction->setData(item.m_nID);
  if (pShared != nullptr) {
    pAction->setIcon(pShared->icon());
    pAction->setStatusTip(pShared->statusTip());
  }
  const tvr::UINT nID = item.m_nID;
  connect(pAction, &QAction::triggered, m_pFrame, [this, nID] { m_pFrame->OnCommand(nID); });
  return pAction;
}

void CTVRBoardMenu::UpdateMenu(QMenu* pMenu) {
  CTVRBoardDoc* pDoc = m_pFrame->GetActiveDocument();
  m_pFrame->UpdateCommandStates();
  auto source = m_Sources.find(pMenu);
  if (source != m_Sources.end() && Contains(source->second, ID_PROTOCOL_FIRST)) {
    // Rebuilt from the resource each time: the list of the document in
    // front, not what an earlier one left in the menu.
    FillPopup(pMenu, source->second);
    if (pDoc != nullptr) {
      const QList<QAction*> actions = pMenu->actions();
      for (int i = 0; i < actions.size(); ++i) {
        if (actions[i]->data().toUInt() != ID_PROTOCOL_FIRST || actions[i]->menu() != nullptr) continue;
        CTVRWidgetMenuEditor editor(pMenu,
                                    [this](const CTVRMenuItem& item, QMenu* pIn) { return MakeCommand(item, pIn); });
        CTVRCmdUI ui(ID_PROTOCOL_FIRST);
        ui.m_bIsMenuItem = TRUE;
        ui.m_pMenu = static_cast<CTVRMenuEditor*>(&editor);
        ui.m_nIndex = i;
        ui.m_nIndexMax = editor.GetItemCount();
        // The menu holds the placeholder alone, as at the document's first update.
        CTVRBoardDocPrivate::Of(*pDoc).SetProtocolMenuCount(1);
        pDoc->DoUpdate(ui);
        break;
      }
    }
  }
  UpdateItems(pMenu, pDoc);
}

void CTVRBoardMenu::UpdateItems(QMenu* pMenu, CTVRBoardDoc* pDoc) {
  for (QAction* pAction : pMenu->actions()) {
    if (pAction->isSeparator()) continue;
    if (QMenu* pSub = pAction->menu()) {
      UpdateItems(pSub, pDoc);
      continue;
    }
    const tvr::UINT nID = pAction->data().toUInt();
    QAction* pShared = m_pFrame->GetAction(nID);
    // The frame's own actions are kept by the frame; the protocol list by its update.
    if (pShared == pAction || IsProtocolItem(nID)) continue;
    bool enabled = false;
    int check = 0;
    if (pShared != nullptr) {
      enabled = pShared->isEnabled();
      check = pShared->isCheckable() && pShared->isChecked() ? 1 : 0;
    } else if (pDoc != nullptr) {
      CTVRCmdUI ui(nID);
      const bool handled = pDoc->DoUpdate(ui) != FALSE;
      enabled = handled && ui.m_bEnabled != FALSE;
      check = handled ? ui.m_nCheck : 0;
    }
    pAction->setEnabled(enabled);
    if (check != 0) pAction->setCheckable(true);
    if (pAction->isCheckable()) pAction->setChecked(check != 0);
  }
}
