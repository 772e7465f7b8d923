#include "main_frame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <tavric/board_doc.h>
#include <tavric/doc_template.h>
#include <tavric/protocol.h>
#include <tavric/registry.h>

#include "board_menu.h"
#include "board_view.h"
#include "card_params_bar.h"
#include "child_frame.h"
#include "command_table.h"
#include "contract/board_type_list.h"
#include "contract/host_context.h"
#include "contract/new_document_chooser.h"
#include "customize_dlg.h"
#include "document/board_doc_private.h"
#include "document/run_controller.h"
#include "lock_indicators.h"
#include "new_dlg.h"
#include "options_dlg.h"
#include "platform/user_prompts.h"
#include "recent_file_menu.h"
#include "register_dlg.h"
#include "script_view.h"
#include "statistics_wnd.h"
#include "tool_bar_store.h"
#include "user_tools_menu.h"
#include "verdicts_bar.h"

namespace {

const char kWorkspaceSection[] = "Workspace";
const char kStateValue[] = "MainFrame";
const char kGeometryValue[] = "Geometry";
const char kToolBarsValue[] = "ToolBars";
// Bumped when the set of bars changes, so an old layout is not applied to new bars.
constexpr int kStateVersion = 1;

// Commands the frame serves whatever document is active.
bool IsFrameCommand(tvr::UINT nID) {
  using namespace tvr_cmd;
  return nID == ID_FILE_NEW || nID == ID_APP_ABOUT || nID == ID_APP_EXIT || nID == ID_FILE_PRINT_SETUP ||
         nID == ID_VIEW_STATUS_BAR || nID == ID_VIEW_TIMING || nID == ID_VIEW_CUSTOMIZE || nID == ID_TOOLS_OPTIONS ||
         nID == 57650 || nID == 57651 || nID == 57680 || nID == 57681 || CTVRBoardTypeList::IsHandledCommand(nID);
}

QString QText(const std::string& text) {
  return QString::fromLocal8Bit(text.c_str());
}

}  // namespace

// The images live in this static library: its resources are registered by
// hand, outside any namespace.
static void InitShellResources() {
  Q_INIT_RESOURCE(tavric);
}

CMainFrame::CMainFrame(CTVRHostContext& context, QWidget* parent) : QMainWindow(parent), m_Context(context) {
  InitShellResources();
  setWindowTitle(QStringLiteral("Tavric"));
  setWindowIcon(QIcon(QStringLiteral(":/icons/tavric.svg")));
  setObjectName(QStringLiteral("MainFrame"));
  m_pMdiArea = new QMdiArea(this);
  m_pMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_pMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(m_pMdiArea);
  connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);

  CreateActions();
  CreateMenus();
  m_pBoardMenu = new CTVRBoardMenu(this);
  CreateToolBars();
  CreateStatusBar();

  m_pCardParamsBar = new CCardParamsBar(m_Context.Host().GetCardSlots(), this);
  addDockWidget(Qt::LeftDockWidgetArea, m_pCardParamsBar);
  resizeDocks({m_pCardParamsBar}, {m_pCardParamsBar->GetFittingWidth()}, Qt::Horizontal);
  m_pVerdictsBar = new CVerdictsBar(this);
  // Docked below the readers, shown by the first mismatch of a run (or by the user).
  addDockWidget(Qt::BottomDockWidgetArea, m_pVerdictsBar);
  m_pVerdictsBar->hide();
  connect(m_pVerdictsBar, &CVerdictsBar::LineChosen, this, &CMainFrame::ShowScriptLine);

  // Enable states follow the active document as the platform's idle updates
  // did: a short tick instead of an idle hook, cheap next to a repaint.
  m_pUpdateTimer = new QTimer(this);
  connect(m_pUpdateTimer, &QTimer::timeout, this, &CMainFrame::UpdateCommandStates);
  m_pUpdateTimer->start(200);
  UpdateCommandStates();
}

CMainFrame::~CMainFrame() {
  // The child windows go after this object has stopped being a CMainFrame;
  // their activation changes must not reach its slots then.
  if (m_pMdiArea != nullptr) disconnect(m_pMdiArea, nullptr, this, nullptr);
  if (m_pUpdateTimer != nullptr) m_pUpdateTimer->stop();
}

