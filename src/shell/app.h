// The application: the one object that outlives every document. Start-up in
// this order: prompts and dialogs of the desktop, plug-in discovery (every
// board type, protocol and the cyphering object registered before any
// document exists), the main window with its saved workspace, the documents of
// the last exit. At exit: the documents are saved when the main window
// closes, then the protocols are deleted.
#pragma once

#include <memory>
#include <string>

class CMainFrame;
class CTVRHostContext;
class CTVRShellFrames;
class CTVRWidgetPrompts;
class CTVRWorkspace;

class CTVRApp {
 public:
  // Over the program's context, which main() builds and outlives the application.
  explicit CTVRApp(CTVRHostContext& context);
  ~CTVRApp();

  // FALSE when the program cannot start.
  bool InitInstance();
  void ExitInstance();

  CMainFrame* GetMainFrame() const { return m_pMainFrame.get(); }

  // For tests: skip plug-in discovery (the test has registered its own).
  bool m_bDiscoverPlugins = true;
  // For tests: do not show the main window.
  bool m_bShowMainWindow = true;
  // For tests: keep the prompts the test set in the context (its recorder answers).
  bool m_bInstallPrompts = true;

  // Reopens the documents of the last exit, board type by board type; nothing
  // while there is no main window.
  void LoadCustomState();
  // Saves every document (each then closes without asking) and the recent files.
  void SaveCustomState();

 private:
  CTVRHostContext& m_Context;
  std::unique_ptr<CTVRWidgetPrompts> m_pPrompts;
  std::unique_ptr<CMainFrame> m_pMainFrame;
  std::unique_ptr<CTVRShellFrames> m_pFrames;
  std::unique_ptr<CTVRWorkspace> m_pWorkspace;
};
