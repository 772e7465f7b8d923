// The reader's own menus in the menu bar: they come with the active reader
// and go with the last one, the Protocol list is rebuilt each time it opens,
// and Connect, Start, Step, Stop and Loop work from the menus, the keys and
// the toolbar against a reader that answers.
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QTest>
#include <QToolBar>

#include <tavric/protocol.h>

#include "document/board_doc_private.h"
#include "menu_texts.h"
#include "shell/board_menu.h"
#include "shell_fixture.h"
#include "test_protocol.h"

namespace {

QStringList VisibleTitles(QMenuBar* pBar) {
  QStringList titles;
  for (QAction* pAction : pBar->actions())
    if (pAction->isVisible()) titles << pAction->text();
  return titles;
}

QStringList Items(QMenu* pMenu) {
  return tvr_test::ActionTexts(pMenu->actions(), true);
}

class BoardMenuTest : public CTVRShellFixture {
 protected:
  void SetUp() override {
    m_nProtocolsBefore = m_Context.Host().GetProtocols().size();
    RegisterMenu(6001,
                 {{0, "&Reader", {{ID_READER_CONNECT, "&Connect", {}}, {ID_READER_DISCONNECT, "&Disconnect", {}}}},
                  {0,
                   "&Script",
                   {{ID_SCRIPT_START, "&Start", {}},
                    {ID_SCRIPT_STEP, "S&tep", {}},
                    {ID_SCRIPT_STOP, "Sto&p", {}},
                    {ID_SCRIPT_LOOP, "&Loop", {}},
                    {},
                    {ID_SCRIPT_RAWDATA, "&Raw data", {}}}},
                  {0, "&Protocol", {{ID_PROTOCOL_FIRST, "Protocols", {}}}}});
    AddBoardType(6001, "Alpha");
    auto* pProtocol = new CTVRTestProtocol;
    pProtocol->SetName("Bench");
    m_Context.Host().AddProtocol(pProtocol);
  }
  void TearDown() override {
    m_pFrame.reset();
    CTVRHost& host = m_Context.Host();
    host.RollBackRegistrations(host.GetTemplates().size(), m_nProtocolsBefore, host.GetCrypto());
    CTVRShellFixture::TearDown();
  }

  QMenu* BoardMenu(const char* title) {
    for (QMenu* pMenu : Frame().GetBoardMenu()->GetMenus())
      if (pMenu->title() == QLatin1String(title)) return pMenu;
    ADD_FAILURE() << "no board menu " << title;
    return nullptr;
  }
  QAction* Item(QMenu* pMenu, const QString& text) {
    Frame().GetBoardMenu()->UpdateMenu(pMenu);
    for (QAction* pAction : pMenu->actions())
      if (pAction->text() == text) return pAction;
    ADD_FAILURE() << "no item " << text.toStdString();
    return nullptr;
  }
  static bool RunUntilStopped(CTVRBoardDoc* pDoc) {
    return CTVRDispatcher::GetInstalled()->RunUntil([pDoc] { return !pDoc->IsRunning(); }, std::chrono::seconds(5));
  }

