// The application's start-up and exit: the readers open at exit come back at
// the next start with their windows and the toolbars as they were, every way
// of closing asks first, and the recent files open into the active reader.
#include <cstdio>

#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QTest>
#include <QToolBar>

#include <tavric/registry.h>

#include "document/board_doc_private.h"
#include "document/line_store.h"
#include "document/window_placement.h"
#include "document/workspace.h"
#include "menu_texts.h"
#include "platform/recent_file_list.h"
#include "shell/app.h"
#include "shell/recent_file_menu.h"
#include "shell_fixture.h"
#include "temp_folder.h"

class CShBoardA : public CTVRTestBoard {
  TVR_DECLARE_DYNCREATE(CShBoardA)
};
class CShBoardB : public CTVRTestBoard {
  TVR_DECLARE_DYNCREATE(CShBoardB)
};
TVR_IMPLEMENT_DYNCREATE(CShBoardA)
TVR_IMPLEMENT_DYNCREATE(CShBoardB)

namespace {

class AppTest : public CTVRShellFixture {
 protected:
  void SetUp() override {
    // A settings file of this test's own: what one start leaves, the next finds.
    m_OldSettings = qgetenv("TAVRIC_SETTINGS");
    qputenv("TAVRIC_SETTINGS", QByteArray::fromStdString(m_Folder.PathOf("Tavric.ini")));
    m_Context.RecentFiles().Clear();
    // Board classes of their own: the workspace names its sections after them.
    AddBoardType(6101, "Alpha", TVR_RUNTIME_CLASS(CShBoardA));
    AddBoardType(6102, "Beta", TVR_RUNTIME_CLASS(CShBoardB));
  }
  void TearDown() override {
    m_pApp.reset();
    m_Context.RecentFiles().Clear();
    qputenv("TAVRIC_SETTINGS", m_OldSettings);
    CTVRShellFixture::TearDown();
  }

  CMainFrame& Start() {
    m_pApp = std::make_unique<CTVRApp>(m_Context);
    m_pApp->m_bDiscoverPlugins = false;
    // The test answers the questions, not a person.
    m_pApp->m_bInstallPrompts = false;
    EXPECT_TRUE(m_pApp->InitInstance());
    QApplication::processEvents();
    return *m_pApp->GetMainFrame();
  }
  void Exit() {
    m_pApp->GetMainFrame()->close();
    m_pApp.reset();
    CTVRDispatcher::GetInstalled()->RunUntilIdle();
  }
  static QStringList Titles(CMainFrame& frame) {
    QStringList titles;
    for (CTVRChildFrame* pFrame : frame.GetFrames()) titles << pFrame->windowTitle();
    return titles;
  }
  static CTVRChildFrame* FrameTitled(CMainFrame& frame, const QString& title) {
    for (CTVRChildFrame* pFrame : frame.GetFrames())
      if (pFrame->windowTitle() == title) return pFrame;
    ADD_FAILURE() << "no window " << title.toStdString();
    return nullptr;
  }
  CTVRDocTemplate& Template(int index) { return *m_Context.Host().GetTemplates()[index]; }

