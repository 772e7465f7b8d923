#include "board_settings_dlg.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "board_doc_texts.h"
#include "contract/host_context.h"
#include "document/board_doc_private.h"
#include "document/plugin_guard.h"
#include "platform/user_prompts.h"

using namespace tvr_doc_texts;

namespace {

CTVRBoardSettingsDlg::ShowHook& Hook() {
  static CTVRBoardSettingsDlg::ShowHook hook;
  return hook;
}

// A whole decimal number and nothing else (spaces around it allowed).
bool ParseNumber(const std::string& text, std::int64_t& value) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return false;
  const std::string trimmed = text.substr(first, text.find_last_not_of(' ') - first + 1);
  errno = 0;
  char* end = nullptr;
  const long long n = std::strtoll(trimmed.c_str(), &end, 10);
  if (errno != 0 || end == trimmed.c_str() || end != trimmed.c_str() + trimmed.size()) return false;
  value = n;
  return true;
}

}  // namespace

void CTVRBoardSettingsDlg::SetShowHook(ShowHook hook) {
  Hook() = std::move(hook);
}

void CTVRBoardSettingsDlg::DoModal() {
  Open();
  if (Hook()) Hook()(*this);
}

CTVRBoardSettingsDlg::~CTVRBoardSettingsDlg() {
  CTVRBoardSettingsDlg*& pOpen = CTVRBoardDocPrivate::Of(m_Doc).m_pOpenSettings;
  if (pOpen == this) pOpen = nullptr;
}

void CTVRBoardSettingsDlg::Open() {
  CTVRBoardDocPrivate::Of(m_Doc).m_pOpenSettings = this;
  m_Settings.clear();
  if (!CTVRPluginGuard::Call(m_Doc, CTVRPluginGuard::SETTINGS, [this] { m_Doc.GetSettings(m_Settings); }))
    m_Settings.clear();
  m_Values.clear();
  for (CTVRBoardSetting& setting : m_Settings) {
    if (setting.m_eKind == CTVRBoardSetting::SETTING_CHOICE && !setting.m_strValue.empty() &&
        std::find(setting.m_Choices.begin(), setting.m_Choices.end(), setting.m_strValue) == setting.m_Choices.end())
      setting.m_Choices.insert(setting.m_Choices.begin(), setting.m_strValue);
    m_Values.push_back(setting.m_strValue);
  }
}

void CTVRBoardSettingsDlg::OnSettingsChanged() {
  if (m_Refresh)
    m_Refresh();
  else
    Reload();
}

void CTVRBoardSettingsDlg::Reload() {
  std::vector<std::pair<std::string, std::string>> edited;
  for (std::size_t i = 0; i < m_Settings.size(); ++i)
    if (m_Values[i] != m_Settings[i].m_strValue) edited.emplace_back(m_Settings[i].m_strName, m_Values[i]);
  Open();
  for (const auto& [name, value] : edited)
    for (std::size_t i = 0; i < m_Settings.size(); ++i) {
      CTVRBoardSetting& setting = m_Settings[i];
      if (setting.m_strName != name) continue;
      m_Values[i] = value;
      if (setting.m_eKind == CTVRBoardSetting::SETTING_CHOICE && !value.empty() &&
          std::find(setting.m_Choices.begin(), setting.m_Choices.end(), value) == setting.m_Choices.end())
        setting.m_Choices.insert(setting.m_Choices.begin(), value);
    }
}

std::string CTVRBoardSettingsDlg::GetCaption() const {
  return kSettingsCaption + m_Doc.GetTitle();
}

void CTVRBoardSettingsDlg::SetValue(std::size_t index, const std::string& value) {
  if (index < m_Values.size()) m_Values[index] = value;
}

const std::string& CTVRBoardSettingsDlg::GetValue(std::size_t index) const {
  static const std::string none;
  return index < m_Values.size() ? m_Values[index] : none;
}

tvr::BOOL CTVRBoardSettingsDlg::OnOK() {
  for (std::size_t i = 0; i < m_Settings.size(); ++i) {
    CTVRBoardSetting& setting = m_Settings[i];
    std::string value = m_Values[i];
    if (setting.m_eKind == CTVRBoardSetting::SETTING_NUMBER) {
      std::int64_t n = 0;
      if (!ParseNumber(value, n) || n < setting.m_nMin || n > setting.m_nMax) {
        CTVRBoardDocPrivate::Of(m_Doc).GetHostContext()->Prompts().MessageBox(
            setting.m_strLabel + kSettingNumberRange + std::to_string(setting.m_nMin) + kSettingNumberTo +
            std::to_string(setting.m_nMax) + ".");
        return FALSE;
      }
      value = std::to_string(n);
    }
    if (value == setting.m_strValue) continue;
    BOOL taken = FALSE;
    if (!CTVRPluginGuard::Call(m_Doc, CTVRPluginGuard::SETTINGS,
                               [&] { taken = m_Doc.SetSetting(setting.m_strName, value); }))
      return FALSE;
    if (!taken) {
      CTVRBoardDocPrivate::Of(m_Doc).GetHostContext()->Prompts().MessageBox(setting.m_strLabel + kSettingRefused +
                                                                            value + "\".");
      return FALSE;
    }
    setting.m_strValue = value;
  }
  return TRUE;
}
