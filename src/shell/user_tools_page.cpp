#include "user_tools_page.h"

#include <algorithm>

#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "user_tool_list.h"

CTVRUserToolsPage::CTVRUserToolsPage(QWidget* parent) : QWidget(parent) {
  m_pList = new QListWidget(this);
  m_pNew = new QPushButton(QStringLiteral("&New"), this);
  m_pDelete = new QPushButton(QStringLiteral("&Delete"), this);
  m_pUp = new QPushButton(QStringLiteral("Move &Up"), this);
  m_pDown = new QPushButton(QStringLiteral("Move D&own"), this);
  m_pName = new QLineEdit(this);
  m_pCommand = new QLineEdit(this);
  m_pArguments = new QLineEdit(this);
  m_pDirectory = new QLineEdit(this);
  auto* pBrowse = new QToolButton(this);
  pBrowse->setText(QStringLiteral("..."));
  pBrowse->setToolTip(QStringLiteral("Choose the program"));

  auto* pButtons = new QVBoxLayout;
  for (QPushButton* pButton : {m_pNew, m_pDelete, m_pUp, m_pDown}) pButtons->addWidget(pButton);
  pButtons->addStretch();
  auto* pTop = new QHBoxLayout;
  pTop->addWidget(m_pList, 1);
  pTop->addLayout(pButtons);
  auto* pCommandRow = new QHBoxLayout;
  pCommandRow->addWidget(m_pCommand, 1);
  pCommandRow->addWidget(pBrowse);
  auto* pForm = new QFormLayout;
  pForm->addRow(QStringLiteral("&Menu text:"), m_pName);
  // A row of two widgets gets no buddy of its own: the label names the field.
  auto* pCommandLabel = new QLabel(QStringLiteral("&Command:"), this);
  pCommandLabel->setBuddy(m_pCommand);
  pForm->addRow(pCommandLabel, pCommandRow);
  pForm->addRow(QStringLiteral("&Arguments:"), m_pArguments);
  pForm->addRow(QStringLiteral("&Initial directory:"), m_pDirectory);
  auto* pLayout = new QVBoxLayout(this);
  pLayout->addLayout(pTop, 1);
  pLayout->addLayout(pForm);

  connect(m_pNew, &QPushButton::clicked, this, &CTVRUserToolsPage::OnNew);
  connect(m_pDelete, &QPushButton::clicked, this, &CTVRUserToolsPage::OnDelete);
  connect(m_pUp, &QPushButton::clicked, this, [this] { OnMove(-1); });
  connect(m_pDown, &QPushButton::clicked, this, [this] { OnMove(1); });
  connect(pBrowse, &QToolButton::clicked, this, &CTVRUserToolsPage::OnBrowse);
  connect(m_pList, &QListWidget::currentRowChanged, this, &CTVRUserToolsPage::OnSelectionChanged);
  for (QLineEdit* pEdit : {m_pName, m_pCommand, m_pArguments, m_pDirectory})
    connect(pEdit, &QLineEdit::textChanged, this, &CTVRUserToolsPage::OnFieldEdited);
  Refill(-1);
}

void CTVRUserToolsPage::SetTools(const std::vector<CTVRUserTool>& tools) {
  m_Tools = tools;
  Refill(m_Tools.empty() ? -1 : 0);
}

void CTVRUserToolsPage::Refill(int select) {
  m_bFilling = true;
  m_pList->clear();
  for (const CTVRUserTool& tool : m_Tools) m_pList->addItem(tool.m_strName);
  m_bFilling = false;
  m_pList->setCurrentRow(select);
  OnSelectionChanged();
}

void CTVRUserToolsPage::OnNew() {
  if (int(m_Tools.size()) >= CTVRUserToolList::MAX_TOOLS) return;
  CTVRUserTool tool;
  tool.m_strName = QStringLiteral("Tool %1").arg(m_Tools.size() + 1);
  m_Tools.push_back(tool);
  Refill(int(m_Tools.size()) - 1);
  m_pCommand->setFocus();
}

void CTVRUserToolsPage::OnDelete() {
  const int row = m_pList->currentRow();
  if (row < 0 || row >= int(m_Tools.size())) return;
  m_Tools.erase(m_Tools.begin() + row);
  Refill(std::min(row, int(m_Tools.size()) - 1));
}

void CTVRUserToolsPage::OnMove(int step) {
  const int row = m_pList->currentRow();
  const int to = row + step;
  if (row < 0 || to < 0 || to >= int(m_Tools.size())) return;
  std::swap(m_Tools[row], m_Tools[to]);
  Refill(to);
}

void CTVRUserToolsPage::OnSelectionChanged() {
  if (m_bFilling) return;
  const int row = m_pList->currentRow();
  const bool selected = row >= 0 && row < int(m_Tools.size());
  m_bFilling = true;
  const CTVRUserTool none;
  const CTVRUserTool& tool = selected ? m_Tools[row] : none;
  m_pName->setText(tool.m_strName);
  m_pCommand->setText(tool.m_strCommand);
  m_pArguments->setText(tool.m_strArguments);
  m_pDirectory->setText(tool.m_strDirectory);
  for (QLineEdit* pEdit : {m_pName, m_pCommand, m_pArguments, m_pDirectory}) pEdit->setEnabled(selected);
  m_bFilling = false;
  UpdateButtons();
}

void CTVRUserToolsPage::OnFieldEdited() {
  if (m_bFilling) return;
  const int row = m_pList->currentRow();
  if (row < 0 || row >= int(m_Tools.size())) return;
  CTVRUserTool& tool = m_Tools[row];
  tool.m_strName = m_pName->text();
  tool.m_strCommand = m_pCommand->text();
  tool.m_strArguments = m_pArguments->text();
  tool.m_strDirectory = m_pDirectory->text();
  m_pList->item(row)->setText(tool.m_strName);
}

void CTVRUserToolsPage::OnBrowse() {
  const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Program"), m_pCommand->text());
  if (!path.isEmpty()) m_pCommand->setText(path);
}

void CTVRUserToolsPage::UpdateButtons() {
  const int row = m_pList->currentRow();
  const int count = int(m_Tools.size());
  m_pNew->setEnabled(count < CTVRUserToolList::MAX_TOOLS);
  m_pDelete->setEnabled(row >= 0);
  m_pUp->setEnabled(row > 0);
  m_pDown->setEnabled(row >= 0 && row + 1 < count);
}
