// The main window: New with and without board types, the toolbars, their
// texts and their list, the status bar, the splitter of a child frame, the
// enable states that follow the reader and the view commands.
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>

#include <QClipboard>
#include <QMdiArea>
#include <QMenuBar>
#include <QTest>
#include <QTime>
#include <QTreeWidget>

#include "document/board_doc_private.h"
#include "menu_texts.h"
#include "shell/board_view.h"
#include "shell/card_params_bar.h"
#include "shell/script_view.h"
#include "shell/verdicts_bar.h"
#include "shell_fixture.h"
#include "test_protocol.h"

namespace {

using tvr_test::ActionTexts;
using ShellTest = CTVRShellFixture;

TEST_F(ShellTest, NewMakesTheOnlyBoardTypesReaderOrAsksWithTheFirstSelected) {
  // Without a board type the frame opens all the same and New says so.
  Frame().OnCommand(57600);
  EXPECT_TRUE(Frame().isVisible());
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Tavric"));
  EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"Failed to create empty document."});
  EXPECT_TRUE(Frame().GetFrames().empty());
  // With one, its reader comes without a question.
  AddBoardType(6001, "Alpha");
  m_Prompts.m_Messages.clear();
  Frame().OnCommand(57600);
  ASSERT_EQ(Frame().GetFrames().size(), 1u);
  EXPECT_EQ(Frame().GetFrames()[0]->windowTitle(), QStringLiteral("Alpha1 - [noname]"));
  EXPECT_EQ(Frame().GetActiveDocument(), Frame().GetFrames()[0]->GetDocument());
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
  // Closing its window deletes the document and leaves no active one.
  Frame().GetFrames()[0]->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(Frame().GetFrames().empty());
  EXPECT_EQ(m_Context.Host().GetActiveDocument(), nullptr);
  // With two, New asks with the first selected; cancelled, it makes nothing.
  AddBoardType(6002, "Beta");
  OnNextModal([](QWidget* pModal) { static_cast<QDialog*>(pModal)->reject(); });
  Frame().OnCommand(57600);
  EXPECT_TRUE(Frame().GetFrames().empty());
  QStringList offered;
  int selected = -1;
  OnNextModal([&](QWidget* pModal) {
    auto* pList = pModal->findChild<QListWidget*>();
    for (int i = 0; i < pList->count(); ++i) offered << pList->item(i)->text();
    selected = pList->currentRow();
    EXPECT_EQ(pModal->windowTitle(), QStringLiteral("New"));
    pList->setCurrentRow(1);
    static_cast<QDialog*>(pModal)->accept();
  });
  Frame().OnCommand(57600);
  EXPECT_EQ(offered, (QStringList{"Alpha", "Beta"}));
  EXPECT_EQ(selected, 0);
  ASSERT_EQ(Frame().GetFrames().size(), 1u);
  EXPECT_EQ(Frame().GetFrames()[0]->windowTitle(), QStringLiteral("Beta1 - [noname]"));
}

