// Script files through the document's Open, Save and Save As commands and the
// recent-file list: line ends, files that are not text, paths that cannot be
// read or written. The edges of the files the program reads and writes: a
// save onto a full disk keeps the file as it was and says so, and nothing
// that is not a regular file (a pipe, a folder, a device) is read or
// written, or blocks.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include <tavric/cmd_code.h>
#include <tavric/registry.h>

#include "doc_fixture.h"
#include "document/board_doc_private.h"
#include "document/line_store.h"
#include "document/run_controller.h"
#include "document/trace_text_view.h"
#include "document/workspace.h"
#include "platform/file_writer.h"
#include "platform/recent_file_list.h"
#include "regtool/reg_param_file.h"
#include "small_disk.h"
#include "temp_folder.h"

namespace {

using tvr_test::CTempFolder;

void Put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A document with a trace view, an empty recent-file list and the tests'
// settings file given back at the end.
class ScriptFiles : public CTVRDocFixture {
 protected:
  void SetUp() override {
    CTVRDocFixture::SetUp();
    m_strSettings = CTVRRegistry::GetStoreFileName();
    m_pDoc->AddView(&m_View);
    m_Context.RecentFiles().Clear();
  }
  void TearDown() override {
    m_Context.RecentFiles().Clear();
    m_pDoc->RemoveView(&m_View);
    setenv("TAVRIC_SETTINGS", m_strSettings.c_str(), 1);
    CTVRDocFixture::TearDown();
  }
  std::string Path(const std::string& name) { return m_Folder.PathOf(name); }
  CTVRBoardDocPrivate& Private() { return CTVRBoardDocPrivate::Of(*m_pDoc); }
  static std::string Read(const std::string& path) { return CTempFolder::Read(path); }
  std::vector<std::string> Lines() { return Private().GetLineStore().GetLines(); }
  std::vector<std::string> Recent() {
    std::vector<std::string> paths;
    for (int i = 0; i < m_Context.RecentFiles().GetCount(); ++i) paths.push_back(m_Context.RecentFiles().GetPath(i));
    return paths;
  }

  CTVRTraceTextView m_View;
  std::string m_strSettings;
  CTempFolder m_Folder;
};
using FileEdges = ScriptFiles;

TEST_F(ScriptFiles, LineEndsOfEveryKindAndFilesThatAreNotText) {
  const std::string binary("\x01\x00\xFF\r\x80\n\x00\x00", 8);
  const std::vector<std::tuple<std::string, std::vector<std::string>, std::string>> cases = {
      // content, lines read, file written back (CR LF and a last line without
      // its end: the line store's long script)
      {"a;\nb;\n", {"a;", "b;"}, "a;\nb;\n"},
      {"\n\n", {"", ""}, "\n\n"},
      {"lone\rcr\r\n", {"lone\rcr"}, "lone\rcr\n"},
      {binary, {std::string("\x01\x00\xFF\r\x80", 5), std::string("\x00\x00", 2)}, binary + "\n"},
      {"", {}, ""},  // an empty file has no line at all, and is saved empty again
  };
  for (const auto& [content, lines, written] : cases) {
    m_Prompts.m_FileAnswers = {m_Folder.Write("in.cmd", content)};
    m_pDoc->DoCommand(ID_FILE_OPEN);
    EXPECT_EQ(Lines(), lines);
    EXPECT_TRUE(m_Prompts.m_Messages.empty());
    m_pDoc->DoCommand(ID_FILE_SAVE);
    EXPECT_EQ(Read(Path("in.cmd")), written);
  }
}

TEST_F(ScriptFiles, OpenAsksForAnExistingScriptAndLoadsItIntoThisDocument) {
  Private().GetRunController().SetTraceOn(FALSE);
  Private().SetLoopCounter(7);
  const std::string path = m_Folder.Write("open.cmd", "00 A4;\n");
  m_Prompts.m_FileAnswers = {path};
  m_pDoc->DoCommand(ID_FILE_OPEN);
  EXPECT_EQ(m_Prompts.m_FileDialogInitialNames, std::vector<std::string>{"noname"});
  EXPECT_EQ(std::make_tuple(Private().GetScriptPath(), Private().GetCaption(), m_pDoc->IsTraceOn(),
                            Private().GetLoopCounter()),
            std::make_tuple(path, std::string("noname - [open.cmd]"), TRUE, 0));
}

// A file that cannot be opened: RecentFiles (a file gone since) and FileEdges (a folder).
TEST_F(ScriptFiles, SaveAsWhereNoFileCanBeWrittenSaysSoAndChangesNothing) {
  const std::string good = m_Folder.Write("good.cmd", "01;\n02;\n");
  ASSERT_TRUE(Private().OnOpenDocument(good));
  const std::vector<std::string> unwritable = {m_Folder.Path(), Path("no/such/folder/x.cmd"), "/proc/version.cmd"};
  for (const std::string& path : unwritable) {
    m_Prompts.m_Messages.clear();
    m_Prompts.m_FileAnswers = {path};
    m_pDoc->DoCommand(ID_FILE_SAVE_AS);
    EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"Failed to save document."}) << path;
    EXPECT_EQ(Private().GetScriptPath(), good) << "the document keeps its name";
  }
  EXPECT_TRUE(std::filesystem::is_directory(m_Folder.Path()));
  EXPECT_EQ(Read(good), "01;\n02;\n");
  // Nothing is left behind by the failed saves.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_Folder.Path()), {}), 1);
}

