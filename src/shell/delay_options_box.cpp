#include "delay_options_box.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "dialog_buttons.h"
#include "document/delay_options_dlg.h"

CTVRDelayOptionsBox::CTVRDelayOptionsBox(CTVRDelayOptionsDlg& logic, QWidget* parent)
    : QDialog(parent), m_Logic(logic) {
  setWindowTitle(QStringLiteral("Delay Options"));
  auto* pDigits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
  m_pCommandDelay = new QCheckBox(QStringLiteral("Command Delay"), this);
  m_pCommandDelay->setToolTip(QStringLiteral("Delay between two consecutive commands"));
  m_pDelay = new QLineEdit(this);
  m_pDelay->setValidator(pDigits);
  m_pDsrTxDelay = new QLineEdit(this);
  m_pDsrTxDelay->setValidator(pDigits);
  m_pFreeReception = new QCheckBox(QStringLiteral("Free Reception Mode"), this);

  auto* pDelayForm = new QFormLayout;
  pDelayForm->addRow(QStringLiteral("Delay (mSec) :"), m_pDelay);
  auto* pGroup = new QGroupBox(QStringLiteral("ESM DSR-TX Delay"), this);
  auto* pGroupForm = new QFormLayout(pGroup);
  pGroupForm->addRow(QStringLiteral("Delay  (for++) :"), m_pDsrTxDelay);

  QDialogButtonBox* pButtons = TVROkCancelButtons(this);
  connect(m_pCommandDelay, &QCheckBox::clicked, this, [this] {
    ToLogic();
    m_Logic.OnCommandDelayClicked();
    FromLogic();
  });

  auto* pLayout = new QVBoxLayout(this);
  pLayout->addWidget(m_pCommandDelay);
  pLayout->addLayout(pDelayForm);
  pLayout->addWidget(pGroup);
  pLayout->addWidget(m_pFreeReception);
  pLayout->addWidget(pButtons);
  FromLogic();
}

void CTVRDelayOptionsBox::Install(QWidget* parent) {
  QPointer<QWidget> pParent(parent);
  CTVRDelayOptionsDlg::SetShowHook([pParent](CTVRDelayOptionsDlg& logic) {
    CTVRDelayOptionsBox box(logic, pParent);
    box.exec();
  });
}

void CTVRDelayOptionsBox::ToLogic() {
  m_Logic.m_bCommandDelay = m_pCommandDelay->isChecked() ? TRUE : FALSE;
  m_Logic.m_bFreeReception = m_pFreeReception->isChecked() ? TRUE : FALSE;
  m_Logic.SetDelayText(m_pDelay->text().toStdString());
  m_Logic.SetDsrTxDelayText(m_pDsrTxDelay->text().toStdString());
}

void CTVRDelayOptionsBox::FromLogic() {
  m_pCommandDelay->setChecked(m_Logic.m_bCommandDelay != FALSE);
  m_pFreeReception->setChecked(m_Logic.m_bFreeReception != FALSE);
  m_pDelay->setText(QString::fromStdString(m_Logic.GetDelayText()));
  m_pDsrTxDelay->setText(QString::fromStdString(m_Logic.GetDsrTxDelayText()));
  m_pDelay->setEnabled(m_Logic.IsDelayEditEnabled() != FALSE);
}

void CTVRDelayOptionsBox::accept() {
  ToLogic();
  m_Logic.OnOK();
  QDialog::accept();
}

void CTVRDelayOptionsBox::reject() {
  m_Logic.OnCancel();
  QDialog::reject();
}