TEST_F(ShellTest, ToolbarsCarryTheirButtonsInOrderWithTheirTooltipsAndPrompts) {
  struct Row {
    tvr::UINT bar;
    QString caption;
    QStringList tooltips;
  } rows[] = {
      {59392, "Standard", {"New", "New Script File", "Open", "Save", "-", "Cut", "Copy", "Paste", "-", "Print"}},
      {32818, "Script", {"Start", "Step", "Stop", "Breakpoint", "Loop", "Set Next", "-", "Delay Options", "Cyphering"}},
      {32819, "Protocol", {"Mask Number", "-", "Power On 5V", "Power OFF", "Power On 3V"}},
      {37819, "Command", {"Command Setting", "-", "Command 1", "Command 2", "Command 3", "Command 4", "Command 5"}},
      {35819, "Loopback", {"Run Loopback EMV", "Run Loopback GIE"}},
      {36819,
       "Synchrone Card",
       {"Power UP I2C", "Power UP S9", "Power UP S10", "Power UP Euro", "Power UP Gpm -> Fuse 0",
        "Power UP Gpm -> Fuse 1"}},
      {35101, "Mode", {"Standard Mode", "-", "Energy Saving Mode ENABLE - REQUEST", "Energy Saving Mode CHAR"}},
      {35100,
       "Standard Script",
       {"EMV Standard", "ISO Standard", "-", "Auto Pause on communication error !", "Enable / Disable Beep on Error",
        "Clear Log View", "Switch from Hex to ASCII Mode", "Register tool"}},
      {32817,
       "Select Card",
       {"Select Card 1", "Select Card 2", "Select Card 3", "Select Card 4", "Select Card 5", "Select Card 6"}},
  };
  for (const Row& row : rows) {
    QToolBar* pBar = Frame().GetToolBar(row.bar);
    ASSERT_NE(pBar, nullptr) << row.bar;
    EXPECT_EQ(pBar->windowTitle(), row.caption);
    QStringList tips;
    for (QAction* pAction : pBar->actions()) {
      tips << (pAction->isSeparator() ? QStringLiteral("-") : pAction->toolTip());
      if (!pAction->isSeparator()) {
        EXPECT_FALSE(pAction->icon().isNull()) << pAction->toolTip().toStdString();
      }
    }
    EXPECT_EQ(tips, row.tooltips) << row.caption.toStdString();
  }
  struct Prompt {
    tvr::UINT id;
    QString prompt;
    QString keys;
  } prompts[] = {
      {57600, "Create a new reader", "Ctrl+N"},
      {57604, "Save the active document with a new name", "Ctrl+Shift+S"},
      {33792, "Start / Continue Script execution", "F5"},
      {33794, "Execute next script command", "F10"},
      {33793, "Stop current script execution", "Esc"},
      {33791, "Insert / Remove Breakpoint", "F9"},
      {32784, "Run Loopback EMV", "F11"},
      {32783, "Run Loopback GIE", "F12"},
      {32853, "Command 3", "Ctrl+F3"},
      {32857, "Switch from Hex to ASCII Mode / Switch from Hex to ASCII Mode", ""},
      {32858, "", ""},
  };
  for (const Prompt& p : prompts) {
    EXPECT_EQ(Frame().GetAction(p.id)->statusTip(), p.prompt) << p.id;
    EXPECT_EQ(Frame().GetAction(p.id)->shortcut().toString(), p.keys) << p.id;
  }
  EXPECT_TRUE(
      tvr_test::MenuTitled(Frame().menuBar(), QStringLiteral("&File"))->actions().contains(Frame().GetAction(57604)));
}

// The status bar's lock panes; the toolbar list, each bar checked, hides and
// shows its bar (View > Toolbars is the same list) and the workspace keeps
// what is hidden.
TEST_F(ShellTest, TheStatusBarAndTheToolbarListWhoseChoicesTheWorkspaceKeeps) {
  QStringList texts;
  for (QLabel* pPane : Frame().GetIndicators()) texts << pPane->text();
  EXPECT_EQ(texts, (QStringList{"CAP", "NUM", "SCRL"}));
  EXPECT_EQ(Frame().GetCardParamsBar()->windowTitle(), QStringLiteral("Card Parameters"));
  std::unique_ptr<QMenu> pMenu(Frame().createPopupMenu());
  EXPECT_EQ(ActionTexts(pMenu->actions()),
            (QStringList{"S&tandard Toolbar", "&Script Toolbar", "&Protocol Toolbar", "&Command Toolbar",
                         "&Loopback Toolbar", "&Synchrone Toolbar", "&Card Parameters Toolbar", "&Mode Toolbar",
                         "St&andard Script Toolbar", "S&elect Card Toolbar", "-", "&Customize..."}));
  for (QAction* pAction : pMenu->actions())
    if (!pAction->isSeparator() && pAction->isCheckable()) {
      EXPECT_TRUE(pAction->isChecked());
    }
  QToolBar* pScript = Frame().GetToolBar(32818);
  pMenu->actions()[1]->trigger();
  EXPECT_FALSE(pScript->isVisible());
  pMenu.reset(Frame().createPopupMenu());
  EXPECT_FALSE(pMenu->actions()[1]->isChecked());
  Frame().GetAction(32818)->trigger();
  EXPECT_TRUE(pScript->isVisible());
  pMenu.reset(Frame().createPopupMenu());
  EXPECT_TRUE(pMenu->actions()[1]->isChecked());

  pMenu.reset();
  Frame().GetToolBar(35819)->hide();
  Frame().SaveWorkspace();
  m_pFrame.reset();
  Frame().RestoreWorkspace();
  QApplication::processEvents();
  EXPECT_FALSE(Frame().GetToolBar(35819)->isVisible());
  EXPECT_TRUE(Frame().GetToolBar(32818)->isVisible());
  Frame().GetToolBar(35819)->show();
  Frame().SaveWorkspace();
  // The card parameters bar has its entry too.
  Frame().GetAction(32803)->trigger();
  EXPECT_FALSE(Frame().GetCardParamsBar()->isVisible());
}

