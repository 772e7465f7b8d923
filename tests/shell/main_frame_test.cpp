// The main window: New with and without board types, the toolbars, their
// texts and their list, the status bar, the splitter of a child frame, the
// enable states that follow the reader and the view commands.
#include <fstream>

#include <QClipboard>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QTest>
#include <QTime>
#include <QToolBar>
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
  // With one, its reader comes without a question (the chooser's test); closing
  // its window deletes the document and leaves no active one.
  CTVRBoardDoc* pOnly = &NewReader();
  ASSERT_EQ(Frame().GetFrames().size(), 1u);
  EXPECT_EQ(Frame().GetFrames()[0]->GetDocument(), pOnly);
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

// The bars and prompts of tests/data/shell/toolbars.txt; every button has an
// icon; Save As is in the File menu.
TEST_F(ShellTest, ToolbarsCarryTheirButtonsInOrderWithTheirTooltipsAndPrompts) {
  std::ifstream file(std::string(TAVRIC_TEST_DATA_DIR) + "/shell/toolbars.txt");
  ASSERT_TRUE(file) << "toolbars.txt";
  int bars = 0, prompts = 0;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') continue;
    QStringList fields;
    for (const QString& field : QString::fromStdString(line).split(QLatin1Char('|'))) fields << field.trimmed();
    const QStringList head = fields.takeFirst().split(QLatin1Char(' '));
    const tvr::UINT id = head.value(1).toUInt();
    if (head[0] == QStringLiteral("bar")) {
      QToolBar* pBar = Frame().GetToolBar(id);
      ASSERT_NE(pBar, nullptr) << line;
      QStringList shown = {pBar->windowTitle()};
      for (QAction* pAction : pBar->actions()) {
        shown << (pAction->isSeparator() ? QStringLiteral("-") : pAction->toolTip());
        if (!pAction->isSeparator()) {
          EXPECT_FALSE(pAction->icon().isNull()) << pAction->toolTip().toStdString();
        }
      }
      EXPECT_EQ(shown.join(" | ").toStdString(), fields.join(" | ").toStdString());
      ++bars;
    } else {
      const QAction* pAction = Frame().GetAction(id);
      EXPECT_EQ((pAction->statusTip() + " | " + pAction->shortcut().toString()).toStdString(),
                fields.join(" | ").toStdString())
          << line;
      ++prompts;
    }
  }
  EXPECT_EQ(std::make_pair(bars, prompts), std::make_pair(9, 11));
  EXPECT_TRUE(
      tvr_test::MenuTitled(Frame().menuBar(), QStringLiteral("&File"))->actions().contains(Frame().GetAction(57604)));
}

