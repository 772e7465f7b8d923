// The Delay Options dialog without its widgets: the values of its four
// controls and what opening, the "Command Delay" check box, OK and Cancel do
// with the document's delay options. The desktop program shows it through the
// show hook; with no hook installed (runner, tests) showing it does nothing.
#pragma once

#include <functional>
#include <string>

#include <tavric/board_doc.h>

class CTVRDelayOptionsDlg {
 public:
  // Runs the dialog modally: called after Open(), it ends with OnOK() or OnCancel().
  using ShowHook = std::function<void(CTVRDelayOptionsDlg&)>;

  explicit CTVRDelayOptionsDlg(CTVRDelayOptions& options) : m_Options(options) {}

  static void SetShowHook(ShowHook hook);

  // Open(), then the show hook when there is one.
  void DoModal();

  // The controls show the record; the two check boxes are remembered for Cancel.
  void Open();
  // After the user toggled "Command Delay": every control is read into the
  // record, and the delay field follows the check box.
  void OnCommandDelayClicked();
  void OnOK();
  // The check boxes go back to their values at opening; the numbers keep what
  // the last read from the controls gave them.
  void OnCancel();

  tvr::BOOL IsDelayEditEnabled() const { return m_bDelayEditEnabled; }

  // The edit fields take digits only; anything else typed is dropped.
  void SetDelayText(const std::string& text) { m_strDelay = DigitsOnly(text); }
  void SetDsrTxDelayText(const std::string& text) { m_strDsrTxDelay = DigitsOnly(text); }
  const std::string& GetDelayText() const { return m_strDelay; }
  const std::string& GetDsrTxDelayText() const { return m_strDsrTxDelay; }

  // Control values: "Command Delay" and "Free Reception Mode".
  tvr::BOOL m_bCommandDelay = FALSE;
  tvr::BOOL m_bFreeReception = FALSE;

 private:
  static std::string DigitsOnly(const std::string& text);
  static tvr::DWORD ToNumber(const std::string& digits);
  void ReadControls();

  CTVRDelayOptions& m_Options;
  std::string m_strDelay;
  std::string m_strDsrTxDelay;
  tvr::BOOL m_bDelayEditEnabled = FALSE;
  tvr::BOOL m_bOpenCommandDelay = FALSE;
  tvr::BOOL m_bOpenFreeReception = FALSE;
};
