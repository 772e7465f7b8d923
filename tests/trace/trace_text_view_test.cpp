// The core trace view on a document: appended text and colours, clear and
// keep, and the log file written by save and save-as.
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "doc_fixture.h"
#include "document/board_doc_private.h"
#include "document/trace_text_view.h"
#include "trace/trace_log.h"

namespace {

const std::string kIndent(12, ' ');
const std::string kExchangeText = "PC -> IFD : Get firmware\r\n" + kIndent + "6F 00 01 D4 BA \r\n" +
                                  "IFD -> PC : Get firmware EXECUTED\r\n" + kIndent + "60 00 01 D4 B5 \r\n" + "\r\n";

// The whole file, or "(none)" when there is none.
std::string ReadFile(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "(none)";
}

class TraceTextView : public CTVRDocFixture {
 protected:
  void SetUp() override {
    CTVRDocFixture::SetUp();
    m_pDoc->AddView(&m_View);
    CTVRBoardDocPrivate::Of(*m_pDoc).SetScriptPath(TempPath("reset.cmd"));
  }
  void TearDown() override {
    m_pDoc->RemoveView(&m_View);
    CTVRDocFixture::TearDown();
  }

  // One exchange as the document writes it: name, bytes sent, decoded answer, bytes received.
  void Exchange() {
    const BYTE sent[] = {0x6F, 0x00, 0x01, 0xD4, 0xBA};
    const BYTE received[] = {0x60, 0x00, 0x01, 0xD4, 0xB5};
    CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(" Get firmware", TRACE_COMMAND_NAME);
    CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(sent, 5, TRACE_SENT);
    CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(" Get firmware EXECUTED", TRACE_ANSWER_TEXT);
    CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(received, 5, TRACE_RECEIVED);
  }

  std::string TempPath(const std::string& name) const { return m_Dir.path().toStdString() + "/" + name; }

  CTVRTraceTextView m_View;
  QTemporaryDir m_Dir;
};

TEST_F(TraceTextView, EachRecordAppendsOneRunInItsColour) {
  using Pieces = std::vector<std::pair<std::string, COLORREF>>;
  Pieces pieces, runs;
  m_View.SetAppendCallback([&](const std::string& text, COLORREF colour) { pieces.emplace_back(text, colour); });
  Exchange();
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(nullptr, 0, TRACE_KEEP);
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage("ignored", 42);
  const BYTE bytes[] = {1};
  CTVRTraceRecord record{TRACE_SENT, bytes, 1};
  m_pDoc->UpdateAllViews(nullptr, HINT_EXTENT, &record);  // other hints are not records
  m_pDoc->UpdateAllViews(nullptr, HINT_TRACE_RECORD, nullptr);
  EXPECT_EQ(m_View.GetText(), kExchangeText);
  for (const auto& run : m_View.GetColourRuns())
    runs.emplace_back(m_View.GetText().substr(run.m_nStart, run.m_nLength), run.m_crColour);
  const Pieces expected = {{"PC -> IFD : Get firmware\r\n", RGB(0, 0, 0)},
                           {kIndent + "6F 00 01 D4 BA \r\n", RGB(128, 0, 128)},
                           {"IFD -> PC : Get firmware EXECUTED\r\n", RGB(0, 0, 0)},
                           {kIndent + "60 00 01 D4 B5 \r\n\r\n", RGB(0, 0, 255)}};
  EXPECT_EQ(pieces, expected);
  EXPECT_EQ(runs, expected);
}

TEST_F(TraceTextView, ClearEmptiesTheViewNotTheRecordsAndKeepTakesWhatFollows) {
  int clears = 0;
  m_View.SetClearCallback([&] { ++clears; });
  Exchange();
  const std::size_t records = CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().GetCount();
  CTVRBoardDocPrivate::Of(*m_pDoc).OnEditClearAll();
  EXPECT_EQ(m_View.GetText(), "");
  EXPECT_TRUE(m_View.GetColourRuns().empty());
  EXPECT_EQ(clears, 1);
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().GetCount(), records + 1);
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage("after the clear", TRACE_INFO);
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(nullptr, 0, TRACE_KEEP);
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetKeptTrace(), "after the clear\r\n");
  EXPECT_EQ(m_View.GetText(), "after the clear\r\n");
}