void CMainFrame::CreateActions() {
  for (const CTVRCommandInfo& info : CTVRCommandTable::GetCommands()) {
    auto* pAction = new QAction(this);
    QString tip = QText(CTVRCommandTable::GetToolTip(info.m_nID));
    pAction->setText(info.m_szMenuText != nullptr ? QString::fromUtf8(info.m_szMenuText) : tip);
    pAction->setToolTip(tip.isEmpty() ? pAction->text().remove(QLatin1Char('&')) : tip);
    pAction->setStatusTip(QText(CTVRCommandTable::GetPrompt(info.m_nID)));
    if (info.m_szIcon != nullptr)
      pAction->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QString::fromUtf8(info.m_szIcon))));
    if (info.m_szKeys != nullptr) {
      QList<QKeySequence> keys;
      for (const QString& key : QString::fromUtf8(info.m_szKeys).split(QLatin1Char(';'))) keys << QKeySequence(key);
      pAction->setShortcuts(keys);
      pAction->setShortcutContext(Qt::WindowShortcut);
    }
    pAction->setData(info.m_nID);
    const tvr::UINT nID = info.m_nID;
    connect(pAction, &QAction::triggered, this, [this, nID] { OnCommand(nID); });
    addAction(pAction);  // keys work with the bar hidden too
    m_Actions[nID] = pAction;
  }
  m_Actions[tvr_cmd::ID_VIEW_STATUS_BAR]->setCheckable(true);
  m_Actions[tvr_cmd::ID_VIEW_STATUS_BAR]->setChecked(true);
  m_Actions[tvr_cmd::ID_VIEW_TIMING]->setCheckable(true);
}

void CMainFrame::CreateMenus() {
  using namespace tvr_cmd;
  QMenu* pFile = menuBar()->addMenu(QStringLiteral("&File"));
  pFile->addAction(m_Actions[ID_FILE_NEW]);
  pFile->addAction(m_Actions[ID_NEW_SCRIPT_FILE]);
  QMenu* pTypes = pFile->addMenu(QText(CTVRBoardTypeList::PLACEHOLDER_TEXT));
  connect(pTypes, &QMenu::aboutToShow, this, [this, pTypes] { FillBoardTypeMenu(pTypes); });
  FillBoardTypeMenu(pTypes);
  pFile->addAction(m_Actions[ID_FILE_OPEN]);
  pFile->addAction(m_Actions[ID_FILE_CLOSE]);
  pFile->addAction(m_Actions[57603]);
  pFile->addAction(m_Actions[57604]);
  // Not a command of the table: no button, no keys, the trace pane serves it.
  QMenu* pExport = pFile->addMenu(QStringLiteral("&Export"));
  m_pExportPcapng = pExport->addAction(QStringLiteral("&pcapng..."));
  m_pExportPcapng->setStatusTip(
      QStringLiteral("Save every frame sent and received by the active reader as a pcapng capture for Wireshark"));
  connect(m_pExportPcapng, &QAction::triggered, this, [this] {
    if (auto* pFrame = qobject_cast<CTVRChildFrame*>(m_pMdiArea->activeSubWindow()))
      if (auto* pView = qobject_cast<CTVRBoardView*>(pFrame->GetTracePane())) pView->ExportPcapng();
  });
  pFile->addSeparator();
  pFile->addAction(m_Actions[57607]);
  pFile->addAction(m_Actions[ID_FILE_PRINT_SETUP]);
  pFile->addSeparator();
  new CTVRRecentFileMenu(this, pFile);
  pFile->addSeparator();
  pFile->addAction(m_Actions[ID_APP_EXIT]);

  QMenu* pEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
  for (tvr::UINT id : {57643u, 0u, 57635u, 57634u, 57637u, 57642u, 0u, 57633u, 32820u}) {
    if (id == 0) {
      pEdit->addSeparator();
    } else {
      pEdit->addAction(m_Actions[id]);
    }
  }

  QMenu* pView = menuBar()->addMenu(QStringLiteral("&View"));
  QMenu* pBars = pView->addMenu(QStringLiteral("&Toolbars"));
  // The submenu is the toolbar list as it is now, every time it opens.
  connect(pBars, &QMenu::aboutToShow, this, [this, pBars] {
    pBars->clear();
    QMenu* pList = CreateToolBarListMenu(pBars);
    for (QAction* pAction : pList->actions()) pBars->addAction(pAction);
  });
  pView->addAction(m_Actions[ID_VIEW_STATUS_BAR]);
  pView->addAction(m_Actions[ID_VIEW_TIMING]);
  pView->addAction(m_Actions[ID_VIEW_STATISTICS]);

  QMenu* pScript = menuBar()->addMenu(QStringLiteral("&Script"));
  for (tvr::UINT id : {33792u, 33794u, 33793u, 0u,     33791u, 33787u, 33788u, 33789u, 0u,     33784u, 33785u,
                       33786u, 0u,     32831u, 32849u, 0u,     32856u, 32850u, 32851u, 32853u, 32854u, 32855u}) {
    if (id == 0) {
      pScript->addSeparator();
    } else {
      pScript->addAction(m_Actions[id]);
    }
  }

  QMenu* pTools = menuBar()->addMenu(QStringLiteral("&Tools"));
  pTools->addAction(m_Actions[ID_REGISTER_TOOL]);
  // The active reader's own settings window, built from its board's description.
  pTools->addAction(m_Actions[ID_READER_SETTINGS]);
  pTools->addSeparator();
  // The user-defined tools go between the two separators.
  QAction* pToolsEnd = pTools->addSeparator();
  pTools->addAction(QStringLiteral("Customize &Tools..."), this, [this] { OnCustomize(CTVRCustomizeDlg::PAGE_TOOLS); });
  pTools->addAction(m_Actions[ID_TOOLS_OPTIONS]);
  m_pUserTools = new CTVRUserToolsMenu(m_Context.Prompts(), pTools, pToolsEnd, this);

  QMenu* pWindow = menuBar()->addMenu(QStringLiteral("&Window"));
  pWindow->addAction(m_Actions[57650]);
  pWindow->addAction(m_Actions[57651]);

  QMenu* pHelp = menuBar()->addMenu(QStringLiteral("&Help"));
  pHelp->addAction(m_Actions[ID_APP_ABOUT]);
  // An opening menu shows the states of now, not of the last tick.
  for (QAction* pMenuAction : menuBar()->actions())
    if (QMenu* pMenu = pMenuAction->menu()) connect(pMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);

  // The drop-downs of the New and Open buttons.
  m_pNewMenu = new QMenu(QStringLiteral("&New"), this);
  connect(m_pNewMenu, &QMenu::aboutToShow, this, [this] { FillBoardTypeMenu(m_pNewMenu); });
  FillBoardTypeMenu(m_pNewMenu);
  m_pOpenMenu = new QMenu(QStringLiteral("&Open"), this);
  new CTVRRecentFileMenu(this, m_pOpenMenu);
}

