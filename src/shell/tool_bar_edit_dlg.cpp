#include "tool_bar_edit_dlg.h"

#include <algorithm>

#include <QAction>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "command_table.h"

CTVRToolBarEditDlg::CTVRToolBarEditDlg(const QString& caption, const std::vector<tvr::UINT>& buttons,
                                       std::function<QAction*(tvr::UINT)> actionOf, QWidget* parent)
    : QDialog(parent), m_ActionOf(std::move(actionOf)) {
  setWindowTitle(QStringLiteral("Edit Toolbar - %1").arg(caption));
  m_pCommands = new QListWidget(this);
  m_pButtons = new QListWidget(this);
  m_pCommands->addItem(MakeItem(0));
  for (const CTVRCommandInfo& info : CTVRCommandTable::GetCommands())
    if (info.m_szIcon != nullptr) m_pCommands->addItem(MakeItem(info.m_nID));
  for (tvr::UINT nID : buttons) m_pButtons->addItem(MakeItem(nID));
  m_pCommands->setCurrentRow(0);

  m_pAdd = new QPushButton(QStringLiteral("&Add >"), this);
  m_pRemove = new QPushButton(QStringLiteral("< &Remove"), this);
  m_pUp = new QPushButton(QStringLiteral("Move &Up"), this);
  m_pDown = new QPushButton(QStringLiteral("Move &Down"), this);
  auto* pMiddle = new QVBoxLayout;
  pMiddle->addStretch();
  for (QPushButton* pButton : {m_pAdd, m_pRemove, m_pUp, m_pDown}) pMiddle->addWidget(pButton);
  pMiddle->addStretch();
  auto* pGrid = new QGridLayout;
  pGrid->addWidget(new QLabel(QStringLiteral("Commands:"), this), 0, 0);
  pGrid->addWidget(new QLabel(QStringLiteral("Toolbar buttons:"), this), 0, 2);
  pGrid->addWidget(m_pCommands, 1, 0);
  pGrid->addLayout(pMiddle, 1, 1);
  pGrid->addWidget(m_pButtons, 1, 2);
  auto* pBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  pBox->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  pBox->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
  connect(pBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(pBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* pLayout = new QVBoxLayout(this);
  pLayout->addLayout(pGrid);
  pLayout->addWidget(pBox);
  resize(600, 460);

  connect(m_pAdd, &QPushButton::clicked, this, &CTVRToolBarEditDlg::OnAdd);
  connect(m_pCommands, &QListWidget::itemDoubleClicked, this, &CTVRToolBarEditDlg::OnAdd);
  connect(m_pRemove, &QPushButton::clicked, this, &CTVRToolBarEditDlg::OnRemove);
  connect(m_pUp, &QPushButton::clicked, this, [this] { OnMove(-1); });
  connect(m_pDown, &QPushButton::clicked, this, [this] { OnMove(1); });
  connect(m_pButtons, &QListWidget::currentRowChanged, this, &CTVRToolBarEditDlg::UpdateButtons);
  connect(m_pCommands, &QListWidget::currentRowChanged, this, &CTVRToolBarEditDlg::UpdateButtons);
  UpdateButtons();
}

QListWidgetItem* CTVRToolBarEditDlg::MakeItem(tvr::UINT nID) const {
  auto* pItem = new QListWidgetItem;
  pItem->setData(Qt::UserRole, nID);
  QAction* pAction = nID != 0 && m_ActionOf ? m_ActionOf(nID) : nullptr;
  if (pAction == nullptr) {
    pItem->setText(nID == 0 ? QString::fromLatin1(SEPARATOR_TEXT) : QString::number(nID));
    return pItem;
  }
  pItem->setIcon(pAction->icon());
  pItem->setText(pAction->toolTip());
  return pItem;
}

std::vector<tvr::UINT> CTVRToolBarEditDlg::GetButtons() const {
  std::vector<tvr::UINT> buttons;
  buttons.reserve(std::size_t(m_pButtons->count()));
  for (int i = 0; i < m_pButtons->count(); ++i) buttons.push_back(m_pButtons->item(i)->data(Qt::UserRole).toUInt());
  return buttons;
}

void CTVRToolBarEditDlg::OnAdd() {
  QListWidgetItem* pChosen = m_pCommands->currentItem();
  if (pChosen == nullptr) return;
  const tvr::UINT nID = pChosen->data(Qt::UserRole).toUInt();
  // A command is a button once per bar; separators as often as wanted.
  if (nID != 0) {
    for (tvr::UINT present : GetButtons())
      if (present == nID) return;
  }
  // After the selected button, or at the end.
  const int row = m_pButtons->currentRow() >= 0 ? m_pButtons->currentRow() + 1 : m_pButtons->count();
  m_pButtons->insertItem(row, MakeItem(nID));
  m_pButtons->setCurrentRow(row);
}

void CTVRToolBarEditDlg::OnRemove() {
  const int row = m_pButtons->currentRow();
  if (row < 0) return;
  delete m_pButtons->takeItem(row);
  m_pButtons->setCurrentRow(std::min(row, m_pButtons->count() - 1));
  UpdateButtons();
}

void CTVRToolBarEditDlg::OnMove(int step) {
  const int row = m_pButtons->currentRow();
  const int to = row + step;
  if (row < 0 || to < 0 || to >= m_pButtons->count()) return;
  QListWidgetItem* pItem = m_pButtons->takeItem(row);
  m_pButtons->insertItem(to, pItem);
  m_pButtons->setCurrentRow(to);
}

void CTVRToolBarEditDlg::UpdateButtons() {
  const int row = m_pButtons->currentRow();
  m_pAdd->setEnabled(m_pCommands->currentItem() != nullptr);
  m_pRemove->setEnabled(row >= 0);
  m_pUp->setEnabled(row > 0);
  m_pDown->setEnabled(row >= 0 && row + 1 < m_pButtons->count());
}
