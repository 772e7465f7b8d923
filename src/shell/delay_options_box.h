// The widgets of the Delay Options dialog over its logic (CTVRDelayOptionsDlg):
// "Command Delay", "Delay (mSec) :", the "ESM DSR-TX Delay" group and "Free
// Reception Mode".
#pragma once

#include <QDialog>

class CTVRDelayOptionsDlg;
class QCheckBox;
class QLineEdit;

class CTVRDelayOptionsBox : public QDialog {
  Q_OBJECT

 public:
  CTVRDelayOptionsBox(CTVRDelayOptionsDlg& logic, QWidget* parent = nullptr);

  // Installs the box as the way the document's Delay Options command is shown.
  static void Install(QWidget* parent);

  QCheckBox* GetCommandDelay() const { return m_pCommandDelay; }
  QCheckBox* GetFreeReception() const { return m_pFreeReception; }
  QLineEdit* GetDelay() const { return m_pDelay; }
  QLineEdit* GetDsrTxDelay() const { return m_pDsrTxDelay; }

  void accept() override;
  void reject() override;

 private:
  void ToLogic();
  void FromLogic();

  CTVRDelayOptionsDlg& m_Logic;
  QCheckBox* m_pCommandDelay;
  QCheckBox* m_pFreeReception;
  QLineEdit* m_pDelay;
  QLineEdit* m_pDsrTxDelay;
};