TEST_F(ScriptFiles, SaveOfAnUnsavedScriptAsksForANameAndAddsTheExtension) {
  Private().SetLine(0, "00 B0;");
  m_Prompts.m_FileAnswers = {""};  // cancelled
  m_pDoc->DoCommand(ID_FILE_SAVE);
  EXPECT_EQ(Private().GetScriptPath(), "noname");
  EXPECT_TRUE(m_pDoc->IsModified());

  m_Prompts.m_FileAnswers = {Path("bench")};
  m_pDoc->DoCommand(ID_FILE_SAVE);
  EXPECT_EQ(m_Prompts.m_FileDialogInitialNames, (std::vector<std::string>{"", ""}));
  EXPECT_EQ(
      std::make_tuple(Private().GetScriptPath(), Private().GetCaption(), m_pDoc->IsModified(), Read(Path("bench.cmd"))),
      std::make_tuple(Path("bench.cmd"), std::string("noname - [bench.cmd]"), FALSE, std::string("00 B0;\n")));
  EXPECT_EQ(Recent(), std::vector<std::string>{Path("bench.cmd")});

  // Save then writes to that file without asking: AppTest.EveryWayOfClosingAReaderAsksFirst.
  // Save As writes the script under a new name, which the caption follows.
  m_Prompts.m_FileAnswers = {Path("second.cmd")};
  m_pDoc->DoCommand(ID_FILE_SAVE_AS);
  EXPECT_EQ(std::make_tuple(Read(Path("bench.cmd")), Read(Path("second.cmd")), Private().GetCaption()),
            std::make_tuple(std::string("00 B0;\n"), std::string("00 B0;\n"), std::string("noname - [second.cmd]")));
  EXPECT_EQ(m_Prompts.m_FileDialogInitialNames, (std::vector<std::string>{"", "", ""}));
}

// Its menu texts, and the list kept at exit and read at the next start: RecentFiles.
TEST_F(ScriptFiles, TheRecentListKeepsFourNewestFirst) {
  for (const char* name : {"1.cmd", "2.cmd", "3.cmd", "2.cmd", "4.cmd", "5.cmd"})
    m_Context.RecentFiles().Add(Path(name));
  EXPECT_EQ(Recent(), (std::vector<std::string>{Path("5.cmd"), Path("4.cmd"), Path("2.cmd"), Path("3.cmd")}));
}

