#include "document/command_setting_dlg.h"

#include <cctype>

namespace {
CTVRCommandSettingDlg::ShowHook& Hook() {
  static CTVRCommandSettingDlg::ShowHook hook;
  return hook;
}
const std::string kNoText;
}  // namespace

void CTVRCommandSettingDlg::SetShowHook(ShowHook hook) {
  Hook() = std::move(hook);
}

void CTVRCommandSettingDlg::DoModal() {
  Open();
  if (Hook()) Hook()(*this);
}

void CTVRCommandSettingDlg::Open() {
  for (int i = 0; i < COMMAND_COUNT; ++i) m_Edits[i] = m_Commands[i];
}

void CTVRCommandSettingDlg::SetEditText(int n, const std::string& text) {
  if (n < 0 || n >= COMMAND_COUNT) return;
  std::string upper = text;
  for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
  m_Edits[n] = upper;
}

const std::string& CTVRCommandSettingDlg::GetEditText(int n) const {
  return n >= 0 && n < COMMAND_COUNT ? m_Edits[n] : kNoText;
}

void CTVRCommandSettingDlg::OnOK() {
  for (int i = 0; i < COMMAND_COUNT; ++i) m_Commands[i] = m_Edits[i];
}

void CTVRCommandSettingDlg::OnCancel() {
  for (int i = 0; i < COMMAND_COUNT; ++i) m_Edits[i] = m_Commands[i];
}
