// The Command Setting dialog without its widgets: the five edit fields over
// the document's quick commands, what OK and Cancel do with them. The desktop
// program shows it through the show hook; with no hook installed (runner,
// tests) showing it does nothing.
#pragma once

#include <array>
#include <functional>
#include <string>

#include <tavric/types.h>

class CTVRCommandSettingDlg {
 public:
  static constexpr int COMMAND_COUNT = 5;
  // Edit field of Command n: FIRST_EDIT_ID + n - 1.
  static constexpr tvr::UINT FIRST_EDIT_ID = 1057;
  static constexpr tvr::UINT DIALOG_ID = 182;

  // Runs the dialog modally: called after Open(), it ends with OnOK() or OnCancel().
  using ShowHook = std::function<void(CTVRCommandSettingDlg&)>;

  // Over the committed texts of a document (its m_strQuickCommands).
  explicit CTVRCommandSettingDlg(std::string (&commands)[COMMAND_COUNT]) : m_Commands(commands) {}

  static void SetShowHook(ShowHook hook);

  // Open(), then the show hook when there is one.
  void DoModal();

  // The edit fields show the committed texts.
  void Open();
  // What is typed into field n (0 to 4), upper-cased as the fields do.
  void SetEditText(int n, const std::string& text);
  const std::string& GetEditText(int n) const;
  // Every committed text := its field.
  void OnOK();
  // The fields go back to the committed texts; nothing changes.
  void OnCancel();

 private:
  std::string (&m_Commands)[COMMAND_COUNT];
  std::array<std::string, COMMAND_COUNT> m_Edits;
};