void CMainFrame::FillBoardTypeMenu(QMenu* pMenu) {
  pMenu->clear();
  for (const CTVRBoardTypeList::CItem& item : CTVRBoardTypeList(m_Context.Host().GetTemplates()).GetItems()) {
    QAction* pAction = pMenu->addAction(QText(item.m_strText));
    pAction->setEnabled(item.m_bEnabled != FALSE);
    const tvr::UINT nID = item.m_nID;
    connect(pAction, &QAction::triggered, this, [this, nID] { OnCommand(nID); });
  }
}

void CMainFrame::CreateToolBars() {
  bool first = true;
  for (const CTVRToolBarInfo& info : CTVRCommandTable::GetToolBars()) {
    auto* pBar = new QToolBar(QString::fromUtf8(info.m_szCaption), this);
    pBar->setObjectName(QStringLiteral("ToolBar%1").arg(info.m_nID));
    pBar->setIconSize(QSize(24, 24));
    m_ToolBars[info.m_nID] = pBar;
    auto* pToggle = new QAction(QString::fromUtf8(info.m_szListText), this);
    pToggle->setCheckable(true);
    pToggle->setChecked(true);
    const tvr::UINT nID = info.m_nID;
    connect(pToggle, &QAction::triggered, this, [this, nID] { ToggleBar(nID); });
    connect(pBar, &QToolBar::visibilityChanged, pToggle, &QAction::setChecked);
    m_BarToggles[nID] = pToggle;
    (void)first;
  }
  // Docked in the frame's order, on two rows so that every button shows on a
  // usual screen.
  const tvr::UINT order[] = {59392, 32818, 32819, 35819, 37819, 35101, 36819, 35100, 32817};
  for (tvr::UINT nID : order) {
    if (nID == 35101) addToolBarBreak();
    addToolBar(Qt::TopToolBarArea, m_ToolBars[nID]);
    ResetToolBar(nID);
  }
  // The card parameters bar's entry in the list.
  auto* pCardToggle = new QAction(QStringLiteral("&Card Parameters Toolbar"), this);
  pCardToggle->setCheckable(true);
  pCardToggle->setChecked(true);
  connect(pCardToggle, &QAction::triggered, this, [this] { ToggleBar(tvr_cmd::ID_VIEW_CARD_PARAMS); });
  m_BarToggles[tvr_cmd::ID_VIEW_CARD_PARAMS] = pCardToggle;
}

