#include "delay_options_dlg.h"

#include <limits>

namespace {
CTVRDelayOptionsDlg::ShowHook& Hook() {
  static CTVRDelayOptionsDlg::ShowHook hook;
  return hook;
}
}  // namespace

void CTVRDelayOptionsDlg::SetShowHook(ShowHook hook) {
  Hook() = std::move(hook);
}

void CTVRDelayOptionsDlg::DoModal() {
  Open();
  if (Hook()) Hook()(*this);
}

void CTVRDelayOptionsDlg::Open() {
  m_bCommandDelay = m_Options.m_bCommandDelay;
  m_bFreeReception = m_Options.m_bFreeReception;
  m_strDelay = std::to_string(m_Options.m_dwCommandDelay);
  m_strDsrTxDelay = std::to_string(m_Options.m_dwDsrTxDelay);
  m_bDelayEditEnabled = m_bCommandDelay;
  m_bOpenCommandDelay = m_bCommandDelay;
  m_bOpenFreeReception = m_bFreeReception;
}

void CTVRDelayOptionsDlg::OnCommandDelayClicked() {
  ReadControls();
  m_bDelayEditEnabled = m_Options.m_bCommandDelay;
}

void CTVRDelayOptionsDlg::OnOK() {
  ReadControls();
}

void CTVRDelayOptionsDlg::OnCancel() {
  m_Options.m_bCommandDelay = m_bOpenCommandDelay;
  m_Options.m_bFreeReception = m_bOpenFreeReception;
}

void CTVRDelayOptionsDlg::ReadControls() {
  m_Options.m_bCommandDelay = m_bCommandDelay ? TRUE : FALSE;
  m_Options.m_bFreeReception = m_bFreeReception ? TRUE : FALSE;
  m_Options.m_dwCommandDelay = ToNumber(m_strDelay);
  m_Options.m_dwDsrTxDelay = ToNumber(m_strDsrTxDelay);
}

std::string CTVRDelayOptionsDlg::DigitsOnly(const std::string& text) {
  std::string digits;
  for (char c : text) {
    if (c >= '0' && c <= '9') digits += c;
  }
  return digits;
}

tvr::DWORD CTVRDelayOptionsDlg::ToNumber(const std::string& digits) {
  // An empty field reads as 0; a number too large for the field stops at the
  // largest value rather than wrapping round to a short delay.
  tvr::DWORD value = 0;
  for (char c : digits) {
    const tvr::DWORD digit = tvr::DWORD(c - '0');
    if (value > (std::numeric_limits<tvr::DWORD>::max() - digit) / 10) return std::numeric_limits<tvr::DWORD>::max();
    value = value * 10 + digit;
  }
  return value;
}
