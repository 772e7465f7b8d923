// The core trace view on a document: appended text and colours, clear and
// keep, and the log file written by save and save-as.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "doc_fixture.h"
#include "trace/trace_log.h"
#include "trace/trace_text_view.h"

namespace {

const std::string kIndent(12, ' ');
constexpr COLORREF kPurple = RGB(128, 0, 128);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) {
  return std::ifstream(path).good();
}

class TraceTextView : public CTVRDocFixture {
 protected:
  void SetUp() override {
    CTVRDocFixture::SetUp();
    m_pDoc->AddView(&m_View);
  }
  void TearDown() override {
    m_pDoc->RemoveView(&m_View);
    CTVRDocFixture::TearDown();
  }

  // One exchange as the document writes it: name, bytes sent, decoded answer, bytes received.
  void Exchange() {
    const BYTE sent[] = {0x6F, 0x00, 0x01, 0xD4, 0xBA};
    const BYTE received[] = {0x60, 0x00, 0x01, 0xD4, 0xB5};
    m_pDoc->NotifyMessage(" Get firmware", TRACE_COMMAND_NAME);
    m_pDoc->NotifyMessage(sent, 5, TRACE_SENT);
    m_pDoc->NotifyMessage(" Get firmware EXECUTED", TRACE_ANSWER_TEXT);
    m_pDoc->NotifyMessage(received, 5, TRACE_RECEIVED);
  }
  static std::string ExchangeText() {
    return "PC -> IFD : Get firmware\r\n" + kIndent + "6F 00 01 D4 BA \r\n" + "IFD -> PC : Get firmware EXECUTED\r\n" +
           kIndent + "60 00 01 D4 B5 \r\n" + "\r\n";
  }

  std::string TempPath(const std::string& name) const { return m_Dir.path().toStdString() + "/" + name; }

  CTVRTraceTextView m_View;
  QTemporaryDir m_Dir;
};

TEST_F(TraceTextView, ExchangeReadsLineByLineInItsColours) {
  Exchange();
  EXPECT_EQ(m_View.GetText(), ExchangeText());
  const auto& runs = m_View.GetColourRuns();
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_EQ(runs[0].m_crColour, kBlack);
  EXPECT_EQ(runs[1].m_crColour, kPurple);
  EXPECT_EQ(runs[2].m_crColour, kBlack);
  EXPECT_EQ(runs[3].m_crColour, kBlue);
  std::size_t end = 0;
  for (const auto& run : runs) {
    EXPECT_EQ(run.m_nStart, end);
    end += run.m_nLength;
  }
  EXPECT_EQ(end, m_View.GetText().size());
  EXPECT_EQ(m_View.GetText().substr(runs[1].m_nStart, runs[1].m_nLength), kIndent + "6F 00 01 D4 BA \r\n");
}

TEST_F(TraceTextView, ClearEmptiesTheViewNotTheRecordsAndKeepTakesWhatFollows) {
  int clears = 0;
  m_View.SetClearCallback([&] { ++clears; });
  Exchange();
  std::size_t records = m_pDoc->GetTraceLog().GetCount();
  m_pDoc->OnEditClearAll();
  EXPECT_EQ(m_View.GetText(), "");
  EXPECT_TRUE(m_View.GetColourRuns().empty());
  EXPECT_EQ(clears, 1);
  EXPECT_EQ(m_pDoc->GetTraceLog().GetCount(), records + 1);

  m_pDoc->NotifyMessage("after the clear", TRACE_INFO);
  m_pDoc->NotifyMessage(nullptr, 0, TRACE_KEEP);
  EXPECT_EQ(m_pDoc->m_strKeptTrace, "after the clear\r\n");
  EXPECT_EQ(m_View.GetText(), "after the clear\r\n");  // keeping appends nothing
}

TEST_F(TraceTextView, SwitchingTheDisplayModeChangesOnlyWhatFollows) {
  const BYTE bytes[] = {'O', 'K'};
  m_pDoc->NotifyMessage(bytes, 2, TRACE_SENT);
  m_pDoc->OnHexToASCII();
  EXPECT_EQ(m_View.GetText(), kIndent + "4F 4B \r\n");
  m_pDoc->NotifyMessage(bytes, 2, TRACE_SENT);
  EXPECT_EQ(m_View.GetText(), kIndent + "4F 4B \r\n" + kIndent + "OK\r\n");
}

TEST_F(TraceTextView, AppendCallbackGetsEveryPieceWithItsColour) {
  std::vector<std::pair<std::string, COLORREF>> pieces;
  m_View.SetAppendCallback([&](const std::string& text, COLORREF colour) { pieces.emplace_back(text, colour); });
  m_pDoc->NotifyMessage(" X", TRACE_ANSWER_TEXT);
  m_pDoc->NotifyMessage(nullptr, 0, TRACE_KEEP);
  m_pDoc->NotifyMessage("ignored", 42);
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_EQ(pieces[0].first, "IFD -> PC : X\r\n");
  EXPECT_EQ(pieces[0].second, kBlack);
}