void CMainFrame::ResetToolBar(tvr::UINT nID) {
  for (const CTVRToolBarInfo& info : CTVRCommandTable::GetToolBars())
    if (info.m_nID == nID) SetToolBarButtons(nID, info.m_Buttons);
}

std::vector<tvr::UINT> CMainFrame::GetToolBarButtons(tvr::UINT nID) const {
  std::vector<tvr::UINT> buttons;
  if (QToolBar* pBar = GetToolBar(nID)) {
    for (QAction* pAction : pBar->actions()) buttons.push_back(pAction->isSeparator() ? 0 : pAction->data().toUInt());
  }
  return buttons;
}

void CMainFrame::SetToolBarButtons(tvr::UINT nID, const std::vector<tvr::UINT>& buttons) {
  QToolBar* pBar = GetToolBar(nID);
  if (pBar == nullptr) return;
  pBar->clear();
  for (tvr::UINT id : buttons) {
    if (id == 0) {
      pBar->addSeparator();
    } else if (auto it = m_Actions.find(id); it != m_Actions.end()) {
      pBar->addAction(it->second);  // a command this program no longer has is left out
    }
  }
  // Only the Standard toolbar's New and Open carry the drop-downs.
  if (nID == tvr_cmd::ID_VIEW_TOOLBAR) InstallDropDowns(pBar);
}

void CMainFrame::InstallDropDowns(QToolBar* pBar) {
  for (auto [id, pMenu] :
       {std::pair{tvr_cmd::ID_FILE_NEW, m_pNewMenu}, std::pair{tvr::UINT(ID_FILE_OPEN), m_pOpenMenu}}) {
    auto* pButton = qobject_cast<QToolButton*>(pBar->widgetForAction(m_Actions[id]));
    if (pButton == nullptr) continue;
    pButton->setMenu(pMenu);
    pButton->setPopupMode(QToolButton::MenuButtonPopup);
  }
}

void CMainFrame::CreateStatusBar() {
  QStatusBar* pStatus = statusBar();
  for (const char* text : {"CAP", "NUM", "SCRL"}) {
    auto* pPane = new QLabel(QString::fromLatin1(text), pStatus);
    pPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pPane->setAlignment(Qt::AlignCenter);
    pPane->setMinimumWidth(pPane->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 12);
    pStatus->addPermanentWidget(pPane);
    m_Indicators.push_back(pPane);
  }
  m_pLockIndicators = new CTVRLockIndicators({m_Indicators[0], m_Indicators[1], m_Indicators[2]}, this);
  m_pVerdictCounts = new QLabel(pStatus);
  m_pVerdictCounts->setObjectName(QStringLiteral("VerdictCounts"));
  pStatus->insertPermanentWidget(0, m_pVerdictCounts);
  pStatus->showMessage(QStringLiteral("Ready"));
}

QAction* CMainFrame::GetAction(tvr::UINT nID) const {
  auto it = m_Actions.find(nID);
  if (it != m_Actions.end()) return it->second;
  auto toggle = m_BarToggles.find(nID);
  return toggle != m_BarToggles.end() ? toggle->second : nullptr;
}

QToolBar* CMainFrame::GetToolBar(tvr::UINT nID) const {
  auto it = m_ToolBars.find(nID);
  return it != m_ToolBars.end() ? it->second : nullptr;
}

