// The board settings window without its widgets: the board's description of
// its settings, the values the user edits, and what OK and Cancel do with
// them. The desktop program shows it through the show hook, one field per
// setting; with no hook installed (runner, tests) showing it does nothing.
// From Open() to its end it is the document's open settings window: when the
// board says its settings changed (a reader plugged in), it asks again.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <tavric/board_doc.h>

class CTVRBoardSettingsDlg {
 public:
  // Runs the window modally: called after Open(), it ends with OnOK()
  // returning TRUE, or with OnCancel().
  using ShowHook = std::function<void(CTVRBoardSettingsDlg&)>;

  // What shows the window refreshes its fields in it (see OnSettingsChanged).
  using RefreshHook = std::function<void()>;

  explicit CTVRBoardSettingsDlg(CTVRBoardDoc& doc) : m_Doc(doc) {}
  ~CTVRBoardSettingsDlg();
  CTVRBoardSettingsDlg(const CTVRBoardSettingsDlg&) = delete;
  CTVRBoardSettingsDlg& operator=(const CTVRBoardSettingsDlg&) = delete;

  static void SetShowHook(ShowHook hook);

  // Open(), then the show hook when there is one.
  void DoModal();

  // Asks the board for its settings, lists of choices filled now; a choice
  // whose current value is not in its list gets it added first, so that
  // opening and OK change nothing.
  void Open();
  // The window's caption: "Settings of " and the document's title.
  std::string GetCaption() const;
  const std::vector<CTVRBoardSetting>& GetSettings() const { return m_Settings; }
  // What the field of setting `index` holds now; an index out of range is ignored.
  void SetValue(std::size_t index, const std::string& value);
  const std::string& GetValue(std::size_t index) const;
  // Every value that differs from the board's goes to SetSetting. A number
  // outside its bounds, or a value the board refuses, is said in a message
  // box and the window stays open (FALSE); values already taken stay taken.
  tvr::BOOL OnOK();
  // Nothing reaches the board.
  void OnCancel() {}

  // The board's settings changed: the refresh hook when the window is shown
  // (it hands its fields' values over first, then calls Reload), else Reload.
  void OnSettingsChanged();
  void SetRefreshHook(RefreshHook hook) { m_Refresh = std::move(hook); }
  // Asks the board again: lists of choices and values it holds now, while a
  // value edited in the window stays as it is (and among the choices).
  void Reload();

 private:
  CTVRBoardDoc& m_Doc;
  std::vector<CTVRBoardSetting> m_Settings;  // as the board described them
  std::vector<std::string> m_Values;         // as the fields hold them
  RefreshHook m_Refresh;
};
