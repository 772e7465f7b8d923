// User-defined tools: the list kept in the settings store (ten at most, bad
// entries dropped), edited on the Customize dialog's Tools page, shown in the
// Tools menu and started as programs of their own.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <tavric/registry.h>

#include "menu_texts.h"
#include "shell/customize_dlg.h"
#include "shell/user_tool_list.h"
#include "shell/user_tools_menu.h"
#include "shell/user_tools_page.h"
#include "shell_fixture.h"

namespace {

class UserToolsTest : public CTVRShellFixture {
 protected:
  void SetUp() override { CTVRUserToolList().Save(); }  // no tool
  void TearDown() override {
    CTVRShellFixture::TearDown();
    CTVRUserToolList().Save();
  }

  QMenu* ToolsMenu() { return tvr_test::MenuTitled(Frame().menuBar(), QStringLiteral("&Tools")); }
  QStringList ToolsMenuTexts() { return tvr_test::ActionTexts(ToolsMenu()->actions()); }
};

CTVRUserTool Tool(const char* name, const char* command, const char* arguments = "", const char* directory = "") {
  return {QString::fromUtf8(name), QString::fromUtf8(command), QString::fromUtf8(arguments),
          QString::fromUtf8(directory)};
}

// Tools without a name or a command are dropped, ten are kept; damaged stored
// values lose only what they hold.
TEST_F(UserToolsTest, TheListKeepsTenValidToolsAndComesBackFromTheStore) {
  std::vector<CTVRUserTool> tools = {Tool("&Editor", "gedit", "--new-window", "/tmp"), Tool("No command", ""),
                                     Tool("  ", "true")};
  for (int i = 1; i <= 11; ++i) tools.push_back(Tool("T", "true", std::to_string(i).c_str()));
  CTVRUserToolList list;
  list.SetTools(tools);
  ASSERT_EQ(list.GetTools().size(), 10u);
  EXPECT_EQ(list.GetTools()[0], Tool("&Editor", "gedit", "--new-window", "/tmp"));
  EXPECT_EQ(list.GetTools()[9].m_strArguments, QStringLiteral("9"));
  list.Save();
  CTVRUserToolList read;
  read.Load();
  EXPECT_EQ(read.GetTools(), list.GetTools());

  CTVRUserToolList().Save();  // no tool
  for (int count : {99, -3}) {
    CTVRRegistry reg(FALSE, FALSE);
    ASSERT_TRUE(reg.CreateKey(CTVRRegistry::GetRegSectionPath("Tools")));
    reg.Write("Count", count);
    reg.Write("Name1", "One");
    reg.Write("Command1", "true");
    reg.Write("Name2", "Two");  // no command
    reg.Write("Name3", "Three");
    reg.Write("Command3", "false");
    read.Load();
    const std::vector<CTVRUserTool> kept = {Tool("One", "true"), Tool("Three", "false")};
    EXPECT_EQ(read.GetTools(), count < 0 ? std::vector<CTVRUserTool>() : kept);
  }
}

// The tools stand in the Tools menu between the register tool and Customize,
// a frame made later reads them from the store, and choosing one starts its
// program in its folder or says it cannot.
TEST_F(UserToolsTest, ToolsStandInTheToolsMenuAndStartTheirProgramsInTheirFolders) {
  EXPECT_EQ(ToolsMenuTexts(),
            (QStringList{"Register tool", "S&ettings...", "-", "-", "Customize &Tools...", "&Options..."}));
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Frame().GetUserTools()->SetTools(
      {Tool("&Mark", "/bin/sh", "-c \"pwd > 'tool output'\"", dir.path().toUtf8().constData()),
       Tool("&Gone", "/nonexistent/tavric-tool")});
  const QStringList texts = {"Register tool",       "S&ettings...", "-", "&Mark", "&Gone", "-",
                             "Customize &Tools...", "&Options..."};
  EXPECT_EQ(ToolsMenuTexts(), texts);
  EXPECT_EQ(Frame().GetUserTools()->GetActions()[1]->data().toUInt(), 32807u);
  m_pFrame.reset();
  ASSERT_EQ(ToolsMenuTexts(), texts);

  Frame().GetUserTools()->GetActions()[0]->trigger();
  QFile output(dir.filePath(QStringLiteral("tool output")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return output.exists() && output.size() > 0; }, 5000));
  ASSERT_TRUE(output.open(QIODevice::ReadOnly));
  EXPECT_EQ(QDir(QString::fromUtf8(output.readAll().trimmed())).canonicalPath(), QDir(dir.path()).canonicalPath());
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
  Frame().GetUserTools()->GetActions()[1]->trigger();
  EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"Cannot start the tool \"Gone\": /nonexistent/tavric-tool"});
}

TEST_F(UserToolsTest, TheToolsPageAddsEditsMovesAndDeletesAndTheDialogTakesItOnClose) {
  Frame().GetUserTools()->SetTools({Tool("&First", "true")});
  OnNextModal([](QWidget* pDialog) {
    auto* pPage = pDialog->findChild<CTVRUserToolsPage*>();
    ASSERT_NE(pPage, nullptr);
    EXPECT_TRUE(pPage->isVisible());  // the menu item opens the Tools page
    pPage->GetNewButton()->click();
    EXPECT_EQ(pPage->GetNameEdit()->text(), QStringLiteral("Tool 2"));
    pPage->GetNameEdit()->setText(QStringLiteral("&Second"));
    pPage->GetCommandEdit()->setText(QStringLiteral("/usr/bin/env"));
    pPage->GetArgumentsEdit()->setText(QStringLiteral("-i"));
    pPage->GetUpButton()->click();
    EXPECT_FALSE(pPage->GetUpButton()->isEnabled());
    pPage->GetNewButton()->click();
    pPage->GetCommandEdit()->setText(QStringLiteral("true"));
    pPage->GetDeleteButton()->click();
    EXPECT_EQ(pPage->GetList()->count(), 2);
    pDialog->close();
  });
  for (QAction* pAction : ToolsMenu()->actions())
    if (pAction->text() == QStringLiteral("Customize &Tools...")) pAction->trigger();
  EXPECT_EQ(Frame().GetUserTools()->GetList().GetTools(),
            (std::vector<CTVRUserTool>{Tool("&Second", "/usr/bin/env", "-i"), Tool("&First", "true")}));
  CTVRUserToolList stored;
  stored.Load();
  EXPECT_EQ(stored.GetTools().size(), 2u);
  // No more than ten tools can be added.
  CTVRUserToolsPage page;
  for (int i = 0; i < 10; ++i) {
    EXPECT_TRUE(page.GetNewButton()->isEnabled()) << i;
    page.GetNewButton()->click();
  }
  EXPECT_FALSE(page.GetNewButton()->isEnabled());
  EXPECT_EQ(page.GetList()->count(), 10);
}

}  // namespace
