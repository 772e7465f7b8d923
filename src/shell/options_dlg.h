// Tools > Options: how many trace records each reader's trace pane holds.
// The number is kept in the settings and taken at once by every open pane;
// the older text stays in the pane's spool, so Save Log still writes it.
#pragma once

#include <QDialog>

class QSpinBox;

class CTVROptionsDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CTVROptionsDlg(QWidget* parent = nullptr);

  QSpinBox* GetRecordLimit() const { return m_pRecordLimit; }

  void accept() override;

 private:
  QSpinBox* m_pRecordLimit;
};