QMenu* CMainFrame::CreateToolBarListMenu(QWidget* parent) {
  auto* pMenu = new QMenu(parent);
  const tvr::UINT order[] = {59392, 32818, 32819, 37819, 35819, 36819, 32803, 35101, 35100, 32817};
  for (tvr::UINT nID : order) {
    QAction* pToggle = m_BarToggles[nID];
    pToggle->setChecked(nID == tvr_cmd::ID_VIEW_CARD_PARAMS ? m_pCardParamsBar->isVisible()
                                                            : m_ToolBars[nID]->isVisible());
    pMenu->addAction(pToggle);
  }
  pMenu->addSeparator();
  pMenu->addAction(m_Actions[tvr_cmd::ID_VIEW_CUSTOMIZE]);
  return pMenu;
}

QMenu* CMainFrame::createPopupMenu() {
  return CreateToolBarListMenu(this);
}

void CMainFrame::ToggleBar(tvr::UINT nID) {
  QWidget* pBar = nID == tvr_cmd::ID_VIEW_CARD_PARAMS ? static_cast<QWidget*>(m_pCardParamsBar) : GetToolBar(nID);
  if (pBar == nullptr) return;
  pBar->setVisible(!pBar->isVisible());
  m_BarToggles[nID]->setChecked(pBar->isVisible());
}

void CMainFrame::OnCommand(tvr::UINT nID) {
  using namespace tvr_cmd;
  if (nID == ID_FILE_NEW) return OnFileNew();
  if (CTVRBoardTypeList::IsHandledCommand(nID)) {
    if (CTVRBoardDoc* pDoc = CTVRBoardTypeList(m_Context.Host().GetTemplates()).OnFileNewType(nID))
      AddDocumentFrame(pDoc);
    return;
  }
  switch (nID) {
    case ID_APP_ABOUT:
      return OnAbout();
    case ID_APP_EXIT:
      close();
      return;
    case ID_FILE_PRINT_SETUP: {
      QPrinter printer;
      QPageSetupDialog dialog(&printer, this);
      dialog.exec();
      return;
    }
    case ID_VIEW_STATUS_BAR:
      statusBar()->setVisible(!statusBar()->isVisible());
      m_Actions[ID_VIEW_STATUS_BAR]->setChecked(statusBar()->isVisible());
      return;
    case ID_VIEW_TIMING:
      m_bTiming = !m_bTiming;
      m_Actions[ID_VIEW_TIMING]->setChecked(m_bTiming);
      for (CTVRChildFrame* pFrame : GetFrames()) ApplyTiming(pFrame);
      return;
    case ID_VIEW_STATISTICS:
      // Counts for the active reader from now on; closing the window stops it.
      if (CTVRBoardDoc* pDoc = GetActiveDocument()) {
        auto* pWindow = new CTVRStatisticsWnd(m_Context, *pDoc, this);
        pWindow->setAttribute(Qt::WA_DeleteOnClose);
        pWindow->show();
      }
      return;
    case ID_VIEW_CUSTOMIZE:
      return OnCustomize();
    case ID_TOOLS_OPTIONS: {
      CTVROptionsDlg dialog(this);
      dialog.exec();
      return;
    }
    case ID_REGISTER_TOOL:
      // The tool works on the active reader; it closes by itself with it.
      if (CTVRBoardDoc* pDoc = GetActiveDocument(); pDoc != nullptr && pDoc->IsConnected()) {
        auto* pDialog = new CRegisterDlg(*pDoc, this);
        pDialog->setAttribute(Qt::WA_DeleteOnClose);
        pDialog->show();
      }
      return;
    case 57650:
      m_pMdiArea->cascadeSubWindows();
      return;
    case 57651:
      m_pMdiArea->tileSubWindows();
      return;
    case ID_FILE_CLOSE:
      // The window asks its questions as its close button would.
      if (QMdiSubWindow* pWindow = m_pMdiArea->activeSubWindow()) pWindow->close();
      return;
    case 57680:
    case 57681:
      if (auto* pFrame = qobject_cast<CTVRChildFrame*>(m_pMdiArea->activeSubWindow())) {
        QWidget* pNext = pFrame->GetScriptPane()->hasFocus() ? pFrame->GetTracePane() : pFrame->GetScriptPane();
        pNext->setFocus();
      }
      return;
    default:
      break;
  }
  if (CTVRCmdTarget* pTarget = GetCommandTarget()) pTarget->DoCommand(nID);
  // Open, Save As and New Script File name another script in the caption.
  if (CTVRChildFrame* pFrame = FindFrame(GetActiveDocument())) pFrame->UpdateTitle();
  UpdateCommandStates();
}

