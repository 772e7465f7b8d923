#include "platform/user_prompts.h"

#include <cstdio>

#include <tavric/crypto_settings.h>

#include "platform/prompt_slot.h"

namespace {

// Takes the front answer of a scripted list, or the fallback when it is spent.
template <typename T>
T TakeFront(std::vector<T>& answers, const T& fallback) {
  if (answers.empty()) return fallback;
  T answer = answers.front();
  answers.erase(answers.begin());
  return answer;
}

}  // namespace

CTVRPromptRecorder::CTVRPromptRecorder(CTVRPromptSlot& slot) : m_Slot(slot) {
  m_pPrevious = &slot.Prompts();
  slot.SetPrompts(this);
}

CTVRPromptRecorder::~CTVRPromptRecorder() {
  if (&m_Slot.Prompts() == this) m_Slot.SetPrompts(m_pPrevious);
}

// ---- Headless --------------------------------------------------------------

tvr::BOOL CTVRUserPrompts::EditCryptoSettings(CTVRCryptoSettings& settings) {
  MessageBox(settings.m_strTitle + ": its settings window is the desktop program's.");
  return FALSE;
}

tvr::BOOL CTVRPromptRecorder::EditCryptoSettings(CTVRCryptoSettings& settings) {
  m_CryptoSettingsTitles.push_back(settings.m_strTitle);
  return m_CryptoSettingsAnswer ? m_CryptoSettingsAnswer(settings) : FALSE;
}

void CTVRHeadlessPrompts::MessageBox(const std::string& text) {
  // One write per box, so texts from two threads do not interleave.
  std::string line = "tavric: " + text + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

tvr::BOOL CTVRHeadlessPrompts::AskYesNo(const std::string& text) {
  MessageBox(text);
  return TRUE;
}

// A headless run has no one at the keyboard to hear a beep, and a BEL in a
// captured log is noise: beeps are dropped.
void CTVRHeadlessPrompts::MessageBeep(tvr::UINT) {}

tvr::BOOL CTVRHeadlessPrompts::AskSaveFileName(const std::string&, const std::string& initialName, const std::string&,
                                               std::string& chosen) {
  // Nobody can type a name: with none offered, the dialog counts as cancelled.
  if (initialName.empty()) return FALSE;
  chosen = initialName;
  return TRUE;
}

tvr::BOOL CTVRHeadlessPrompts::AskOpenFileName(const std::string&, const std::string& initialName, const std::string&,
                                               std::string& chosen) {
  if (initialName.empty()) return FALSE;
  chosen = initialName;
  return TRUE;
}

// ---- Recorder --------------------------------------------------------------

tvr::BOOL CTVRPromptRecorder::AskYesNo(const std::string& text) {
  m_Questions.push_back(text);
  return TakeFront<tvr::BOOL>(m_YesNoAnswers, TRUE);
}

CTVRUserPrompts::EAnswer CTVRPromptRecorder::AskYesNoCancel(const std::string& text) {
  m_Questions.push_back(text);
  return TakeFront<EAnswer>(m_YesNoCancelAnswers, ANSWER_YES);
}

tvr::BOOL CTVRPromptRecorder::AskSaveFileName(const std::string&, const std::string& initialName, const std::string&,
                                              std::string& chosen) {
  m_FileDialogInitialNames.push_back(initialName);
  std::string answer = TakeFront<std::string>(m_FileAnswers, std::string());
  if (answer.empty()) return FALSE;
  chosen = answer;
  return TRUE;
}

tvr::BOOL CTVRPromptRecorder::AskOpenFileName(const std::string& defaultExt, const std::string& initialName,
                                              const std::string& filter, std::string& chosen) {
  return AskSaveFileName(defaultExt, initialName, filter, chosen);
}