TEST_F(FileEdges, ASaveOntoAFullDiskKeepsTheFileAsItWasAndSaysWhy) {
  tvr_test::CSmallDisk disk;
  if (!disk.Unavailable().empty()) GTEST_SKIP() << disk.Unavailable();
  const std::string script = disk.PathOf("bench.cmd");
  const std::string log = disk.PathOf("bench.log");
  const std::string settings = disk.PathOf("tavric.ini");
  Put(script, "01;\n");
  Put(log, "the old log\r\n");
  Put(settings, "[Settings]\nKept=1\n");
  setenv("TAVRIC_SETTINGS", settings.c_str(), 1);

  // Small edits: a few bytes that a writer keeps in its buffer until the
  // end, where a failed last flush is easily missed.
  ASSERT_TRUE(Private().OnOpenDocument(script));
  Private().SetLine(0, "02 02;");
  Private().NotifyMessage("new trace", TRACE_INFO);
  m_Context.RecentFiles().Add(script);
  ASSERT_TRUE(disk.Fill());

  const struct {
    const char* what;
    std::function<bool()> save;
    std::string path;
    std::string before;
    std::string message;
  } cases[] = {
      {"script", [&] { return Private().OnSaveDocument(script) != FALSE; }, script, "01;\n",
       "Failed to save document."},
      {"log", [&] { return m_View.SaveLog(log) != FALSE; }, log, "the old log\r\n",
       "The log file \"" + log + "\" could not be created !"},
      {"settings", [&] { return CTVRWorkspace::Of(m_Context).SaveCustomState(); }, settings, "[Settings]\nKept=1\n",
       "The settings could not be saved in \"" + settings + "\": No space left on device."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    m_Prompts.m_Messages.clear();
    EXPECT_FALSE(c.save());
    EXPECT_EQ(Read(c.path), c.before);
    EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{c.message});
  }
  // The edits stay in the window, to be saved elsewhere, and no half-written
  // file is left beside the originals.
  EXPECT_TRUE(m_pDoc->IsModified());
  EXPECT_EQ(Private().GetLine(0), "02 02;");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(disk.PathOf("")), {}), 4);
}

TEST_F(FileEdges, WhatIsNotARegularFileIsRefusedAtOnceWhereverItIsNamed) {
  CTempFolder folder;
  const std::string fifo = folder.PathOf("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string index = folder.PathOf("List.par");

  // Each door the program reads or writes a file through, with what it says.
  const struct {
    const char* door;
    std::function<bool(const std::string&)> refused;
  } doors[] = {
      {"script", [&](const std::string& p) { return !Private().OnOpenDocument(p) && Private().GetScriptPath() != p; }},
      {"description file",
       [&](const std::string& p) {
         CCmdCode table;
         table.LoadPath(p);
         return m_Prompts.m_Messages == std::vector<std::string>{"The command description file could not be opened !"};
       }},
      {"register index entry",
       [&](const std::string& p) {
         // Index entries name their files from the index's folder.
         const std::string entry = std::filesystem::relative(p, folder.Path()).string();
         Put(index, "[GENERAL]\r\nEntry:" + entry + ";\r\n");
         CRegParamFile file(m_Context);
         return file.LoadListFile(index, folder.Path()) == 1 && file.GetPaths().size() == 1 &&
                file.Load(file.GetPaths()[0]) == 0 && m_Prompts.m_Messages.size() == 1;
       }},
      {"settings",
       [&](const std::string& p) {
         setenv("TAVRIC_SETTINGS", p.c_str(), 1);
         CTVRRegistry writer(FALSE, FALSE);
         return !writer.CreateKey("Settings\\Doc") && m_Prompts.m_Messages.size() == 1;
       }},
      {"log", [&](const std::string& p) { return CTVRFileWriter::OpenStream(p) < 0; }},
      {"saved file", [&](const std::string& p) { return !CTVRFileWriter::WriteAll(p, "x"); }},
  };
  for (const std::string& path : {fifo, folder.Path(), std::string("/dev/null")}) {
    for (const auto& d : doors) {
      m_Prompts.m_Messages.clear();
      EXPECT_TRUE(d.refused(path)) << d.door << ": " << path;
    }
  }
  struct stat info {};
  EXPECT_TRUE(::stat(fifo.c_str(), &info) == 0 && S_ISFIFO(info.st_mode));
  EXPECT_TRUE(::stat("/dev/null", &info) == 0 && S_ISCHR(info.st_mode));
}

}  // namespace
