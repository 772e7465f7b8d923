// Script files through the document's Open, Save and Save As commands and the
// recent-file list: line ends, files that are not text, paths that cannot be
// read or written.
#include <filesystem>

#include "doc_fixture.h"
#include "document/board_doc_private.h"
#include "document/line_store.h"
#include "document/run_controller.h"
#include "document/workspace.h"
#include "platform/recent_file_list.h"
#include "temp_folder.h"

namespace {

const char kFilter[] = "Script Files (*.cmd)|*.cmd|All Files (*.*)|*.*||";

class ScriptFiles : public CTVRDocFixture {
 protected:
  void SetUp() override {
    CTVRDocFixture::SetUp();
    m_Context.RecentFiles().Clear();
  }
  void TearDown() override {
    m_Context.RecentFiles().Clear();
    CTVRDocFixture::TearDown();
  }
  std::string Path(const std::string& name) { return m_Folder.PathOf(name); }
  std::string Write(const std::string& name, const std::string& content) { return m_Folder.Write(name, content); }
  static std::string Read(const std::string& path) { return tvr_test::CTempFolder::Read(path); }
  std::vector<std::string> Lines() { return CTVRBoardDocPrivate::Of(*m_pDoc).GetLineStore().GetLines(); }
  std::vector<std::string> Recent() {
    std::vector<std::string> paths;
    for (int i = 0; i < m_Context.RecentFiles().GetCount(); ++i) paths.push_back(m_Context.RecentFiles().GetPath(i));
    return paths;
  }

  tvr_test::CTempFolder m_Folder;
};

TEST_F(ScriptFiles, LineEndsOfEveryKindAndFilesThatAreNotText) {
  const std::string binary("\x01\x00\xFF\r\x80\n\x00\x00", 8);
  const std::vector<std::tuple<std::string, std::vector<std::string>, std::string>> cases = {
      // content, lines read, file written back
      {"a;\r\nb;\r\n", {"a;", "b;"}, "a;\nb;\n"},
      {"a;\nb;\n", {"a;", "b;"}, "a;\nb;\n"},
      {"a;\nlast", {"a;", "last"}, "a;\nlast\n"},
      {"\n\n", {"", ""}, "\n\n"},
      {"lone\rcr\r\n", {"lone\rcr"}, "lone\rcr\n"},
      {binary, {std::string("\x01\x00\xFF\r\x80", 5), std::string("\x00\x00", 2)}, binary + "\n"},
      {"", {}, ""},  // an empty file has no line at all, and is saved empty again
  };
  for (const auto& [content, lines, written] : cases) {
    m_Prompts.m_FileAnswers = {Write("in.cmd", content)};
    m_pDoc->DoCommand(ID_FILE_OPEN);
    EXPECT_EQ(Lines(), lines);
    EXPECT_TRUE(m_Prompts.m_Messages.empty());
    m_pDoc->DoCommand(ID_FILE_SAVE);
    EXPECT_EQ(Read(Path("in.cmd")), written);
  }
}

TEST_F(ScriptFiles, OpenAsksForAnExistingScriptAndLoadsItIntoThisDocument) {
  CTVRBoardDocPrivate::Of(*m_pDoc).GetRunController().SetTraceOn(FALSE);
  CTVRBoardDocPrivate::Of(*m_pDoc).SetLoopCounter(7);
  const std::string path = Write("open.cmd", "00 A4;\n");
  m_Prompts.m_FileAnswers = {path};
  m_pDoc->DoCommand(ID_FILE_OPEN);
  EXPECT_EQ(m_Prompts.m_FileDialogInitialNames, std::vector<std::string>{"noname"});
  EXPECT_EQ(
      std::make_tuple(CTVRBoardDocPrivate::Of(*m_pDoc).GetScriptPath(), CTVRBoardDocPrivate::Of(*m_pDoc).GetCaption(),
                      m_pDoc->IsTraceOn(), CTVRBoardDocPrivate::Of(*m_pDoc).GetLoopCounter()),
      std::make_tuple(path, std::string("noname - [open.cmd]"), TRUE, 0));
  EXPECT_EQ(Recent(), std::vector<std::string>{path});
}

TEST_F(ScriptFiles, PathsThatCannotBeReadOrWrittenSaySoAndChangeNothing) {
  const std::string good = Write("good.cmd", "01;\n02;\n");
  ASSERT_TRUE(CTVRBoardDocPrivate::Of(*m_pDoc).OnOpenDocument(good));
  const auto caption = CTVRBoardDocPrivate::Of(*m_pDoc).GetCaption();
  const std::vector<std::string> unreadable = {m_Folder.Path(), Path("vanished.cmd"), ""};
  for (const std::string& path : unreadable) {
    m_Prompts.m_Messages.clear();
    m_Prompts.m_FileAnswers = {path.empty() ? std::string("/nonexistent/dir/x.cmd") : path};
    m_pDoc->DoCommand(ID_FILE_OPEN);
    EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"Failed to open document."}) << path;
    EXPECT_EQ(std::make_tuple(Lines(), CTVRBoardDocPrivate::Of(*m_pDoc).GetScriptPath(),
                              CTVRBoardDocPrivate::Of(*m_pDoc).GetCaption()),
              std::make_tuple(std::vector<std::string>{"01;", "02;"}, good, caption));
  }

  const std::vector<std::string> unwritable = {m_Folder.Path(), Path("no/such/folder/x.cmd"), "/proc/version.cmd"};
  for (const std::string& path : unwritable) {
    m_Prompts.m_Messages.clear();
    m_Prompts.m_FileAnswers = {path};
    m_pDoc->DoCommand(ID_FILE_SAVE_AS);
    EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"Failed to save document."}) << path;
    EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetScriptPath(), good) << "the document keeps its name";
  }
  EXPECT_TRUE(std::filesystem::is_directory(m_Folder.Path()));
  EXPECT_EQ(Read(good), "01;\n02;\n");
  // Nothing is left behind by the failed saves.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_Folder.Path()), {}), 1);
}

