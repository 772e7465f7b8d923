// The core trace view on a document: appended text and colours, clear and
// keep, and the log file's name and failure. Save and Save As of the views'
// common base are the trace pane's test
// (OldRecordsLeaveThePaneAndSaveLogStillWritesAllSinceTheClearSaveAsWhereChosen);
// the text this view saves, the scenario cases logs_save_*.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "doc_fixture.h"
#include "document/board_doc_private.h"
#include "document/trace_text_view.h"
#include "temp_folder.h"
#include "trace/trace_log.h"

namespace {

const std::string kIndent(12, ' ');
const std::string kExchangeText = "PC -> IFD : Get firmware\r\n" + kIndent + "6F 00 01 D4 BA \r\n" +
                                  "IFD -> PC : Get firmware EXECUTED\r\n" + kIndent + "60 00 01 D4 B5 \r\n" + "\r\n";

class TraceTextView : public CTVRDocFixture {
 protected:
  void SetUp() override {
    CTVRDocFixture::SetUp();
    m_pDoc->AddView(&m_View);
    CTVRBoardDocPrivate::Of(*m_pDoc).SetScriptPath(m_Dir.PathOf("reset.cmd"));
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

  CTVRTraceTextView m_View;
  tvr_test::CTempFolder m_Dir;
};

TEST_F(TraceTextView, EachRecordAppendsOneRunInItsColour) {
  using Pieces = std::vector<std::pair<std::string, COLORREF>>;
  Pieces pieces;
  m_View.SetAppendCallback([&](const std::string& text, COLORREF colour) { pieces.emplace_back(text, colour); });
  Exchange();
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(nullptr, 0, TRACE_KEEP);
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage("ignored", 42);
  const BYTE bytes[] = {1};
  CTVRTraceRecord record{TRACE_SENT, bytes, 1};
  m_pDoc->UpdateAllViews(nullptr, HINT_EXTENT, &record);  // other hints are not records
  m_pDoc->UpdateAllViews(nullptr, HINT_TRACE_RECORD, nullptr);
  EXPECT_EQ(m_View.GetText(), kExchangeText);
  const Pieces expected = {{"PC -> IFD : Get firmware\r\n", RGB(0, 0, 0)},
                           {kIndent + "6F 00 01 D4 BA \r\n", RGB(128, 0, 128)},
                           {"IFD -> PC : Get firmware EXECUTED\r\n", RGB(0, 0, 0)},
                           {kIndent + "60 00 01 D4 B5 \r\n\r\n", RGB(0, 0, 255)}};
  EXPECT_EQ(pieces, expected);  // what the runner prints, in these colours
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

// (The display switch and a kept text reloaded as it was: the trace pane's
// TheDisplaySwitchChangesWhatFollowsAndAKeptTextReloads.)
TEST_F(TraceTextView, AKeptTextReloadsForTheOtherDisplayMode) {
  CTVRBoardDocPrivate::Of(*m_pDoc).OnHexToASCII();
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

// A script never saved logs to noname.log in the current folder; a log that
// cannot be created is reported, and nothing is written or lost.
TEST_F(TraceTextView, ANewScriptLogsToNonameLogAndALogThatCannotBeCreatedIsReported) {
  const QString saved = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(m_Dir.Path())));
  CTVRBoardDocPrivate::Of(*m_pDoc).SetScriptPath("");
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage("text", TRACE_INFO);
  CTVRBoardDocPrivate::Of(*m_pDoc).OnLogFileSave();
  QDir::setCurrent(saved);
  EXPECT_EQ(m_Dir.Read(m_Dir.PathOf("noname.log")), "text\r\n");

  CTVRBoardDocPrivate::Of(*m_pDoc).SetScriptPath(m_Dir.PathOf("missing folder/reset.cmd"));
  CTVRBoardDocPrivate::Of(*m_pDoc).OnLogFileSave();
  const std::string log = m_Dir.PathOf("missing folder/reset.log");
  EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"The log file \"" + log + "\" could not be created !"});
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(log)));
  EXPECT_EQ(m_View.GetText(), "text\r\n");
}

}  // namespace