CTVRCmdTarget* CMainFrame::GetCommandTarget() const {
  // The active reader's pane with the focus, which passes what it does not
  // know to its document, and the document to its protocol.
  auto* pFrame = qobject_cast<CTVRChildFrame*>(m_pMdiArea->activeSubWindow());
  if (pFrame == nullptr) return nullptr;
  if (CTVRCmdTarget* pView = pFrame->GetActiveView()) return pView;
  return pFrame->GetDocument();
}

void CMainFrame::UpdateCommandStates() {
  CTVRBoardDoc* pDoc = GetActiveDocument();
  CTVRCmdTarget* pTarget = GetCommandTarget();
  if (m_pExportPcapng != nullptr) m_pExportPcapng->setEnabled(m_pMdiArea->activeSubWindow() != nullptr);
  for (auto& [nID, pAction] : m_Actions) {
    if (IsFrameCommand(nID)) {
      // New stays enabled without any board type, so that it can say why no
      // reader can be created (docs/desktop.md).
      pAction->setEnabled(true);
      continue;
    }
    if (nID == tvr_cmd::ID_FILE_CLOSE) {
      pAction->setEnabled(m_pMdiArea->activeSubWindow() != nullptr);
      continue;
    }
    if (nID == tvr_cmd::ID_VIEW_STATISTICS) {
      pAction->setEnabled(pDoc != nullptr);
      continue;
    }
    if (nID == tvr_cmd::ID_REGISTER_TOOL) {
      // Registers are read from the reader: without a connected one the tool has nothing to show.
      pAction->setEnabled(pDoc != nullptr && pDoc->IsConnected());
      continue;
    }
    CTVRCmdUI ui(nID);
    bool handled = pTarget != nullptr && pTarget->DoUpdate(ui);
    pAction->setEnabled(handled && ui.m_bEnabled);
    if (handled && ui.m_nCheck != 0) pAction->setCheckable(true);
    if (pAction->isCheckable()) pAction->setChecked(handled && ui.m_nCheck != 0);
  }
  UpdateVerdicts();
}

void CMainFrame::UpdateVerdicts() {
  CTVRBoardDoc* pDoc = GetActiveDocument();
  const CTVRRunController* pRun = pDoc != nullptr ? &CTVRBoardDocPrivate::Of(*pDoc).GetRunController() : nullptr;
  const CTVRVerdictCounter* pVerdicts = pRun != nullptr ? &pRun->GetVerdicts() : nullptr;
  const bool firstMismatch = pVerdicts != nullptr && pVerdicts->GetFailed() != 0 &&
                             (m_pVerdictsBar->GetShown() != pVerdicts || m_pVerdictsBar->GetShownFailed() == 0);
  m_pVerdictsBar->ShowVerdicts(pVerdicts, pRun != nullptr ? pRun->GetRunSerial() : 0);
  if (firstMismatch && !m_pVerdictsBar->isVisible()) {
    m_pVerdictsBar->show();
    // A few rows high: the readers' windows keep the room.
    resizeDocks({m_pVerdictsBar}, {m_pVerdictsBar->GetFittingHeight()}, Qt::Vertical);
  }
  QString text;
  if (pVerdicts != nullptr && pVerdicts->GetCount() != 0)
    text = QStringLiteral("Expectations: %1 met, %2 failed").arg(pVerdicts->GetMet()).arg(pVerdicts->GetFailed());
  if (m_pVerdictCounts->text() != text) m_pVerdictCounts->setText(text);
  m_pVerdictCounts->setVisible(!text.isEmpty());
}

void CMainFrame::ShowScriptLine(int line) {
  auto* pFrame = qobject_cast<CTVRChildFrame*>(m_pMdiArea->activeSubWindow());
  auto* pView = pFrame != nullptr ? qobject_cast<CTVRScriptView*>(pFrame->GetScriptPane()) : nullptr;
  if (pView == nullptr || line < 1) return;
  pView->GoToLine(line - 1);
}