TEST_F(ScriptFiles, SaveOfAnUnsavedScriptAsksForANameAndAddsTheExtension) {
  CTVRBoardDocPrivate::Of(*m_pDoc).SetLine(0, "00 B0;");
  m_Prompts.m_FileAnswers = {""};  // cancelled
  m_pDoc->DoCommand(ID_FILE_SAVE);
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetScriptPath(), "noname");
  EXPECT_TRUE(m_pDoc->IsModified());

  m_Prompts.m_FileAnswers = {Path("bench")};
  m_pDoc->DoCommand(ID_FILE_SAVE);
  EXPECT_EQ(m_Prompts.m_FileDialogInitialNames, (std::vector<std::string>{"", ""}));
  EXPECT_EQ(
      std::make_tuple(CTVRBoardDocPrivate::Of(*m_pDoc).GetScriptPath(), CTVRBoardDocPrivate::Of(*m_pDoc).GetCaption(),
                      m_pDoc->IsModified(), Read(Path("bench.cmd"))),
      std::make_tuple(Path("bench.cmd"), std::string("noname - [bench.cmd]"), FALSE, std::string("00 B0;\n")));
  EXPECT_EQ(Recent(), std::vector<std::string>{Path("bench.cmd")});

  // Save now writes to that file without asking; an existing file is replaced whole.
  CTVRBoardDocPrivate::Of(*m_pDoc).SetLine(0, "01;");
  m_pDoc->DoCommand(ID_FILE_SAVE);
  EXPECT_EQ(Read(Path("bench.cmd")), "01;\n");
  EXPECT_EQ(m_Prompts.m_FileDialogInitialNames.size(), 2u);
  // Save As writes the script under a new name, which the caption follows.
  m_Prompts.m_FileAnswers = {Path("second.cmd")};
  m_pDoc->DoCommand(ID_FILE_SAVE_AS);
  EXPECT_EQ(
      std::make_tuple(Read(Path("bench.cmd")), Read(Path("second.cmd")), CTVRBoardDocPrivate::Of(*m_pDoc).GetCaption()),
      std::make_tuple(std::string("01;\n"), std::string("01;\n"), std::string("noname - [second.cmd]")));
  EXPECT_EQ(m_Prompts.m_FileDialogInitialNames, (std::vector<std::string>{"", "", ""}));
}

TEST_F(ScriptFiles, TheRecentListKeepsFourNewestFirstAndSurvivesARestart) {
  CTVRRecentFileList& list = m_Context.RecentFiles();
  for (const char* name : {"1.cmd", "2.cmd", "3.cmd", "2.cmd", "4.cmd", "5.cmd"}) list.Add(Path(name));
  EXPECT_EQ(Recent(), (std::vector<std::string>{Path("5.cmd"), Path("4.cmd"), Path("2.cmd"), Path("3.cmd")}));
  EXPECT_EQ(list.GetMenuTexts(), (std::vector<std::string>{"&1 5.cmd", "&2 4.cmd", "&3 2.cmd", "&4 3.cmd"}));
  ASSERT_TRUE(list.Save());
  list.Remove(0);
  list.Remove(0);
  ASSERT_TRUE(list.Save());
  list.Add(Path("x.cmd"));
  list.Load();
  EXPECT_EQ(Recent(), (std::vector<std::string>{Path("2.cmd"), Path("3.cmd")}));
}

}  // namespace
