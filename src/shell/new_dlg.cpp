#include "new_dlg.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CTVRNewDlg::CTVRNewDlg(CTVRNewDocumentChooser& chooser, QWidget* parent) : QDialog(parent), m_Chooser(chooser) {
  setWindowTitle(QStringLiteral("New"));
  m_pList = new QListWidget(this);
  for (const auto& entry : m_Chooser.GetEntries()) m_pList->addItem(QString::fromLocal8Bit(entry.m_strName.c_str()));
  m_pList->setCurrentRow(m_Chooser.GetSelected());
  auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
  pButtons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  pButtons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
  pButtons->button(QDialogButtonBox::Help)->setText(QStringLiteral("&Help"));
  pButtons->button(QDialogButtonBox::Help)->setEnabled(false);
  connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_pList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  auto* pLayout = new QVBoxLayout(this);
  pLayout->addWidget(m_pList);
  pLayout->addWidget(pButtons);
}

void CTVRNewDlg::accept() {
  if (!m_Chooser.OnOK(m_pList->currentRow())) return;
  QDialog::accept();
}

void CTVRNewDlg::reject() {
  m_Chooser.OnCancel();
  QDialog::reject();
}