TEST_F(TraceTextView, KeptTextReloadsAsItWasOrForTheOtherDisplayMode) {
  const BYTE bytes[] = {'O', 'K'};
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage("* first statement\r\n", TRACE_COMMENT);
  Exchange();
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(bytes, 2, TRACE_SENT);
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(nullptr, 0, TRACE_KEEP);
  const std::string kept = CTVRBoardDocPrivate::Of(*m_pDoc).GetKeptTrace();
  CTVRBoardDocPrivate::Of(*m_pDoc).OnEditClearAll();
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessageForReload(kept);
  EXPECT_EQ(m_View.GetText(), kept);
  CTVRBoardDocPrivate::Of(*m_pDoc).OnHexToASCII();  // changes only what follows
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(bytes, 2, TRACE_SENT);
  EXPECT_EQ(m_View.GetText(), kept + kIndent + "OK\r\n");
  CTVRBoardDocPrivate::Of(*m_pDoc).OnEditClearAll();
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessageToSwitchHexToChar(kIndent + "4F 4B \r\n");
  EXPECT_EQ(m_View.GetText(), "OK\r\n");
}

TEST(TraceLogFileName, TheFirstDotAndThreeCharactersGiveWayToLog) {
  const std::pair<const char*, const char*> names[] = {
      {"tests/reset.cmd", "tests/reset.log"},
      {"noname", "noname.log"},
      // The first dot of the whole path, even in a folder name.
      {"/home/ann/v1.2/reset.cmd", "/home/ann/v1eset.cmd.log"},
      {"work/my.scripts/a.cmd", "work/myipts/a.cmd.log"},
      // Fewer than three characters after the dot.
      {"a.b", "a.log"},
      {"script.", "script.log"},
  };
  for (const auto& [script, log] : names) EXPECT_EQ(CTVRTraceTextView::GetLogFileName(script), log) << script;
}

TEST_F(TraceTextView, SaveAndSaveAsWriteTheViewTextUnlessCancelled) {
  std::ofstream(TempPath("reset.log"), std::ios::binary) << "an old log";
  Exchange();
  CTVRBoardDocPrivate::Of(*m_pDoc).OnLogFileSaveAs();  // no answer scripted: cancelled
  EXPECT_EQ(ReadFile(TempPath("reset.log")), "an old log");
  m_Prompts.m_FileAnswers = {TempPath("chosen.log")};
  CTVRBoardDocPrivate::Of(*m_pDoc).OnLogFileSaveAs();
  EXPECT_EQ(m_Prompts.m_FileDialogInitialNames, std::vector<std::string>(2, TempPath("reset.log")));
  EXPECT_EQ(ReadFile(TempPath("chosen.log")), kExchangeText);
  CTVRBoardDocPrivate::Of(*m_pDoc).OnLogFileSave();  // beside the script, replacing the old log
  EXPECT_EQ(ReadFile(TempPath("reset.log")), kExchangeText);
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
  EXPECT_EQ(m_View.GetText(), kExchangeText);
}

TEST_F(TraceTextView, ANewScriptSavesToNonameLogInTheCurrentFolder) {
  const QString saved = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(m_Dir.path()));
  CTVRBoardDocPrivate::Of(*m_pDoc).SetScriptPath("");  // never saved
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage("text", TRACE_INFO);
  CTVRBoardDocPrivate::Of(*m_pDoc).OnLogFileSave();
  QDir::setCurrent(saved);
  EXPECT_EQ(ReadFile(TempPath("noname.log")), "text\r\n");
}

TEST_F(TraceTextView, ALogThatCannotBeCreatedIsReportedAndNothingIsWritten) {
  CTVRBoardDocPrivate::Of(*m_pDoc).SetScriptPath(TempPath("missing folder/reset.cmd"));
  Exchange();
  CTVRBoardDocPrivate::Of(*m_pDoc).OnLogFileSave();
  EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"The log file \"" + TempPath("missing folder/reset.log") +
                                                           "\" could not be created !"});
  EXPECT_EQ(ReadFile(TempPath("missing folder/reset.log")), "(none)");
  EXPECT_EQ(m_View.GetText(), kExchangeText);
}

}  // namespace