void CMainFrame::OnFileNew() {
  CTVRNewDocumentChooser chooser(m_Context.Host().GetTemplates());
  switch (chooser.Prepare()) {
    case CTVRNewDocumentChooser::NEW_CANNOT_CREATE:
      m_Context.Prompts().MessageBox(CTVRNewDocumentChooser::CANNOT_CREATE_TEXT);
      return;
    case CTVRNewDocumentChooser::NEW_CANCEL:
      return;
    case CTVRNewDocumentChooser::NEW_SHOW_DIALOG: {
      CTVRNewDlg dialog(chooser, this);
      if (dialog.exec() != QDialog::Accepted) return;
      break;
    }
    case CTVRNewDocumentChooser::NEW_CHOSEN:
      break;
  }
  if (CTVRBoardDoc* pDoc = chooser.OpenChosen()) AddDocumentFrame(pDoc);
}

void CMainFrame::OnAbout() {
  QDialog about(this);
  about.setWindowTitle(QStringLiteral("About Tavric"));
  auto* pIcon = new QLabel(&about);
  pIcon->setPixmap(QIcon(QStringLiteral(":/icons/tavric.svg")).pixmap(48, 48));
  auto* pText = new QLabel(QStringLiteral("Tavric version 1.6.2.0"), &about);
  pText->setObjectName(QStringLiteral("VersionText"));
  auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok, &about);
  pButtons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  connect(pButtons, &QDialogButtonBox::accepted, &about, &QDialog::accept);
  auto* pRow = new QHBoxLayout;
  pRow->addWidget(pIcon);
  pRow->addWidget(pText, 1);
  auto* pLayout = new QVBoxLayout(&about);
  pLayout->addLayout(pRow);
  pLayout->addWidget(pButtons);
  about.exec();
}

void CMainFrame::OnCustomize(int page) {
  CTVRCustomizeDlg dialog(*this, *m_pUserTools, this);
  dialog.SetPage(page == CTVRCustomizeDlg::PAGE_TOOLS ? CTVRCustomizeDlg::PAGE_TOOLS : CTVRCustomizeDlg::PAGE_TOOLBARS);
  dialog.exec();
}

void CMainFrame::ApplyTiming(CTVRChildFrame* pFrame) const {
  // The pane shows the times its document's records keep: its lines stay, only repainted.
  if (auto* pView = qobject_cast<CTVRBoardView*>(pFrame->GetTracePane()); pView && pView->IsTiming() != m_bTiming) {
    pView->SetTiming(m_bTiming);
    pView->viewport()->update();
  }
}

CTVRChildFrame* CMainFrame::AddDocumentFrame(CTVRBoardDoc* pDoc) {
  auto* pFrame = new CTVRChildFrame(pDoc);
  ApplyTiming(pFrame);
  pFrame->SetOwnsDocument(true);
  m_pMdiArea->addSubWindow(pFrame);
  // Each new window a step down and right of the one before, inside the area,
  // and no larger than the room the area leaves it there.
  const int offset = 24 * (int(m_pMdiArea->subWindowList().size() - 1) % 8);
  QSize size(READER_WIDTH, READER_HEIGHT);
  const QSize room = m_pMdiArea->viewport()->size() - QSize(offset, offset);
  if (m_pMdiArea->isVisible() && !room.isEmpty()) size = size.boundedTo(room).expandedTo(pFrame->minimumSizeHint());
  pFrame->resize(size);
  pFrame->move(offset, offset);
  pFrame->show();
  m_pMdiArea->setActiveSubWindow(pFrame);
  m_Context.Host().SetActiveDocument(pDoc);
  UpdateCommandStates();
  return pFrame;
}

CTVRChildFrame* CMainFrame::FindFrame(const CTVRBoardDoc* pDoc) const {
  for (CTVRChildFrame* pFrame : GetFrames())
    if (pFrame->GetDocument() == pDoc) return pFrame;
  return nullptr;
}

std::vector<CTVRChildFrame*> CMainFrame::GetFrames() const {
  std::vector<CTVRChildFrame*> frames;
  for (QMdiSubWindow* pWindow : m_pMdiArea->subWindowList(QMdiArea::CreationOrder))
    if (auto* pFrame = qobject_cast<CTVRChildFrame*>(pWindow)) frames.push_back(pFrame);
  return frames;
}

void CMainFrame::RemoveDocumentFrame(CTVRBoardDoc* pDoc) {
  if (CTVRChildFrame* pFrame = FindFrame(pDoc)) {
    m_pMdiArea->removeSubWindow(pFrame);
    delete pFrame;
  }
}

CTVRBoardDoc* CMainFrame::GetActiveDocument() const {
  auto* pFrame = qobject_cast<CTVRChildFrame*>(m_pMdiArea->activeSubWindow());
  return pFrame != nullptr ? pFrame->GetDocument() : nullptr;
}