TEST_F(ShellTest, ANewWindow420PixelsHighGivesTheEditor200AndTheTraceTheRest) {
  CTVRTestBoard doc;
  CTVRBoardDocPrivate::Of(doc).SetHostContext(&m_Context);
  // The frame's title bar and borders, measured on a frame shown once.
  int chrome = 0;
  {
    CTVRChildFrame probe(&doc);
    probe.show();
    QApplication::processEvents();
    chrome = probe.height() - probe.GetSplitter()->height();
  }
  CTVRChildFrame frame(&doc);
  EXPECT_EQ(frame.GetRowMinimum(0), 50);
  EXPECT_EQ(frame.GetRowMinimum(1), 100);
  frame.resize(500, 420 + chrome);
  frame.show();
  QApplication::processEvents();
  ASSERT_EQ(frame.GetSplitter()->height(), 420);
  EXPECT_EQ(frame.GetRowHeight(0), 200);
  EXPECT_EQ(frame.GetRowHeight(1), 220 - frame.GetSplitter()->handleWidth());
  EXPECT_EQ(frame.GetRowMinimum(0), 50);
  EXPECT_EQ(frame.GetRowMinimum(1), 50);
  // Later sizes keep the user's split.
  frame.resize(500, frame.height() + 100);
  QApplication::processEvents();
  EXPECT_EQ(frame.GetRowHeight(0), 200);
  // Restored rows win over the first size rule: AppTest, after a restart.
}

TEST_F(ShellTest, ScriptCommandsFollowTheActiveReadersConnection) {
  struct Row {
    tvr::UINT id;
    bool noDoc, idle, connected;
  } rows[] = {
      {33792, false, false, true},   // Start
      {33794, false, false, true},   // Step
      {33793, false, false, false},  // Stop: nothing runs
      {32831, false, true, true},    // Delay Options: always, with a reader
      {57600, true, true, true},     // New: the frame's
      {57664, true, true, true},     // About
      {32858, false, false, true},   // Register tool: only on a connected reader
  };
  Frame().UpdateCommandStates();
  for (const Row& r : rows) EXPECT_EQ(Frame().GetAction(r.id)->isEnabled(), r.noDoc) << r.id;
  AddBoardType(6001, "Alpha");
  Frame().OnCommand(57600);
  Frame().UpdateCommandStates();
  for (const Row& r : rows) EXPECT_EQ(Frame().GetAction(r.id)->isEnabled(), r.idle) << r.id;
  CTVRBoardDocPrivate::Of(*Frame().GetActiveDocument()).m_bConnected = TRUE;
  Frame().UpdateCommandStates();
  for (const Row& r : rows) EXPECT_EQ(Frame().GetAction(r.id)->isEnabled(), r.connected) << r.id;
}

