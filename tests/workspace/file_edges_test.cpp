// The edges of the files the program reads and writes: a save onto a full
// disk keeps the file as it was and says so, and nothing that is not a
// regular file (a pipe, a folder, a device) is read or written, or blocks.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include <tavric/cmd_code.h>
#include <tavric/registry.h>

#include "doc_fixture.h"
#include "document/board_doc_private.h"
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

class FileEdges : public CTVRDocFixture {
 protected:
  void SetUp() override {
    CTVRDocFixture::SetUp();
    m_strSettings = CTVRRegistry::GetStoreFileName();
    m_pDoc->AddView(&m_View);
  }
  void TearDown() override {
    m_pDoc->RemoveView(&m_View);
    setenv("TAVRIC_SETTINGS", m_strSettings.c_str(), 1);
    CTVRDocFixture::TearDown();
  }

  CTVRTraceTextView m_View;
  std::string m_strSettings;
};

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
  ASSERT_TRUE(CTVRBoardDocPrivate::Of(*m_pDoc).OnOpenDocument(script));
  CTVRBoardDocPrivate::Of(*m_pDoc).SetLine(0, "02 02;");
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage("new trace", TRACE_INFO);
  m_Context.RecentFiles().Add(script);
  ASSERT_TRUE(disk.Fill());

  const struct {
    const char* what;
    std::function<bool()> save;
    std::string path;
    std::string before;
    std::string message;
  } cases[] = {
      {"script", [&] { return CTVRBoardDocPrivate::Of(*m_pDoc).OnSaveDocument(script) != FALSE; }, script, "01;\n",
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
    EXPECT_EQ(CTempFolder::Read(c.path), c.before);
    EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{c.message});
  }
  // The edits stay in the window, to be saved elsewhere, and no half-written
  // file is left beside the originals.
  EXPECT_TRUE(m_pDoc->IsModified());
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetLine(0), "02 02;");
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
      {"script",
       [&](const std::string& p) {
         return !CTVRBoardDocPrivate::Of(*m_pDoc).OnOpenDocument(p) &&
                CTVRBoardDocPrivate::Of(*m_pDoc).GetScriptPath() != p;
       }},
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
