// What the program asks of the user, as dialogs of the desktop program.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/user_prompts.h"

class CTVRWidgetPrompts : public CTVRUserPrompts {
 public:
  // The boxes are modal to this window (the main window), or free without one.
  explicit CTVRWidgetPrompts(QWidget* pParent = nullptr) : m_pParent(pParent) {}
  void SetParent(QWidget* pParent) { m_pParent = pParent; }

  void MessageBox(const std::string& text) override;
  tvr::BOOL AskYesNo(const std::string& text) override;
  tvr::BOOL AskYesNoWarning(const std::string& text) override;
  EAnswer AskYesNoCancel(const std::string& text) override;
  void MessageBeep(tvr::UINT type) override;
  tvr::BOOL AskSaveFileName(const std::string& defaultExt, const std::string& initialName, const std::string& filter,
                            std::string& chosen) override;
  tvr::BOOL AskOpenFileName(const std::string& defaultExt, const std::string& initialName, const std::string& filter,
                            std::string& chosen) override;
  tvr::BOOL EditCryptoSettings(CTVRCryptoSettings& settings) override;

 private:
  QPointer<QWidget> m_pParent;
};
