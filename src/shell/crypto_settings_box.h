// The cyphering object's settings window: one edit field per key with its
// label, the hint saying what a key looks like, the deciphering check box,
// OK and Cancel. What it holds comes from the plug-in (CTVRCryptoSettings);
// OK checks every key first and stays open on one the plug-in refuses.
#pragma once

#include <vector>

#include <QDialog>

#include <tavric/crypto_settings.h>

class CTVRUserPrompts;
class QCheckBox;
class QLineEdit;

class CTVRCryptoSettingsBox : public QDialog {
  Q_OBJECT

 public:
  // A refused key is told through prompts.
  CTVRCryptoSettingsBox(CTVRUserPrompts& prompts, CTVRCryptoSettings& settings, QWidget* parent = nullptr);

  QLineEdit* GetKeyEdit(std::size_t key) const { return m_KeyEdits[key]; }
  // Null when the plug-in offers no deciphering.
  QCheckBox* GetActivated() const { return m_pActivated; }

  void accept() override;

 private:
  CTVRUserPrompts& m_Prompts;
  CTVRCryptoSettings& m_Settings;
  std::vector<QLineEdit*> m_KeyEdits;
  QCheckBox* m_pActivated = nullptr;
};
