#include "board_settings_box.h"

#include <algorithm>
#include <limits>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "dialog_buttons.h"
#include "document/board_settings_dlg.h"

namespace {

int Clamp(std::int64_t n) {
  return int(std::max<std::int64_t>(std::numeric_limits<int>::min(),
                                    std::min<std::int64_t>(std::numeric_limits<int>::max(), n)));
}

}  // namespace

CTVRBoardSettingsBox::CTVRBoardSettingsBox(CTVRBoardSettingsDlg& logic, QWidget* parent)
    : QDialog(parent), m_Logic(logic) {
  setWindowTitle(QString::fromStdString(logic.GetCaption()));
  auto* pForm = new QFormLayout;
  const std::vector<CTVRBoardSetting>& settings = logic.GetSettings();
  for (std::size_t i = 0; i < settings.size(); ++i) {
    const CTVRBoardSetting& setting = settings[i];
    const QString value = QString::fromStdString(logic.GetValue(i));
    QWidget* pField = nullptr;
    switch (setting.m_eKind) {
      case CTVRBoardSetting::SETTING_CHOICE: {
        auto* pCombo = new QComboBox(this);
        for (const std::string& choice : setting.m_Choices) pCombo->addItem(QString::fromStdString(choice));
        const int at = pCombo->findText(value, Qt::MatchExactly);
        if (at >= 0) pCombo->setCurrentIndex(at);
        pField = pCombo;
        break;
      }
      case CTVRBoardSetting::SETTING_NUMBER: {
        // QSpinBox counts in int; the logic checks the board's own bounds on OK.
        auto* pSpin = new QSpinBox(this);
        pSpin->setRange(Clamp(setting.m_nMin), Clamp(setting.m_nMax));
        bool ok = false;
        const qlonglong n = value.toLongLong(&ok);
        pSpin->setValue(ok ? Clamp(n) : pSpin->minimum());
        pField = pSpin;
        break;
      }
      case CTVRBoardSetting::SETTING_TEXT:
        pField = new QLineEdit(value, this);
        break;
    }
    pField->setObjectName(QString::fromStdString(setting.m_strName));
    pForm->addRow(QString::fromStdString(setting.m_strLabel), pField);
    if (!setting.m_strHint.empty()) {
      auto* pHint = new QLabel(QString::fromStdString(setting.m_strHint), this);
      pHint->setWordWrap(true);
      pForm->addRow(QString(), pHint);
    }
    m_Fields.push_back(pField);
  }

  QDialogButtonBox* pButtons = TVROkCancelButtons(this);

  auto* pLayout = new QVBoxLayout(this);
  pLayout->addLayout(pForm);
  pLayout->addWidget(pButtons);
  logic.SetRefreshHook([this] { Refill(); });
}

CTVRBoardSettingsBox::~CTVRBoardSettingsBox() {
  m_Logic.SetRefreshHook(nullptr);
}

void CTVRBoardSettingsBox::Refill() {
  ToLogic();
  m_Logic.Reload();
  const std::vector<CTVRBoardSetting>& settings = m_Logic.GetSettings();
  for (std::size_t i = 0; i < m_Fields.size() && i < settings.size(); ++i) {
    auto* pCombo = qobject_cast<QComboBox*>(m_Fields[i]);
    if (pCombo == nullptr) continue;
    pCombo->clear();
    for (const std::string& choice : settings[i].m_Choices) pCombo->addItem(QString::fromStdString(choice));
    const int at = pCombo->findText(QString::fromStdString(m_Logic.GetValue(i)), Qt::MatchExactly);
    if (at >= 0) pCombo->setCurrentIndex(at);
  }
}

void CTVRBoardSettingsBox::Install(QWidget* parent) {
  QPointer<QWidget> pParent(parent);
  CTVRBoardSettingsDlg::SetShowHook([pParent](CTVRBoardSettingsDlg& logic) {
    CTVRBoardSettingsBox box(logic, pParent);
    box.exec();
  });
}

void CTVRBoardSettingsBox::ToLogic() {
  for (std::size_t i = 0; i < m_Fields.size(); ++i) {
    QWidget* pField = m_Fields[i];
    QString text;
    if (auto* pCombo = qobject_cast<QComboBox*>(pField))
      text = pCombo->currentText();
    else if (auto* pSpin = qobject_cast<QSpinBox*>(pField))
      text = QString::number(pSpin->value());
    else if (auto* pEdit = qobject_cast<QLineEdit*>(pField))
      text = pEdit->text();
    m_Logic.SetValue(i, text.toStdString());
  }
}

void CTVRBoardSettingsBox::accept() {
  ToLogic();
  // A value the board refuses keeps the window open; the logic said why.
  if (m_Logic.OnOK()) QDialog::accept();
}

void CTVRBoardSettingsBox::reject() {
  m_Logic.OnCancel();
  QDialog::reject();
}
