// The widgets of the Command Setting dialog over its logic
// (CTVRCommandSettingDlg): five edit fields under the group boxes "Command 1"
// to "Command 5", OK and Cancel.
#pragma once

#include <array>

#include <QDialog>

#include "document/command_setting_dlg.h"

class QLineEdit;

class CTVRCommandSettingBox : public QDialog {
  Q_OBJECT

 public:
  CTVRCommandSettingBox(CTVRCommandSettingDlg& logic, QWidget* parent = nullptr);

  // Installs the box as the way the document's Command Setting command is shown.
  static void Install(QWidget* parent);

  // The edit field of Command n + 1 (n from 0 to 4).
  QLineEdit* GetEdit(int n) const { return m_Edits[n]; }

  void accept() override;
  void reject() override;

 private:
  CTVRCommandSettingDlg& m_Logic;
  std::array<QLineEdit*, CTVRCommandSettingDlg::COMMAND_COUNT> m_Edits{};
};
