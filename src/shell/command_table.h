// The commands the main window offers: identifier, string-table text (status
// prompt, then the tooltip after "\n"), menu text, image and keys; and the
// nine toolbars with their buttons in order. One table, so a menu item, a
// toolbar button and a key of the same command can never disagree.
#pragma once

#include <string>
#include <vector>

#include <tavric/types.h>

struct CTVRCommandInfo {
  tvr::UINT m_nID;
  const char* m_szText;      // "prompt\ntooltip", or "" for none
  const char* m_szMenuText;  // with its '&' mnemonic; null: the tooltip serves
  const char* m_szIcon;      // resource name under ":/icons/", or null
  const char* m_szKeys;      // QKeySequence texts separated by ';', or null
};

struct CTVRToolBarInfo {
  tvr::UINT m_nID;                   // also the command that shows or hides it
  const char* m_szCaption;           // the bar's window caption
  const char* m_szListText;          // its item in the toolbar list menu
  std::vector<tvr::UINT> m_Buttons;  // 0 is a separator
};

class CTVRCommandTable {
 public:
  // Null for an unknown identifier.
  static const CTVRCommandInfo* Find(tvr::UINT nID);
  static const std::vector<CTVRCommandInfo>& GetCommands();
  // In creation order: Standard, Script, Protocol, Command, Loopback,
  // Synchrone, Mode, Standard Script, Select Card.
  static const std::vector<CTVRToolBarInfo>& GetToolBars();
  // The status-line prompt (text before "\n") and the tooltip (after it; the
  // whole text when there is no "\n").
  static std::string GetPrompt(tvr::UINT nID);
  static std::string GetToolTip(tvr::UINT nID);
};

// Identifiers the frame handles itself (the document's own, Open and New Script
// File among them, come from the SDK header).
namespace tvr_cmd {
constexpr tvr::UINT ID_FILE_NEW = 57600;
constexpr tvr::UINT ID_FILE_CLOSE = 57602;
constexpr tvr::UINT ID_FILE_PRINT_SETUP = 57606;
constexpr tvr::UINT ID_FILE_MRU_FIRST = 57616;
constexpr tvr::UINT ID_FILE_MRU_LAST = 57631;
constexpr tvr::UINT ID_APP_ABOUT = 57664;
constexpr tvr::UINT ID_APP_EXIT = 57665;
constexpr tvr::UINT ID_VIEW_TOOLBAR = 59392;
constexpr tvr::UINT ID_VIEW_STATUS_BAR = 59393;
constexpr tvr::UINT ID_VIEW_CUSTOMIZE = 32800;
constexpr tvr::UINT ID_VIEW_CARD_PARAMS = 32803;
constexpr tvr::UINT ID_VIEW_TIMING = 32870;      // the trace panes' time column
constexpr tvr::UINT ID_VIEW_STATISTICS = 32871;  // the round-trip times per script line
constexpr tvr::UINT ID_TOOLS_OPTIONS = 32816;
constexpr tvr::UINT ID_REGISTER_TOOL = 32858;
}  // namespace tvr_cmd
