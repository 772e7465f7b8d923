// What the program asks of the user. The desktop program shows dialogs; the
// runner writes the text to stderr as "tavric: <text>" and takes the default
// button; tests set a recorder with scripted answers. The prompts in force are
// the host context's (CTVRHostContext::Prompts).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <tavric/types.h>

class CTVRPromptSlot;
struct CTVRCryptoSettings;

class CTVRUserPrompts {
 public:
  virtual ~CTVRUserPrompts() = default;

  // A modal information box with an OK button.
  virtual void MessageBox(const std::string& text) = 0;
  // A question with Yes and No buttons; TRUE for Yes.
  virtual tvr::BOOL AskYesNo(const std::string& text) = 0;
  // The same question under a warning sign (a choice that loses something).
  // The base asks AskYesNo: prompts without icons ask it plainly.
  virtual tvr::BOOL AskYesNoWarning(const std::string& text) { return AskYesNo(text); }
  // A question with Yes, No and Cancel buttons (the save-modified question).
  // The base asks AskYesNo, so prompts that know no Cancel never give it.
  enum EAnswer { ANSWER_YES, ANSWER_NO, ANSWER_CANCEL };
  virtual EAnswer AskYesNoCancel(const std::string& text) { return AskYesNo(text) ? ANSWER_YES : ANSWER_NO; }
  virtual void MessageBeep(tvr::UINT type) = 0;
  // A save-file dialog; TRUE and the chosen path, or FALSE when cancelled.
  virtual tvr::BOOL AskSaveFileName(const std::string& defaultExt, const std::string& initialName,
                                    const std::string& filter, std::string& chosen) = 0;
  // An open-file dialog for an existing file.
  virtual tvr::BOOL AskOpenFileName(const std::string& defaultExt, const std::string& initialName,
                                    const std::string& filter, std::string& chosen) = 0;
  // The cyphering object's settings window; TRUE for OK. Without windows (the
  // base) the user is told the window's title and nothing changes.
  virtual tvr::BOOL EditCryptoSettings(CTVRCryptoSettings& settings);
};

// Text to stderr, default buttons: OK, Yes, and the initial name of a file dialog.
class CTVRHeadlessPrompts : public CTVRUserPrompts {
 public:
  void MessageBox(const std::string& text) override;
  tvr::BOOL AskYesNo(const std::string& text) override;
  void MessageBeep(tvr::UINT type) override;
  tvr::BOOL AskSaveFileName(const std::string& defaultExt, const std::string& initialName, const std::string& filter,
                            std::string& chosen) override;
  tvr::BOOL AskOpenFileName(const std::string& defaultExt, const std::string& initialName, const std::string& filter,
                            std::string& chosen) override;
};

// For tests: keeps every text and beep; answers from scripted lists (Yes and
// cancel when a list runs out).
class CTVRPromptRecorder : public CTVRUserPrompts {
 public:
  // Sets itself as the prompts of the slot (a host context) until destroyed.
  explicit CTVRPromptRecorder(CTVRPromptSlot& slot);
  ~CTVRPromptRecorder() override;
  CTVRPromptRecorder(const CTVRPromptRecorder&) = delete;
  CTVRPromptRecorder& operator=(const CTVRPromptRecorder&) = delete;

  void MessageBox(const std::string& text) override { m_Messages.push_back(text); }
  tvr::BOOL AskYesNo(const std::string& text) override;
  EAnswer AskYesNoCancel(const std::string& text) override;
  void MessageBeep(tvr::UINT type) override { m_Beeps.push_back(type); }
  tvr::BOOL AskSaveFileName(const std::string& defaultExt, const std::string& initialName, const std::string& filter,
                            std::string& chosen) override;
  tvr::BOOL AskOpenFileName(const std::string& defaultExt, const std::string& initialName, const std::string& filter,
                            std::string& chosen) override;

  std::vector<std::string> m_Messages;
  std::vector<std::string> m_Questions;
  std::vector<tvr::UINT> m_Beeps;
  std::vector<tvr::BOOL> m_YesNoAnswers;      // consumed from the front
  std::vector<EAnswer> m_YesNoCancelAnswers;  // consumed from the front; Yes when spent
  std::vector<std::string> m_FileAnswers;     // consumed from the front; "" means cancel
  std::vector<std::string> m_FileDialogInitialNames;
  // The settings windows asked for, and how the user answers them (Cancel
  // when there is no answer).
  tvr::BOOL EditCryptoSettings(CTVRCryptoSettings& settings) override;
  std::vector<std::string> m_CryptoSettingsTitles;
  std::function<tvr::BOOL(CTVRCryptoSettings&)> m_CryptoSettingsAnswer;

 private:
  CTVRPromptSlot& m_Slot;
  CTVRUserPrompts* m_pPrevious;
};
