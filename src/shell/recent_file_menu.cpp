#include "recent_file_menu.h"

#include <QAction>
#include <QMenu>

#include "child_frame.h"
#include "contract/host_context.h"
#include "document/workspace.h"
#include "main_frame.h"
#include "platform/recent_file_list.h"

CTVRRecentFileMenu::CTVRRecentFileMenu(CMainFrame* pFrame, QMenu* pMenu)
    : QObject(pMenu), m_pFrame(pFrame), m_pMenu(pMenu) {
  m_pPlaceholder = pMenu->addAction(QString::fromLatin1(PLACEHOLDER_TEXT));
  m_pPlaceholder->setEnabled(false);
  connect(pMenu, &QMenu::aboutToShow, this, &CTVRRecentFileMenu::Update);
}

void CTVRRecentFileMenu::Update() {
  for (QAction* pEntry : m_Entries) delete pEntry;
  m_Entries.clear();
  const std::vector<std::string> texts = m_pFrame->GetHostContext().RecentFiles().GetMenuTexts();
  m_pPlaceholder->setVisible(texts.empty());
  const bool active = m_pFrame->GetActiveDocument() != nullptr;
  for (std::size_t i = 0; i < texts.size() && i < std::size_t(CTVRRecentFileList::SIZE); ++i) {
    auto* pEntry = new QAction(QString::fromLocal8Bit(texts[i].c_str()), m_pMenu);
    pEntry->setData(CTVRRecentFileList::ID_FILE_MRU_FIRST + tvr::UINT(i));
    pEntry->setStatusTip(QStringLiteral("Open this document"));
    pEntry->setEnabled(active);
    const int index = int(i);
    connect(pEntry, &QAction::triggered, this, [this, index] { Open(index); });
    m_pMenu->insertAction(m_pPlaceholder, pEntry);
    m_Entries.push_back(pEntry);
  }
}

void CTVRRecentFileMenu::Open(int index) {
  CTVRWorkspace::Of(m_pFrame->GetHostContext()).OpenRecentFile(index);
  // The caption names the script now open.
  if (CTVRChildFrame* pFrame = m_pFrame->FindFrame(m_pFrame->GetActiveDocument())) pFrame->UpdateTitle();
  m_pFrame->UpdateCommandStates();
}