// Cut, Copy, Paste, Select All, Print, Breakpoint and Set Next act on the
// reader's pane with the focus, from its toolbar button as from its menu
// item, and are enabled as that pane says.
TEST_F(ShellTest, ViewCommandsGoToThePaneWithTheFocusFromButtonAndMenu) {
  AddBoardType(6001, "Alpha");
  Frame().OnCommand(57600);
  CTVRChildFrame* pChild = Frame().GetFrames()[0];
  auto* pScript = static_cast<CTVRScriptView*>(pChild->GetScriptPane());
  auto* pTrace = static_cast<CTVRBoardView*>(pChild->GetTracePane());
  CTVRBoardDoc* pDoc = pChild->GetDocument();
  CTVRBoardDocPrivate::Of(*pDoc).NotifyMessage("Loop 1", TRACE_INFO);
  pTrace->FlushFrame();

  enum EPane { SCRIPT, TRACE };
  enum EDoor { BUTTON, MENU };
  // The pane's state before the command: "01" of the first line selected, or nothing.
  struct Row {
    tvr::UINT id;
    EPane pane;
    bool selected;
    bool enabled;
    std::function<void()> check;  // what the command did, when enabled
  };
  auto lines = [&] {
    return std::vector<std::string>{CTVRBoardDocPrivate::Of(*pDoc).GetLine(0),
                                    CTVRBoardDocPrivate::Of(*pDoc).GetLine(1)};
  };
  auto clipboard = [] { return QApplication::clipboard()->text().toStdString(); };
  bool printDialog = false;
  auto closePrintDialog = [&](QDialog* pDialog) {
    printDialog = true;
    pDialog->reject();
  };
  const Row rows[] = {
      {57635, SCRIPT, true, true,
       [&] {
         EXPECT_EQ(std::make_pair(lines(), clipboard()),
                   std::make_pair(std::vector<std::string>{" 02;", "03 04;"}, std::string("01")));
       }},
      {57635, SCRIPT, false, false, {}},
      {57634, SCRIPT, true, true, [&] { EXPECT_EQ(clipboard(), "01"); }},
      {57634, SCRIPT, false, false, {}},
      {57637, SCRIPT, true, true,
       [&] {
         EXPECT_EQ(lines(), (std::vector<std::string>{"AA 02;", "03 04;"}));
       }},
      {57642, SCRIPT, false, true,
       [&] {
         EXPECT_EQ(pScript->GetCaret(), (CTVRScriptView::CPosition{6, 1}));
       }},
      {57607, SCRIPT, false, false, {}},
      {33791, SCRIPT, false, true, [&] { EXPECT_EQ(CTVRBoardDocPrivate::Of(*pDoc).GetLineState(1) & 0x100, 0x100u); }},
      {33788, SCRIPT, false, true, [&] { EXPECT_EQ(CTVRBoardDocPrivate::Of(*pDoc).GetCurrentLine(), 1); }},
      {57635, TRACE, true, false, {}},
      {57634, TRACE, true, true, [&] { EXPECT_EQ(clipboard(), "Loop 1\r\n"); }},
      {57634, TRACE, false, false, {}},
      {57637, TRACE, false, false, {}},
      {57642, TRACE, false, true, [&] { EXPECT_TRUE(pTrace->HasSelection()); }},
      {57607, TRACE, false, true, [&] { EXPECT_TRUE(printDialog); }},
      {33791, TRACE, false, false, {}},
      {33788, TRACE, false, false, {}},
  };
  for (const Row& row : rows) {
    for (EDoor door : {BUTTON, MENU}) {
      const std::string what = std::to_string(row.id) + (row.pane == SCRIPT ? " script" : " trace") +
                               (row.selected ? " selected" : "") + (door == BUTTON ? " button" : " menu");
      CTVRBoardDocPrivate::Of(*pDoc).SetScriptLines({"01 02;", "03 04;"});
      for (int line = 0; line < 2; ++line)
        CTVRBoardDocPrivate::Of(*pDoc).SetLineState(line, CTVRBoardDocPrivate::Of(*pDoc).GetLineState(line) & ~0x100u);
      QApplication::clipboard()->setText(QStringLiteral("AA"));
      // The caret on the second line, or the first two characters selected.
      pScript->SetSelection(row.selected ? CTVRScriptView::CPosition{0, 0} : CTVRScriptView::CPosition{2, 1},
                            CTVRScriptView::CPosition{2, row.selected ? 0 : 1});
      pTrace->FlushFrame();
      if (row.selected) {
        pTrace->OnEditSelectAll();
      } else {
        QTest::mouseClick(pTrace->viewport(), Qt::LeftButton, {}, QPoint(1, 1));
      }
      (row.pane == SCRIPT ? static_cast<QWidget*>(pScript) : pTrace)->setFocus();
      QAction* pAction = Frame().GetAction(row.id);
      bool enabled = false;
      if (door == BUTTON) {
        QToolButton* pButton = nullptr;
        for (QToolBar* pBar : Frame().findChildren<QToolBar*>())
          if (auto* pFound = qobject_cast<QToolButton*>(pBar->widgetForAction(pAction))) pButton = pFound;
        ASSERT_EQ(pButton == nullptr, row.id == 57642) << what;  // Select All has no button
        if (pButton == nullptr) continue;
        Frame().UpdateCommandStates();  // the tick that follows the focus
        enabled = pButton->isEnabled();
        if (enabled) {
          if (row.id == 57607) OnNextModal(closePrintDialog);
          pButton->click();
        }
      } else {
        QMenu* pMenu = nullptr;
        for (QAction* pTop : Frame().menuBar()->actions())
          if (pTop->menu() != nullptr && pTop->menu()->actions().contains(pAction)) pMenu = pTop->menu();
        ASSERT_NE(pMenu, nullptr) << what;
        pMenu->popup(QPoint(0, 0));  // opening it asks for the states
        enabled = pAction->isEnabled();
        pMenu->hide();
        if (enabled) {
          if (row.id == 57607) OnNextModal(closePrintDialog);
          pAction->trigger();
        }
      }
      EXPECT_EQ(enabled, row.enabled) << what;
      if (enabled && row.check) row.check();
      printDialog = false;
    }
  }
}

}  // namespace