  tvr_test::CTempFolder m_Folder;
  QByteArray m_OldSettings;
  std::unique_ptr<CTVRApp> m_pApp;
};

TEST_F(AppTest, ThreeReadersOfTwoBoardTypesComeBackWithTheirWindowsAfterARestart) {
  CMainFrame& first = Start();
  first.OnCommand(33768);  // Alpha1
  first.OnCommand(33769);  // Beta1
  first.OnCommand(33768);  // Alpha2
  QApplication::processEvents();
  ASSERT_EQ(Titles(first), (QStringList{"Alpha1 - [noname]", "Beta1 - [noname]", "Alpha2 - [noname]"}));
  CTVRChildFrame* pAlpha1 = first.GetFrames()[0];
  pAlpha1->setGeometry(30, 40, 500, 380);
  QApplication::processEvents();
  const int trace = pAlpha1->GetSplitter()->height() - 120 - pAlpha1->GetSplitter()->handleWidth();
  pAlpha1->GetSplitter()->setSizes({120, trace});
  const QRect alpha2 = first.GetFrames()[2]->geometry();
  // Maximised last: the area maximises whichever window is activated after it.
  first.GetFrames()[1]->showMaximized();
  first.GetToolBar(32818)->hide();
  first.SetToolBarButtons(32819, {35015, 0, 35002});
  Exit();

  CMainFrame& second = Start();
  EXPECT_TRUE(m_Prompts.m_Messages.empty() && m_Prompts.m_Questions.empty()) << "no word at the restart";
  // The first board type's readers first, each type in its order.
  EXPECT_EQ(Titles(second), (QStringList{"Alpha1 - [noname]", "Alpha2 - [noname]", "Beta1 - [noname]"}));
  EXPECT_EQ(second.GetActiveDocument(), FrameTitled(second, "Beta1 - [noname]")->GetDocument());
  CTVRChildFrame* pBack = FrameTitled(second, "Alpha1 - [noname]");
  ASSERT_NE(pBack, nullptr);
  EXPECT_EQ(pBack->geometry(), QRect(30, 40, 500, 380));
  EXPECT_EQ(pBack->GetRowHeight(0), 120);
  EXPECT_EQ(pBack->GetRowHeight(1), trace);
  EXPECT_FALSE(pBack->IsFirstSizePending());
  EXPECT_EQ(FrameTitled(second, "Alpha2 - [noname]")->geometry(), alpha2);
  EXPECT_TRUE(FrameTitled(second, "Beta1 - [noname]")->isMaximized());
  EXPECT_FALSE(second.GetToolBar(32818)->isVisible());
  EXPECT_TRUE(second.GetToolBar(35819)->isVisible());
  EXPECT_EQ(second.GetToolBarButtons(32819), (std::vector<tvr::UINT>{35015, 0, 35002}));
  EXPECT_EQ(second.GetToolBarButtons(32817), (std::vector<tvr::UINT>{36011, 36012, 36013, 36014, 36015, 36016}));
}

// The Window menu tiles a rack's windows side by side or cascades them (a
// restart brings back any geometry: the test above).
TEST_F(AppTest, TileSetsTheWindowsSideBySideAndCascadeOffsetsEach) {
  CMainFrame& frame = Start();
  for (int i = 0; i < 4; ++i) frame.OnCommand(33768);
  for (const tvr::UINT arrange : {57651u /* Tile */, 57650u /* Cascade */}) {
    frame.OnCommand(arrange);
    QApplication::processEvents();
    const std::vector<CTVRChildFrame*>& frames = frame.GetFrames();
    for (std::size_t i = 1; i < 4; ++i) {
      const QRect before = frames[i - 1]->geometry(), at = frames[i]->geometry();
      EXPECT_TRUE(arrange == 57651u ? !at.intersects(before) : at.topLeft() != before.topLeft()) << arrange << i;
    }
  }
}

// Without all five values (here Row1.min), the window is placed and split as a new one.
TEST_F(AppTest, AFrameIsRestoredOnlyFromAllFiveValues) {
  {
    CTVRRegistry reg(FALSE, FALSE);
    ASSERT_TRUE(reg.CreateKey(CTVRWorkspace::GetBoardTypeSection(Template(0))));
    reg.Write("UntitledCount", DWORD(1));
    reg.Write("NbDoc", DWORD(1));
    CTVRRegistry doc(FALSE, FALSE);
    ASSERT_TRUE(doc.CreateKey(CTVRWorkspace::GetDocumentSection(Template(0), 0)));
    CTVRWindowPlacement placement;  // shown normally, 30,40 - 530,420
    std::tie(placement.m_nLeft, placement.m_nTop, placement.m_nRight, placement.m_nBottom) =
        std::tuple(30, 40, 530, 420);
    doc.Write("Placement", placement.Encode().data(), 44);
    doc.Write("Row0.cur", 120);
    doc.Write("Row0.min", 50);
    doc.Write("Row1.cur", 150);
  }
  CMainFrame& frame = Start();
  ASSERT_EQ(frame.GetFrames().size(), 1u);
  EXPECT_EQ(frame.GetFrames()[0]->geometry(), QRect(0, 0, 520, 420));
  EXPECT_NE(frame.GetFrames()[0]->GetRowHeight(0), 120);
  EXPECT_EQ(frame.GetFrames()[0]->GetRowMinimum(0), 50);
}

// Every way of closing a reader asks first. Its close button and File > Close
// offer an edited script for saving, then ask the close question (only Yes
// closes). Closing the main window offers the edited scripts only: the
// readers are stored and come back at the next start (the test above; their
// scripts: Workspace.TwoBoardTypesWithTwoAndOneDocumentsComeBackInOrder).
TEST_F(AppTest, EveryWayOfClosingAReaderAsksFirst) {
  using A = CTVRUserPrompts::EAnswer;
  const std::string save = "Save changes to bench.cmd?";
  const std::string close =
      "If you close the document now, you will lose all parameters of the document (Protocol, COM, ...) !\n"
      "Do you want to close it ?";
  const std::string original = "01 02;\n";
  const std::string edited = "FF 01 02;\n";
  enum EDoor { CLOSE_BUTTON, FILE_CLOSE, MAIN_WINDOW };
  struct Case {
    EDoor door;
    bool edit;
    std::vector<A> saveAnswers;
    std::vector<tvr::BOOL> closeAnswers;
    std::vector<std::string> questions;
    bool stays;
    std::string file;
  } cases[] = {
      {CLOSE_BUTTON, false, {}, {FALSE}, {close}, true, original},
      {CLOSE_BUTTON, false, {}, {TRUE}, {close}, false, original},
      {CLOSE_BUTTON, true, {A::ANSWER_CANCEL}, {}, {save}, true, original},
      {CLOSE_BUTTON, true, {A::ANSWER_NO}, {FALSE}, {save, close}, true, original},
      {CLOSE_BUTTON, true, {A::ANSWER_NO}, {TRUE}, {save, close}, false, original},
      {CLOSE_BUTTON, true, {A::ANSWER_YES}, {TRUE}, {save, close}, false, edited},
      {FILE_CLOSE, false, {}, {FALSE}, {close}, true, original},
      {FILE_CLOSE, true, {A::ANSWER_YES}, {TRUE}, {save, close}, false, edited},
      {MAIN_WINDOW, false, {}, {}, {}, false, original},
      {MAIN_WINDOW, true, {A::ANSWER_CANCEL}, {}, {save}, true, original},
      {MAIN_WINDOW, true, {A::ANSWER_NO}, {}, {save}, false, original},
      {MAIN_WINDOW, true, {A::ANSWER_YES}, {}, {save}, false, edited},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string what = "case " + std::to_string(++n);
    qputenv("TAVRIC_SETTINGS", QByteArray::fromStdString(m_Folder.PathOf("close" + std::to_string(n) + ".ini")));
    const std::string path = m_Folder.Write("bench.cmd", original);
    CMainFrame& frame = Start();
    frame.OnCommand(33768);
    m_Prompts.m_FileAnswers = {path};
    frame.OnCommand(57601);
    CTVRChildFrame* pChild = frame.GetFrames()[0];
    if (c.edit) QTest::keyClicks(pChild->GetScriptPane(), QStringLiteral("FF "));
    const std::string lines = CTVRBoardDocPrivate::Of(*pChild->GetDocument()).GetLine(0) + "\n";
    m_Prompts.m_Questions.clear();
    m_Prompts.m_YesNoCancelAnswers = c.saveAnswers;
    m_Prompts.m_YesNoAnswers = c.closeAnswers;
    if (c.door == CLOSE_BUTTON) pChild->close();
    if (c.door == FILE_CLOSE) frame.OnCommand(57602);
    if (c.door == MAIN_WINDOW) frame.close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(m_Prompts.m_Questions, c.questions) << what;
    EXPECT_EQ(m_Folder.Read(path), c.file) << what;
    if (c.door == MAIN_WINDOW) {
      EXPECT_EQ(frame.isVisible(), c.stays) << what;
    } else {
      ASSERT_EQ(frame.GetFrames().size(), c.stays ? 1u : 0u) << what;
    }
    // A reader kept keeps its script as it was edited.
    if (c.stays) {
      EXPECT_EQ(CTVRBoardDocPrivate::Of(*frame.GetActiveDocument()).GetLine(0) + "\n", lines) << what;
    }
    m_pApp.reset();
  }
}

using RecentFiles = AppTest;

// The list shows in the File menu, enabled only with a reader; an entry opens
// into the active reader after the save question; the list is kept over a
// restart.
TEST_F(RecentFiles, TheListShowsInTheFileMenuAndAnEntryOpensIntoTheActiveReader) {
  CMainFrame& frame = Start();
  auto* pList = tvr_test::MenuTitled(frame.menuBar(), QStringLiteral("&File"))->findChild<CTVRRecentFileMenu*>();
  ASSERT_NE(pList, nullptr);
  auto entries = [pList] { return tvr_test::ActionTexts(pList->GetEntries(), true); };
  auto recent = [this] { return m_Context.RecentFiles().GetMenuTexts(); };
  using Texts = std::vector<std::string>;
  QAction* pPlaceholder = nullptr;
  for (QAction* pAction : static_cast<QMenu*>(pList->parent())->actions())
    if (pAction->text() == QStringLiteral("Recent File")) pPlaceholder = pAction;
  ASSERT_NE(pPlaceholder, nullptr);
  pList->Update();
  EXPECT_TRUE(entries().isEmpty());
  EXPECT_TRUE(pPlaceholder->isVisible());
  EXPECT_FALSE(pPlaceholder->isEnabled());

  const std::string a = m_Folder.Write("a.cmd", "01 01;\n");
  const std::string b = m_Folder.Write("b.cmd", "02 02;\n02 03;\n");
  m_Context.RecentFiles().Add(a);
  m_Context.RecentFiles().Add(b);
  pList->Update();
  EXPECT_EQ(entries(), (QStringList{"&1 b.cmd (off)", "&2 a.cmd (off)"}));
  EXPECT_FALSE(pPlaceholder->isVisible());
  frame.OnCommand(33768);
  pList->Update();
  EXPECT_EQ(entries(), (QStringList{"&1 b.cmd", "&2 a.cmd"}));

  ASSERT_NE(frame.GetActiveDocument(), nullptr);
  CTVRBoardDocPrivate& doc = CTVRBoardDocPrivate::Of(*frame.GetActiveDocument());
  doc.SetScriptLines({"09 09;"});
  frame.GetActiveDocument()->SetModifiedFlag(TRUE);
  // Cancel keeps everything as it was.
  m_Prompts.m_YesNoCancelAnswers = {CTVRUserPrompts::ANSWER_CANCEL};
  pList->GetEntries()[1]->trigger();
  EXPECT_EQ(doc.GetLineStore().GetLines(), std::vector<std::string>{"09 09;"});
  EXPECT_EQ(recent(), (Texts{"&1 b.cmd", "&2 a.cmd"}));
  EXPECT_EQ(m_Prompts.m_Questions, std::vector<std::string>{"Save changes to noname?"});
  // No drops the changes: the script comes into this reader, no new one is made.
  m_Prompts.m_YesNoCancelAnswers = {CTVRUserPrompts::ANSWER_NO};
  pList->GetEntries()[1]->trigger();
  EXPECT_EQ(doc.GetLineStore().GetLines(), std::vector<std::string>{"01 01;"});
  EXPECT_EQ(recent(), (Texts{"&1 a.cmd", "&2 b.cmd"}));
  EXPECT_EQ(frame.GetFrames().size(), 1u);
  EXPECT_EQ(frame.GetFrames()[0]->windowTitle(), QStringLiteral("Alpha1 - [a.cmd]"));
  // A file gone since is said so and drops off the list; the reader keeps its script.
  std::remove(b.c_str());
  pList->Update();
  pList->GetEntries()[1]->trigger();
  EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"Failed to open document."});
  EXPECT_EQ(doc.GetLineStore().GetLines(), std::vector<std::string>{"01 01;"});
  EXPECT_EQ(recent(), Texts{"&1 a.cmd"});

  // The list is kept with the workspace.
  Exit();
  m_Context.RecentFiles().Clear();
  Start();
  EXPECT_EQ(recent(), Texts{"&1 a.cmd"});
}

}  // namespace