  std::size_t m_nProtocolsBefore = 0;
};

// Every item of a menu has an access letter of its own.
void ExpectOwnAccessLetters(QMenu* pMenu) {
  QStringList letters;
  for (QAction* pAction : pMenu->actions()) {
    const qsizetype amp = pAction->text().indexOf(QLatin1Char('&'));
    if (!pAction->isSeparator()) letters << (amp < 0 ? QStringLiteral("?") : pAction->text().mid(amp + 1, 1).toLower());
  }
  EXPECT_EQ(QSet<QString>(letters.begin(), letters.end()).size(), letters.size()) << letters.join(' ').toStdString();
  EXPECT_FALSE(letters.contains(QStringLiteral("?")));
}

// The board's Script menu stands in for the frame's: its items with their
// keys, then the frame's others, once each.
TEST_F(BoardMenuTest, TheReadersMenusComeWithItAndGoWithTheLastOne) {
  const QStringList frameOnly = {"&File", "&Edit", "&View", "&Script", "&Tools", "&Window", "&Help"};
  EXPECT_EQ(VisibleTitles(Frame().menuBar()), frameOnly);
  ExpectOwnAccessLetters(tvr_test::MenuTitled(Frame().menuBar(), QStringLiteral("&Script")));
  NewReader();
  EXPECT_EQ(VisibleTitles(Frame().menuBar()),
            (QStringList{"&File", "&Edit", "&View", "&Reader", "&Script", "&Protocol", "&Tools", "&Window", "&Help"}));
  QMenu* pScript = BoardMenu("&Script");
  ASSERT_NE(pScript, nullptr);
  Frame().GetBoardMenu()->UpdateMenu(pScript);
  const QStringList items = Items(pScript);
  const QStringList head = {
      "&Start\tF5 (off)", "S&tep\tF10 (off)", "Sto&p\tEsc (off)", "&Loop", "-", "&Raw data (on)", "-"};
  EXPECT_EQ(items.mid(0, head.size()), head);
  ASSERT_GT(items.size(), head.size());
  EXPECT_TRUE(items[head.size()].startsWith(QStringLiteral("&Breakpoint"))) << items[head.size()].toStdString();
  for (const char* text : {"&Start", "&Delay Options...", "C&yphering...", "Command S&etting..."})
    EXPECT_EQ(items.filter(QString::fromLatin1(text)).size(), 1) << text;
  ExpectOwnAccessLetters(pScript);
  // A second reader of the same board type keeps the same menus.
  NewReader();
  EXPECT_EQ(Frame().GetBoardMenu()->GetMenus().size(), 3u);
  for (CTVRChildFrame* pFrame : Frame().GetFrames()) pFrame->close();
  QApplication::processEvents();
  EXPECT_EQ(VisibleTitles(Frame().menuBar()), frameOnly);
  EXPECT_TRUE(Frame().GetBoardMenu()->GetMenus().empty());
}

TEST_F(BoardMenuTest, ConnectStartStepStopAndLoopFromMenusKeysAndToolbar) {
  CTVRTestBoard* pDoc = &NewReader();
  pDoc->SetResponder(CTVRTestBoard::EchoResponder());
  CTVRBoardDocPrivate::Of(*pDoc).SetScriptLines({"01 01;", "01 02;", "01 03;"});
  QMenu* pReader = BoardMenu("&Reader");
  QMenu* pScript = BoardMenu("&Script");
  ASSERT_TRUE(pReader != nullptr && pScript != nullptr);

  // Without a protocol the reader cannot be connected.
  Item(pReader, QStringLiteral("&Connect"))->trigger();
  EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"Unknown Protocol!"});
  // The Protocol list is rebuilt each time it opens: the chosen one checked, nothing doubled.
  QMenu* pProtocol = BoardMenu("&Protocol");
  Item(pProtocol, QStringLiteral("&1  Bench"))->trigger();
  ASSERT_NE(pDoc->GetProtocol(), nullptr);
  Frame().GetBoardMenu()->UpdateMenu(pProtocol);
  Frame().GetBoardMenu()->UpdateMenu(pProtocol);
  EXPECT_EQ(Items(pProtocol), (QStringList{"&1  Bench (on)", "-", "No availables commands (off)"}));
  Item(pReader, QStringLiteral("&Connect"))->trigger();
  ASSERT_TRUE(pDoc->IsConnected());
  Frame().GetBoardMenu()->UpdateMenu(pReader);
  EXPECT_EQ(Items(pReader), (QStringList{"&Connect (off)", "&Disconnect"}));

  // Step from its key: one statement.
  QApplication::setActiveWindow(&Frame());
  QTest::keyClick(&Frame(), Qt::Key_F10);
  ASSERT_TRUE(RunUntilStopped(pDoc));
  EXPECT_EQ(pDoc->m_Sent.size(), 1u);

  // Start from the menu runs the rest of the script.
  Item(pScript, QStringLiteral("&Start\tF5"))->trigger();
  ASSERT_TRUE(RunUntilStopped(pDoc));
  EXPECT_EQ(pDoc->m_Sent.size(), 3u);

  // Loop from the Script toolbar's button, checked in the menu too.
  QToolBar* pBar = Frame().GetToolBar(32818);
  QTest::mouseClick(pBar->widgetForAction(Frame().GetAction(ID_SCRIPT_LOOP)), Qt::LeftButton);
  EXPECT_TRUE(CTVRBoardDocPrivate::Of(*pDoc).IsLoopMode());
  Frame().GetBoardMenu()->UpdateMenu(pScript);
  EXPECT_TRUE(Items(pScript).contains(QStringLiteral("&Loop (on)")));

  // F5 runs round and round; Esc stops it.
  QTest::keyClick(&Frame(), Qt::Key_F5);
  EXPECT_TRUE(pDoc->IsRunning());
  CTVRDispatcher::GetInstalled()->RunUntil([pDoc] { return pDoc->m_Sent.size() > 10; }, std::chrono::seconds(5));
  EXPECT_TRUE(pDoc->IsRunning()) << "loop mode goes on past the end";
  QTest::keyClick(&Frame(), Qt::Key_Escape);
  EXPECT_FALSE(pDoc->IsRunning());  // nothing sent after a stop: RunControl.LoopModeRepeatsUntilStop...

  Item(pReader, QStringLiteral("&Disconnect"))->trigger();
  EXPECT_FALSE(pDoc->IsConnected());
}

}  // namespace
