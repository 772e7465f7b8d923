#include "crypto_settings_box.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/user_prompts.h"

CTVRCryptoSettingsBox::CTVRCryptoSettingsBox(CTVRUserPrompts& prompts, CTVRCryptoSettings& settings, QWidget* parent)
    : QDialog(parent), m_Prompts(prompts), m_Settings(settings) {
  setWindowTitle(QString::fromStdString(settings.m_strTitle));
  setObjectName(QStringLiteral("CypheringSettings"));
  auto* pForm = new QFormLayout;
  for (const CTVRCryptoSettings::CKey& key : settings.m_Keys) {
    auto* pEdit = new QLineEdit(QString::fromStdString(key.m_strValue), this);
    pEdit->setFont(QFont(QStringLiteral("Monospace")));
    pEdit->setMinimumWidth(pEdit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 50);
    pForm->addRow(QString::fromStdString(key.m_strLabel), pEdit);
    m_KeyEdits.push_back(pEdit);
  }
  auto* pLayout = new QVBoxLayout(this);
  pLayout->addLayout(pForm);
  if (!settings.m_strHint.empty()) {
    auto* pHint = new QLabel(QString::fromStdString(settings.m_strHint), this);
    pHint->setWordWrap(true);
    pLayout->addWidget(pHint);
  }
  if (!settings.m_strActivatedText.empty()) {
    m_pActivated = new QCheckBox(QString::fromStdString(settings.m_strActivatedText), this);
    m_pActivated->setChecked(settings.m_bActivated != FALSE);
    pLayout->addWidget(m_pActivated);
  }
  auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  pButtons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  pButtons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
  connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  pLayout->addWidget(pButtons);
}

void CTVRCryptoSettingsBox::accept() {
  // Nothing is taken until every key passes: a refused key keeps the window
  // open on it, the others as typed.
  for (std::size_t i = 0; i < m_KeyEdits.size(); ++i) {
    const std::string value = m_KeyEdits[i]->text().toStdString();
    const std::string problem = m_Settings.m_CheckKey ? m_Settings.m_CheckKey(i, value) : std::string();
    if (!problem.empty()) {
      m_Prompts.MessageBox(problem);
      m_KeyEdits[i]->setFocus();
      m_KeyEdits[i]->selectAll();
      return;
    }
  }
  for (std::size_t i = 0; i < m_KeyEdits.size(); ++i)
    m_Settings.m_Keys[i].m_strValue = m_KeyEdits[i]->text().toStdString();
  if (m_pActivated != nullptr) m_Settings.m_bActivated = m_pActivated->isChecked() ? TRUE : FALSE;
  QDialog::accept();
}