// The toolbar list, each bar checked, hides and shows its bar (View >
// Toolbars is the same list); the card parameters bar has its entry too.
TEST_F(ShellTest, TheToolbarListHidesAndShowsEachBar) {
  EXPECT_EQ(Frame().GetCardParamsBar()->windowTitle(), QStringLiteral("Card Parameters"));
  std::unique_ptr<QMenu> pMenu(Frame().createPopupMenu());
  EXPECT_EQ(ActionTexts(pMenu->actions(), true),
            (QStringList{"S&tandard Toolbar (on)", "&Script Toolbar (on)", "&Protocol Toolbar (on)",
                         "&Command Toolbar (on)", "&Loopback Toolbar (on)", "&Synchrone Toolbar (on)",
                         "&Card Parameters Toolbar (on)", "&Mode Toolbar (on)", "St&andard Script Toolbar (on)",
                         "S&elect Card Toolbar (on)", "-", "&Customize..."}));
  QToolBar* pScript = Frame().GetToolBar(32818);
  pMenu->actions()[1]->trigger();
  EXPECT_FALSE(pScript->isVisible());
  pMenu.reset(Frame().createPopupMenu());
  EXPECT_FALSE(pMenu->actions()[1]->isChecked());
  Frame().GetAction(32818)->trigger();
  EXPECT_TRUE(pScript->isVisible());
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

TEST_F(ShellTest, ScriptCommandsFollowTheActiveReadersConnectionAndRun) {
  struct Row {
    tvr::UINT id;
    bool states[4];  // no reader, idle, connected, running
  } rows[] = {
      {33792, {false, false, true, false}},  // Start
      {33794, {false, false, true, false}},  // Step
      {33793, {false, false, false, true}},  // Stop: only while a run goes on
      {32831, {false, true, true, true}},    // Delay Options: always, with a reader
      {57600, {true, true, true, true}},     // New: the frame's
      {57664, {true, true, true, true}},     // About
      {32858, {false, false, true, true}},   // Register tool: only on a connected reader
  };
  auto expect = [&](int state) {
    Frame().UpdateCommandStates();
    for (const Row& r : rows) EXPECT_EQ(Frame().GetAction(r.id)->isEnabled(), r.states[state]) << r.id << " " << state;
  };
  expect(0);
  CTVRTestBoard& doc = NewReader();
  CTVRBoardDocPrivate& priv = CTVRBoardDocPrivate::Of(doc);
  expect(1);
  priv.m_bConnected = TRUE;
  expect(2);
  // A run waiting for its answer.
  CTVRTestProtocol protocol;
  priv.m_pProtocol = &protocol;
  priv.SetScriptLines({"01 02;"});
  priv.OnScriptStart();
  ASSERT_TRUE(doc.IsRunning());
  expect(3);
  doc.OnScriptStop();
  priv.m_pProtocol = nullptr;
}

// The Edit and Script commands act on the reader's pane with the focus, and
// are enabled as that pane says (the toolbar buttons share the menu items'
// actions); what each pane makes of each command is its own test (ScriptView,
// BoardView).
TEST_F(ShellTest, ViewCommandsGoToThePaneWithTheFocus) {
  CTVRBoardDocPrivate& doc = CTVRBoardDocPrivate::Of(NewReader());
  CTVRChildFrame* pChild = Frame().GetFrames()[0];
  auto* pScript = static_cast<CTVRScriptView*>(pChild->GetScriptPane());
  auto* pTrace = static_cast<CTVRBoardView*>(pChild->GetTracePane());
  doc.NotifyMessage("Loop 1", TRACE_INFO);
  pTrace->FlushFrame();

  enum EPane { SCRIPT, TRACE };
  // The pane's state before the command: "01" of the first line selected, or nothing.
  struct Row {
    tvr::UINT id;
    EPane pane;
    bool selected;
    bool enabled;
    std::function<void()> check;  // what the command did, when enabled
  };
  using Lines = std::vector<std::string>;
  auto lines = [&] { return Lines{doc.GetLine(0), doc.GetLine(1)}; };
  auto clipboard = [] { return QApplication::clipboard()->text().toStdString(); };
  const Row rows[] = {
      {57635, SCRIPT, true, true,
       [&] {
         EXPECT_EQ(std::make_pair(lines(), clipboard()), std::make_pair(Lines{" 02;", "03 04;"}, std::string("01")));
       }},
      {57607, SCRIPT, false, false, {}},
      {33788, SCRIPT, false, true, [&] { EXPECT_EQ(doc.GetCurrentLine(), 1); }},
      {57634, TRACE, true, true, [&] { EXPECT_EQ(clipboard(), "Loop 1\r\n"); }},
      {57607, TRACE, false, true, {}},
      {33791, TRACE, false, false, {}},
      {33788, TRACE, false, false, {}},
  };
  for (const Row& row : rows) {
    const std::string what =
        std::to_string(row.id) + (row.pane == SCRIPT ? " script" : " trace") + (row.selected ? " selected" : "");
    doc.SetScriptLines({"01 02;", "03 04;"});
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
    QMenu* pMenu = nullptr;
    for (QAction* pTop : Frame().menuBar()->actions())
      if (pTop->menu() != nullptr && pTop->menu()->actions().contains(pAction)) pMenu = pTop->menu();
    ASSERT_NE(pMenu, nullptr) << what;
    pMenu->popup(QPoint(0, 0));  // opening it asks for the states
    const bool enabled = pAction->isEnabled();
    pMenu->hide();
    EXPECT_EQ(enabled, row.enabled) << what;
    if (!enabled) continue;
    bool printDialog = false;
    if (row.id == 57607)
      OnNextModal([&](QDialog* pDialog) {
        printDialog = true;
        pDialog->reject();
      });
    pAction->trigger();
    EXPECT_EQ(printDialog, row.id == 57607) << what;
    if (row.check) row.check();
  }
}

// After a run with one failed expectation of two: the counts in the status
// bar, the Verdicts bar shown with the mismatch, and its double-click puts
// the editor's caret on the expectation's line.
TEST_F(ShellTest, TheVerdictsBarListsAFailingRunsMismatchAndLeadsToItsLine) {
  CTVRTestBoard& board = NewReader();
  CTVRBoardDocPrivate& doc = CTVRBoardDocPrivate::Of(board);
  CTVRTestProtocol protocol;
  doc.m_pProtocol = &protocol;
  doc.m_bConnected = TRUE;
  board.SetResponder(CTVRTestBoard::EchoResponder());
  doc.SetScriptLines({"* two expectations", "01 02;", ".expect(60 *);", "", ".expect(FF);"});
  Frame().UpdateCommandStates();
  EXPECT_FALSE(Frame().GetVerdictCounts()->isVisibleTo(&Frame()));
  EXPECT_FALSE(Frame().GetVerdictsBar()->isVisible()) << "shown by the first mismatch";
  doc.OnScriptStart();
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
  doc.m_pProtocol = nullptr;
}

}  // namespace
