#include "customize_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include "command_table.h"
#include "main_frame.h"
#include "tool_bar_edit_dlg.h"
#include "user_tools_menu.h"
#include "user_tools_page.h"

CTVRCustomizeDlg::CTVRCustomizeDlg(CMainFrame& frame, CTVRUserToolsMenu& tools, QWidget* parent)
    : QDialog(parent), m_Frame(frame), m_Tools(tools) {
  setWindowTitle(QStringLiteral("Customize"));
  m_pTabs = new QTabWidget(this);

  auto* pBarsPage = new QWidget(m_pTabs);
  m_pBars = new QListWidget(pBarsPage);
  for (const CTVRToolBarInfo& info : CTVRCommandTable::GetToolBars()) {
    QToolBar* pBar = frame.GetToolBar(info.m_nID);
    auto* pItem = new QListWidgetItem(pBar->windowTitle(), m_pBars);
    pItem->setData(Qt::UserRole, info.m_nID);
    pItem->setCheckState(pBar->isVisible() ? Qt::Checked : Qt::Unchecked);
  }
  m_pBars->setCurrentRow(0);
  connect(m_pBars, &QListWidget::itemChanged, this, [this](QListWidgetItem* pItem) {
    m_Frame.GetToolBar(pItem->data(Qt::UserRole).toUInt())->setVisible(pItem->checkState() == Qt::Checked);
  });
  m_pReset = new QPushButton(QStringLiteral("&Reset"), pBarsPage);
  m_pEdit = new QPushButton(QStringLiteral("&Edit..."), pBarsPage);
  connect(m_pReset, &QPushButton::clicked, this, [this] {
    if (QListWidgetItem* pItem = m_pBars->currentItem()) m_Frame.ResetToolBar(pItem->data(Qt::UserRole).toUInt());
  });
  connect(m_pEdit, &QPushButton::clicked, this, &CTVRCustomizeDlg::OnEdit);
  connect(m_pBars, &QListWidget::itemDoubleClicked, this, &CTVRCustomizeDlg::OnEdit);
  auto* pBarButtons = new QVBoxLayout;
  pBarButtons->addWidget(m_pReset);
  pBarButtons->addWidget(m_pEdit);
  pBarButtons->addStretch();
  auto* pBarsRow = new QHBoxLayout;
  pBarsRow->addWidget(m_pBars, 1);
  pBarsRow->addLayout(pBarButtons);
  auto* pBarsLayout = new QVBoxLayout(pBarsPage);
  pBarsLayout->addWidget(new QLabel(QStringLiteral("Toolbars:"), pBarsPage));
  pBarsLayout->addLayout(pBarsRow);
  m_pTabs->addTab(pBarsPage, QStringLiteral("Toolbars"));

  m_pToolsPage = new CTVRUserToolsPage(m_pTabs);
  m_pToolsPage->SetTools(tools.GetList().GetTools());
  m_pTabs->addTab(m_pToolsPage, QStringLiteral("Tools"));

  auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  pButtons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Close"));
  connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* pLayout = new QVBoxLayout(this);
  pLayout->addWidget(m_pTabs);
  pLayout->addWidget(pButtons);
  resize(520, 400);
}

void CTVRCustomizeDlg::SetPage(EPage page) {
  m_pTabs->setCurrentIndex(page == PAGE_TOOLS ? 1 : 0);
}

void CTVRCustomizeDlg::OnEdit() {
  QListWidgetItem* pItem = m_pBars->currentItem();
  if (pItem == nullptr) return;
  const tvr::UINT nID = pItem->data(Qt::UserRole).toUInt();
  CTVRToolBarEditDlg editor(
      pItem->text(), m_Frame.GetToolBarButtons(nID), [this](tvr::UINT command) { return m_Frame.GetAction(command); },
      this);
  if (editor.exec() == QDialog::Accepted) m_Frame.SetToolBarButtons(nID, editor.GetButtons());
}

void CTVRCustomizeDlg::done(int result) {
  // The tools are stored only when they changed.
  std::vector<CTVRUserTool> tools = m_pToolsPage->GetTools();
  if (tools != m_Tools.GetList().GetTools()) m_Tools.SetTools(tools);
  QDialog::done(result);
}