void CMainFrame::OnSubWindowActivated(QMdiSubWindow* pWindow) {
  auto* pFrame = qobject_cast<CTVRChildFrame*>(pWindow);
  if (pFrame == nullptr) return;  // focus left the main window: the active document stays
  CTVRBoardDoc* pDoc = pFrame->GetDocument();
  m_Context.Host().SetActiveDocument(pDoc);
  // A protocol shared by several documents always describes the one in front.
  if (pDoc != nullptr && pDoc->GetProtocol() != nullptr) pDoc->GetProtocol()->SetConnected(pDoc->IsConnected());
  UpdateCommandStates();
}

void CMainFrame::SaveWorkspace() {
  CTVRRegistry reg(FALSE, FALSE);
  if (!reg.CreateKey(CTVRRegistry::GetRegSectionPath(kWorkspaceSection))) return;
  QByteArray state = saveState(kStateVersion);
  QByteArray geometry = saveGeometry();
  reg.Write(kStateValue, reinterpret_cast<const tvr::BYTE*>(state.constData()), tvr::UINT(state.size()));
  reg.Write(kGeometryValue, reinterpret_cast<const tvr::BYTE*>(geometry.constData()), tvr::UINT(geometry.size()));
  CTVRToolBarStore::Layout layout;
  for (const auto& [nID, pBar] : m_ToolBars) layout[nID] = GetToolBarButtons(nID);
  QByteArray buttons = CTVRToolBarStore::Pack(layout);
  reg.Write(kToolBarsValue, reinterpret_cast<const tvr::BYTE*>(buttons.constData()), tvr::UINT(buttons.size()));
}

void CMainFrame::RestoreWorkspace() {
  CTVRRegistry reg(FALSE, TRUE);
  reg.Open(CTVRRegistry::GetRegSectionPath(kWorkspaceSection));
  std::vector<tvr::BYTE> bytes;
  // Qt checks what it reads: a damaged value leaves the frame as on a first start.
  if (!reg.Read(kGeometryValue, bytes) ||
      !restoreGeometry(QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()))))
    PlaceFirstTime();
  if (reg.Read(kStateValue, bytes))
    restoreState(QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())), kStateVersion);
  CTVRToolBarStore::Layout layout;
  if (reg.Read(kToolBarsValue, bytes) &&
      CTVRToolBarStore::Unpack(QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())),
                               layout)) {
    for (const auto& [nID, buttons] : layout) SetToolBarButtons(nID, buttons);
  }
  for (auto& [nID, pToggle] : m_BarToggles) {
    QWidget* pBar = nID == tvr_cmd::ID_VIEW_CARD_PARAMS ? static_cast<QWidget*>(m_pCardParamsBar) : GetToolBar(nID);
    pToggle->setChecked(!pBar->isHidden());
  }
}

void CMainFrame::PlaceFirstTime() {
  // Every toolbar in full on its row and a reader window beside the card bar;
  // a screen without room for that gets the window maximised.
  const QSize wanted = sizeHint().expandedTo(QSize(FIRST_WIDTH, FIRST_HEIGHT));
  const QRect area = screen()->availableGeometry();
  if (wanted.width() > area.width() || wanted.height() + TITLE_ALLOWANCE > area.height()) {
    setWindowState(windowState() | Qt::WindowMaximized);
    return;
  }
  resize(wanted);
  move(area.left() + (area.width() - wanted.width()) / 2,
       area.top() + (area.height() - wanted.height() - TITLE_ALLOWANCE) / 2);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  // The readers come back at the next start, but an edited script does not:
  // each is offered for saving first, and Cancel keeps the program open.
  for (CTVRChildFrame* pFrame : GetFrames()) {
    CTVRBoardDoc* pDoc = pFrame->GetDocument();
    if (pDoc == nullptr || !pDoc->IsModified()) continue;
    m_pMdiArea->setActiveSubWindow(pFrame);
    const bool kept = !CTVRBoardDocPrivate::Of(*pDoc).SaveModified();
    pFrame->UpdateTitle();
    if (kept) {
      event->ignore();
      return;
    }
  }
  SaveWorkspace();
  if (m_OnSaveDocuments) m_OnSaveDocuments();
  QMainWindow::closeEvent(event);
}
