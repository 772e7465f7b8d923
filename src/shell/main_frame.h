// The main window: a multiple-document frame with the menu bar, the nine
// toolbars, the status bar and the docked "Card Parameters" and "Verdicts" bars. It holds no
// test-bench logic: commands of the active reader go to its document (which
// passes what it does not know to its selected protocol); the frame handles
// New, the board-type list, the bars, the window commands and About.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include <QMainWindow>
#include <QPointer>

#include <tavric/types.h>

class CCardParamsBar;
class CVerdictsBar;
class CTVRBoardMenu;
class CTVRBoardDoc;
class CTVRChildFrame;
class CTVRHostContext;
class CTVRCmdTarget;
class CTVRLockIndicators;
class CTVRUserToolsMenu;
class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QToolBar;

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  // Over the program's context: its board types, documents and prompts.
  explicit CMainFrame(CTVRHostContext& context, QWidget* parent = nullptr);
  ~CMainFrame() override;

  // The action of a command (menu item, button and keys share it); null for
  // an identifier the frame does not offer.
  QAction* GetAction(tvr::UINT nID) const;
  QToolBar* GetToolBar(tvr::UINT nID) const;
  CCardParamsBar* GetCardParamsBar() const { return m_pCardParamsBar; }
  CVerdictsBar* GetVerdictsBar() const { return m_pVerdictsBar; }
  // The status bar's pane of the active document's expectations met and failed.
  QLabel* GetVerdictCounts() const { return m_pVerdictCounts; }
  CTVRHostContext& GetHostContext() const { return m_Context; }
  // The active reader's own menus in the menu bar.
  CTVRBoardMenu* GetBoardMenu() const { return m_pBoardMenu; }
  QMdiArea* GetMdiArea() const { return m_pMdiArea; }
  // The status bar's indicator panes, left to right after the message pane.
  std::vector<QLabel*> GetIndicators() const { return m_Indicators; }
  CTVRLockIndicators* GetLockIndicators() const { return m_pLockIndicators; }
  // File > Export > pcapng: the active reader's frames as a capture file.
  QAction* GetExportPcapngAction() const { return m_pExportPcapng; }

  // Runs a command as a click on its menu item or button would.
  void OnCommand(tvr::UINT nID);
  // Enables and checks every command from the answers of the route below.
  void UpdateCommandStates();
  // The active document's verdicts in the status bar and the Verdicts bar.
  void UpdateVerdicts();
  // Puts the active reader's editor caret on the script line (from 1).
  void ShowScriptLine(int line);
  // Where the active reader's commands go first: the pane of its window that
  // has (or last had) the focus, then its document; null without a reader.
  CTVRCmdTarget* GetCommandTarget() const;

  // The toolbar list ("S&tandard Toolbar" … "&Customize..."), checked by visibility.
  QMenu* CreateToolBarListMenu(QWidget* parent);
  QMenu* createPopupMenu() override;
  // Puts a toolbar's buttons back as they were built; the Standard toolbar gets
  // its New and Open drop-downs again.
  void ResetToolBar(tvr::UINT nID);
  // A toolbar's buttons in order, 0 for a separator; setting them rebuilds it.
  std::vector<tvr::UINT> GetToolBarButtons(tvr::UINT nID) const;
  void SetToolBarButtons(tvr::UINT nID, const std::vector<tvr::UINT>& buttons);
  // The Customize dialog, on its toolbars page or its tools page.
  void OnCustomize(int page = 0);
  CTVRUserToolsMenu* GetUserTools() const { return m_pUserTools; }

  // Child frames; a new one is this large where the work area has room.
  static constexpr int READER_WIDTH = 520;
  static constexpr int READER_HEIGHT = 420;
  CTVRChildFrame* AddDocumentFrame(CTVRBoardDoc* pDoc);
  CTVRChildFrame* FindFrame(const CTVRBoardDoc* pDoc) const;
  CTVRBoardDoc* GetActiveDocument() const;
  std::vector<CTVRChildFrame*> GetFrames() const;
  void RemoveDocumentFrame(CTVRBoardDoc* pDoc);
  // The frame's trace pane follows View > Time Column.
  void ApplyTiming(CTVRChildFrame* pFrame) const;

  // Window geometry and the state of docks and toolbars, in the settings store.
  // Without a stored geometry the window is placed as on a first start.
  void SaveWorkspace();
  void RestoreWorkspace();
  // First start: at least this size, centred, or maximised on a screen that
  // cannot hold it with the title bar.
  static constexpr int FIRST_WIDTH = 1200;
  static constexpr int FIRST_HEIGHT = 720;
  static constexpr int TITLE_ALLOWANCE = 40;
  void PlaceFirstTime();

  // The system is ending the session: documents close without asking.
  bool IsShuttingDown() const { return m_bShutdown; }
  void SetShuttingDown(bool on) { m_bShutdown = on; }

  // Hooks of start-up and exit: saving the documents when the frame closes.
  std::function<void()> m_OnSaveDocuments;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  CTVRHostContext& m_Context;

  void CreateActions();
  void CreateMenus();
  void CreateToolBars();
  void CreateStatusBar();
  void InstallDropDowns(QToolBar* pBar);
  void FillBoardTypeMenu(QMenu* pMenu);
  void OnFileNew();
  void OnAbout();
  void OnSubWindowActivated(QMdiSubWindow* pWindow);
  void ToggleBar(tvr::UINT nID);

  QMdiArea* m_pMdiArea = nullptr;
  std::map<tvr::UINT, QAction*> m_Actions;
  std::map<tvr::UINT, QToolBar*> m_ToolBars;
  std::map<tvr::UINT, QAction*> m_BarToggles;
  CCardParamsBar* m_pCardParamsBar = nullptr;
  CVerdictsBar* m_pVerdictsBar = nullptr;
  QLabel* m_pVerdictCounts = nullptr;
  CTVRBoardMenu* m_pBoardMenu = nullptr;
  std::vector<QLabel*> m_Indicators;
  CTVRLockIndicators* m_pLockIndicators = nullptr;
  CTVRUserToolsMenu* m_pUserTools = nullptr;
  QMenu* m_pNewMenu = nullptr;
  QMenu* m_pOpenMenu = nullptr;
  QAction* m_pExportPcapng = nullptr;
  QTimer* m_pUpdateTimer = nullptr;
  bool m_bShutdown = false;
  // View > Time Column: the trace panes show each answer's round-trip time.
  bool m_bTiming = false;
};
