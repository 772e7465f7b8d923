#include "command_setting_box.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

CTVRCommandSettingBox::CTVRCommandSettingBox(CTVRCommandSettingDlg& logic, QWidget* parent)
    : QDialog(parent), m_Logic(logic) {
  setWindowTitle(QStringLiteral("Command Setting"));
  setObjectName(QStringLiteral("CommandSetting"));
  setWhatsThis(QStringLiteral("Manual Command Setting"));
  auto* pLayout = new QVBoxLayout(this);
  for (int n = 0; n < CTVRCommandSettingDlg::COMMAND_COUNT; ++n) {
    auto* pGroup = new QGroupBox(QStringLiteral("Command %1").arg(n + 1), this);
    auto* pEdit = new QLineEdit(pGroup);
    pEdit->setObjectName(QStringLiteral("Edit%1").arg(CTVRCommandSettingDlg::FIRST_EDIT_ID + tvr::UINT(n)));
    pEdit->setMinimumWidth(pEdit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 48);
    pEdit->setText(QString::fromStdString(m_Logic.GetEditText(n)));
    // The field turns what is typed into upper case, keeping the caret where it was.
    connect(pEdit, &QLineEdit::textEdited, pEdit, [pEdit](const QString& text) {
      const QString upper = text.toUpper();
      if (upper == text) return;
      const int caret = pEdit->cursorPosition();
      pEdit->setText(upper);
      pEdit->setCursorPosition(caret);
    });
    auto* pGroupLayout = new QVBoxLayout(pGroup);
    pGroupLayout->addWidget(pEdit);
    pLayout->addWidget(pGroup);
    m_Edits[n] = pEdit;
  }
  auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  pButtons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  pButtons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
  connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  pLayout->addWidget(pButtons);
}

void CTVRCommandSettingBox::Install(QWidget* parent) {
  QPointer<QWidget> pParent(parent);
  CTVRCommandSettingDlg::SetShowHook([pParent](CTVRCommandSettingDlg& logic) {
    CTVRCommandSettingBox box(logic, pParent);
    box.exec();
  });
}

void CTVRCommandSettingBox::accept() {
  for (int n = 0; n < CTVRCommandSettingDlg::COMMAND_COUNT; ++n)
    m_Logic.SetEditText(n, m_Edits[n]->text().toStdString());
  m_Logic.OnOK();
  QDialog::accept();
}

void CTVRCommandSettingBox::reject() {
  m_Logic.OnCancel();
  QDialog::reject();
}