namespace {

// After a run with one failed expectation of two: the counts in the status
// bar, the Verdicts bar shown with the mismatch, and its double-click puts
// the editor's caret on the expectation's line.
TEST_F(ShellTest, TheVerdictsBarListsAFailingRunsMismatchAndLeadsToItsLine) {
  AddBoardType(6001, "Alpha");
  Frame().OnCommand(57600);
  CTVRBoardDoc& doc = *Frame().GetActiveDocument();
  CTVRTestProtocol protocol;
  CTVRBoardDocPrivate::Of(doc).m_pProtocol = &protocol;
  CTVRBoardDocPrivate::Of(doc).m_bConnected = TRUE;
  static_cast<CTVRTestBoard&>(doc).SetResponder(CTVRTestBoard::EchoResponder());
  CTVRBoardDocPrivate::Of(doc).SetScriptLines({"* two expectations", "01 02;", ".expect(60 *);", "", ".expect(FF);"});
  Frame().UpdateCommandStates();
  EXPECT_FALSE(Frame().GetVerdictCounts()->isVisibleTo(&Frame()));
  EXPECT_FALSE(Frame().GetVerdictsBar()->isVisible()) << "shown by the first mismatch";
  CTVRBoardDocPrivate::Of(doc).OnScriptStart();
  ASSERT_TRUE(CTVRDispatcher::GetInstalled()->RunUntilIdle());
  Frame().UpdateCommandStates();

  EXPECT_EQ(Frame().GetVerdictCounts()->text(), QStringLiteral("Expectations: 1 met, 1 failed"));
  EXPECT_TRUE(Frame().GetVerdictsBar()->isVisible());
  QTreeWidget* pTree = Frame().GetVerdictsBar()->GetTree();
  ASSERT_EQ(pTree->topLevelItemCount(), 1);
  QTreeWidgetItem* pItem = pTree->topLevelItem(0);
  EXPECT_EQ(pItem->text(0), QStringLiteral("5"));
  EXPECT_EQ(pItem->text(1), QStringLiteral("FF"));
  EXPECT_TRUE(pItem->text(2).startsWith(QStringLiteral("60 "))) << pItem->text(2).toStdString();
  EXPECT_TRUE(QTime::fromString(pItem->text(3), QStringLiteral("hh:mm:ss.zzz")).isValid());

  auto* pFrame = qobject_cast<CTVRChildFrame*>(Frame().GetMdiArea()->activeSubWindow());
  auto* pView = qobject_cast<CTVRScriptView*>(pFrame->GetScriptPane());
  ASSERT_NE(pView, nullptr);
  pView->SetSelection({0, 0}, {0, 0});
  emit pTree->itemDoubleClicked(pItem, 0);
  EXPECT_EQ(pView->GetCaret(), (CTVRScriptView::CPosition{0, 4}));
  CTVRBoardDocPrivate::Of(doc).m_pProtocol = nullptr;
}

}  // namespace
