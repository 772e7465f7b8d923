// Command routing: a target with a table of command handlers and update
// handlers per command identifier, and the CmdUI record an update fills in.
#pragma once

#include <functional>
#include <string>
#include <unordered_map>

#include <tavric/types.h>

struct CTVRRuntimeClass;

// Notification codes of OnCmdMsg.
constexpr int CN_COMMAND = 0;             // run the command
constexpr int CN_UPDATE_COMMAND_UI = -1;  // pExtra is a CTVRCmdUI* to fill in
// Like CN_UPDATE_COMMAND_UI, but answered only by a target with an update
// handler of its own: a route of several targets asks this first, so that a
// later target's update handler wins over an earlier target that merely has
// the command.
constexpr int CN_UPDATE_HANDLER_ONLY = -2;

// State of one user-interface element (menu item, button, key) for a command.
class TVR_API CTVRCmdUI {
 public:
  explicit CTVRCmdUI(tvr::UINT id = 0) : m_nID(id) {}
  virtual ~CTVRCmdUI() = default;

  virtual void Enable(tvr::BOOL on = TRUE) {
    m_bEnabled = on;
    m_bEnableChanged = TRUE;
  }
  virtual void SetCheck(int check = 1) { m_nCheck = check; }
  virtual void SetText(const std::string& text) { m_strText = text; }

  tvr::UINT m_nID;
  tvr::BOOL m_bEnabled = TRUE;
  tvr::BOOL m_bEnableChanged = FALSE;  // some handler answered for the element
  int m_nCheck = 0;
  std::string m_strText;
  // Menu items only: position of the element in its menu and the number of
  // items there (a handler that inserts items advances m_nIndex past them).
  tvr::BOOL m_bIsMenuItem = FALSE;
  int m_nIndex = 0;
  int m_nIndexMax = 0;
  void* m_pMenu = nullptr;  // the shell's menu object, when the element is a menu item
};

class TVR_API CTVRCmdTarget {
 public:
  CTVRCmdTarget() = default;
  CTVRCmdTarget(const CTVRCmdTarget&) = delete;
  CTVRCmdTarget& operator=(const CTVRCmdTarget&) = delete;
  virtual ~CTVRCmdTarget();

  // Runs the command (nCode CN_COMMAND) or its update handler (nCode
  // CN_UPDATE_COMMAND_UI with pExtra a CTVRCmdUI*). Returns TRUE when this
  // target handled it. Derived classes extend the route (document, template,
  // selected protocol) by overriding.
  virtual tvr::BOOL OnCmdMsg(tvr::UINT nID, int nCode, void* pExtra, void* pHandlerInfo);

  // Class information; the TVR_DECLARE_ macros of class_info.h override it.
  virtual const CTVRRuntimeClass* GetRuntimeClass() const;

  // Conveniences over OnCmdMsg.
  tvr::BOOL DoCommand(tvr::UINT nID) { return OnCmdMsg(nID, CN_COMMAND, nullptr, nullptr); }
  tvr::BOOL DoUpdate(CTVRCmdUI& ui) { return OnCmdMsg(ui.m_nID, CN_UPDATE_COMMAND_UI, &ui, nullptr); }

 protected:
  using CommandHandler = std::function<void(tvr::UINT nID)>;
  using UpdateHandler = std::function<void(CTVRCmdUI* pCmdUI)>;

  void OnCommand(tvr::UINT nID, std::function<void()> handler);
  void OnCommandRange(tvr::UINT first, tvr::UINT last, CommandHandler handler);
  void OnUpdate(tvr::UINT nID, UpdateHandler handler);
  void OnUpdateRange(tvr::UINT first, tvr::UINT last, UpdateHandler handler);

 private:
  std::unordered_map<tvr::UINT, CommandHandler> m_commands;
  std::unordered_map<tvr::UINT, UpdateHandler> m_updates;
};
