// The one settings window of every board: a form built from the board's
// description of its settings (CTVRBoardSettingsDlg), a drop-down list for a
// choice, a number field for a number, a text field for free text.
#pragma once

#include <vector>

#include <QDialog>

class CTVRBoardSettingsDlg;

class CTVRBoardSettingsBox : public QDialog {
  Q_OBJECT

 public:
  CTVRBoardSettingsBox(CTVRBoardSettingsDlg& logic, QWidget* parent = nullptr);
  ~CTVRBoardSettingsBox() override;

  // Installs the box as the way a document's Settings command is shown.
  static void Install(QWidget* parent);

  // The field of each setting, in the board's order: a QComboBox, QSpinBox or QLineEdit.
  const std::vector<QWidget*>& GetFields() const { return m_Fields; }

  void accept() override;
  void reject() override;

 private:
  void ToLogic();
  // The board's settings changed while the box is open: the lists of
  // choices filled again, what the user chose kept.
  void Refill();

  CTVRBoardSettingsDlg& m_Logic;
  std::vector<QWidget*> m_Fields;
};