TEST_F(TraceTextView, OtherHintsAreIgnored) {
  const BYTE bytes[] = {1};
  CTVRTraceRecord record{TRACE_SENT, bytes, 1};
  m_pDoc->UpdateAllViews(nullptr, HINT_EXTENT, &record);
  m_pDoc->UpdateAllViews(nullptr, HINT_ALL, &record);
  m_pDoc->UpdateAllViews(nullptr, HINT_TRACE_RECORD, nullptr);
  EXPECT_EQ(m_View.GetText(), "");
}

TEST(TraceLogFileName, FirstDotAndThreeCharactersGiveWayToLog) {
  EXPECT_EQ(CTVRTraceTextView::GetLogFileName("tests/reset.cmd"), "tests/reset.log");
  EXPECT_EQ(CTVRTraceTextView::GetLogFileName("noname"), "noname.log");
  // The first dot of the whole path, even in a folder name.
  EXPECT_EQ(CTVRTraceTextView::GetLogFileName("/home/ann/v1.2/reset.cmd"), "/home/ann/v1eset.cmd.log");
  EXPECT_EQ(CTVRTraceTextView::GetLogFileName("work/my.scripts/a.cmd"), "work/myipts/a.cmd.log");
  // Fewer than three characters after the dot.
  EXPECT_EQ(CTVRTraceTextView::GetLogFileName("a.b"), "a.log");
  EXPECT_EQ(CTVRTraceTextView::GetLogFileName("script."), "script.log");
}

TEST_F(TraceTextView, SaveWritesTheViewTextBesideTheScriptReplacingAnOldLog) {
  m_pDoc->m_strScriptPath = TempPath("reset.cmd");
  std::ofstream(TempPath("reset.log"), std::ios::binary) << std::string(1000, 'x');
  Exchange();
  m_pDoc->OnLogFileSave();
  EXPECT_EQ(ReadFile(TempPath("reset.log")), ExchangeText());
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
  EXPECT_EQ(m_View.GetText(), ExchangeText());
}

TEST_F(TraceTextView, NewScriptSavesToNonameLogInTheCurrentFolder) {
  QString saved = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(m_Dir.path()));
  m_pDoc->m_strScriptPath = "noname";
  m_pDoc->NotifyMessage("text", TRACE_INFO);
  m_pDoc->OnLogFileSave();
  QDir::setCurrent(saved);
  EXPECT_EQ(ReadFile(TempPath("noname.log")), "text\r\n");
}

TEST_F(TraceTextView, LogThatCannotBeCreatedIsReportedAndNothingIsWritten) {
  std::string script = TempPath("missing folder/reset.cmd");
  m_pDoc->m_strScriptPath = script;
  Exchange();
  m_pDoc->OnLogFileSave();
  ASSERT_EQ(m_Prompts.m_Messages.size(), 1u);
  EXPECT_EQ(m_Prompts.m_Messages[0],
            "The log file \"" + TempPath("missing folder/reset.log") + "\" could not be created !");
  EXPECT_FALSE(Exists(TempPath("missing folder/reset.log")));
  EXPECT_EQ(m_View.GetText(), ExchangeText());
}

TEST_F(TraceTextView, SaveAsOffersTheLogNameAndSavesUnderTheChosenOne) {
  m_pDoc->m_strScriptPath = TempPath("reset.cmd");
  Exchange();
  m_Prompts.m_FileAnswers = {TempPath("chosen.log")};
  m_pDoc->OnLogFileSaveAs();
  EXPECT_EQ(m_Prompts.m_FileDialogInitialNames, (std::vector<std::string>{TempPath("reset.log")}));
  EXPECT_EQ(ReadFile(TempPath("chosen.log")), ExchangeText());
  EXPECT_FALSE(Exists(TempPath("reset.log")));
}

TEST_F(TraceTextView, CancelledSaveAsDoesNothing) {
  m_pDoc->m_strScriptPath = TempPath("reset.cmd");
  Exchange();
  m_pDoc->OnLogFileSaveAs();  // no answer scripted: cancelled
  EXPECT_EQ(m_Prompts.m_FileDialogInitialNames.size(), 1u);
  EXPECT_FALSE(Exists(TempPath("reset.log")));
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
}

TEST_F(TraceTextView, KeptTextReloadsIntoTheSameText) {
  m_pDoc->NotifyMessage("* first statement\r\n", TRACE_COMMENT);
  Exchange();
  m_pDoc->NotifyMessage("Loop 1", TRACE_INFO);
  m_pDoc->NotifyMessage(nullptr, 0, TRACE_KEEP);
  std::string kept = m_pDoc->m_strKeptTrace;

  m_pDoc->OnEditClearAll();
  m_pDoc->NotifyMessageForReload(kept);
  EXPECT_EQ(m_View.GetText(), kept);
}

}  // namespace
