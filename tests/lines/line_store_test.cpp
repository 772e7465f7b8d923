// The script line store: classification as the editor sets lines, loading,
// the extent, the colour chunks and the run position.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <tavric/board_doc.h>
#include <tavric/document.h>

#include "platform/user_prompts.h"
#include "test_board.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kPaleBlue = RGB(224, 224, 255);
constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kLightGreen = RGB(64, 192, 64);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kPink = RGB(255, 128, 128);

// Keeps every update the document broadcasts; hint 4 with the line index it carried.
class CRecordingView : public CTVRView {
 public:
  void OnUpdate(CTVRView*, LPARAM lHint, void* pHint) override {
    m_Hints.push_back(lHint);
    m_LineIndexes.push_back(lHint == HINT_LINE_STATE && pHint != nullptr ? *static_cast<int*>(pHint) : -1);
  }
  std::vector<LPARAM> m_Hints;
  std::vector<int> m_LineIndexes;
};

struct Chunk {
  std::string text;
  COLORREF normal;
  COLORREF selected;
  bool operator==(const Chunk&) const = default;
};

void PrintTo(const Chunk& c, std::ostream* os) {
  *os << '"' << c.text << "\" " << std::hex << c.normal << '/' << c.selected;
}

class LineStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_Doc.OnNewDocument();
    m_Doc.AddView(&m_View);
  }
  void TearDown() override { m_Doc.RemoveView(&m_View); }

  // Builds the script the way the editor does, line by line through
  // InsertLine, so every line is classified by ReparseLine.
  void Edit(const std::vector<std::string>& lines) {
    while (m_Doc.GetLineCount() > 0) m_Doc.RemoveLine(0);
    for (const auto& line : lines) m_Doc.InsertLine(m_Doc.GetLineCount(), line, 0);
  }

  std::vector<DWORD> States() const {
    std::vector<DWORD> states;
    for (int i = 0; i < m_Doc.GetLineCount(); ++i) states.push_back(m_Doc.GetLineState(i));
    return states;
  }

  std::vector<Chunk> Chunks(int line) {
    std::vector<Chunk> chunks;
    m_Doc.GotoFirstChunk(line);
    std::string text;
    DWORD colours[2] = {0xDEAD, 0xBEEF};
    while (m_Doc.GetNextChunk(text, colours, 0) == 1) {
      chunks.push_back({text, colours[0], colours[1]});
      if (chunks.size() > 100) break;  // a chunker that never ends fails here, not by hanging
    }
    return chunks;
  }

  // Line indexes that carry the next-statement bit.
  std::vector<int> Marked() const {
    std::vector<int> marked;
    for (int i = 0; i < m_Doc.GetLineCount(); ++i)
      if (m_Doc.GetLineState(i) & LINE_NEXT) marked.push_back(i);
    return marked;
  }

  CTVRPromptRecorder m_Prompts;
  CTVRTestBoard m_Doc;
  CRecordingView m_View;
};

// ---- Classification ---------------------------------------------------------

TEST_F(LineStoreTest, OneLineStatementStartsOnlyAfterAStatementEnd) {
  Edit({"00 a4 04 00;"});
  EXPECT_EQ(m_Doc.GetLineState(0), DWORD(LINE_START | LINE_END));

  Edit({"00 a4", "04 00;", "00 b0;"});
  EXPECT_EQ(States(), (std::vector<DWORD>{LINE_START, LINE_END, LINE_START | LINE_END}));
}

TEST_F(LineStoreTest, CommentMarkersMakeCommentLinesAndHideSemicolons) {
  Edit({"   /* comment ; */", "// comment", "* note", "00 a4 /* x; */", "04 00;"});
  EXPECT_EQ(States(), (std::vector<DWORD>{LINE_COMMENT, LINE_COMMENT, LINE_COMMENT, LINE_START, LINE_END}));
}

TEST_F(LineStoreTest, BlankLinesCarryNoBitsWhenEdited) {
  Edit({"00 a4;", "", "  \t ", "00 b0;"});
  EXPECT_EQ(States(), (std::vector<DWORD>{6, 0, 0, 6}));
}

TEST_F(LineStoreTest, DotBLinesGetTheBreakpointWhateverTheirCase) {
  Edit({".b;", ".B;", "  .b"});
  EXPECT_EQ(States(), (std::vector<DWORD>{LINE_BREAKPOINT | 6, LINE_BREAKPOINT | 6, LINE_BREAKPOINT | LINE_START}));
}

TEST_F(LineStoreTest, SetLineKeepsTheBreakpointAndRecomputesTheRest) {
  Edit({"00 a4;", "00 b0;"});
  m_Doc.SetLineState(1, m_Doc.GetLineState(1) | LINE_BREAKPOINT | LINE_NEXT);
  m_Doc.SetModifiedFlag(FALSE);

  m_Doc.SetLine(1, "* now a comment");
  EXPECT_EQ(m_Doc.GetLineState(1), DWORD(LINE_BREAKPOINT | LINE_COMMENT));
  EXPECT_EQ(m_Doc.GetLine(1), "* now a comment");
  EXPECT_TRUE(m_Doc.IsModified());
}

TEST_F(LineStoreTest, InsertLineKeepsOnlyTheGivenBreakpoint) {
  Edit({"00 a4;"});
  m_Doc.InsertLine(1, "* note", LINE_BREAKPOINT | LINE_START | LINE_END | LINE_NEXT);
  m_Doc.InsertLine(2, "00 b0;", LINE_COMMENT);
  EXPECT_EQ(States(), (std::vector<DWORD>{6, LINE_BREAKPOINT | LINE_COMMENT, 6}));
}

TEST_F(LineStoreTest, EditingALineDoesNotReclassifyTheLinesBelow) {
  Edit({"00 a4;", "00 b0;"});
  m_Doc.SetLine(0, "00 a4");  // now an open statement
  EXPECT_EQ(m_Doc.GetLineState(0), DWORD(LINE_START));
  EXPECT_EQ(m_Doc.GetLineState(1), DWORD(6)) << "the line below keeps its old start bit";
  m_Doc.ReparseLine(1);
  EXPECT_EQ(m_Doc.GetLineState(1), DWORD(LINE_END));
}

TEST_F(LineStoreTest, SetLineStateNotifiesTheLineWithoutMarkingTheDocumentModified) {
  Edit({"00 a4;", "00 b0;"});
  m_Doc.SetModifiedFlag(FALSE);
  m_View.m_Hints.clear();
  m_View.m_LineIndexes.clear();

  m_Doc.SetLineState(1, 0x1234);
  EXPECT_EQ(m_Doc.GetLineState(1), DWORD(0x1234)) << "stored as given";
  EXPECT_FALSE(m_Doc.IsModified());
  ASSERT_EQ(m_View.m_Hints.size(), 1u);
  EXPECT_EQ(m_View.m_Hints[0], HINT_LINE_STATE);
  EXPECT_EQ(m_View.m_LineIndexes[0], 1);
}

TEST_F(LineStoreTest, IndicesPastTheEndMeanTheLastLine) {
  Edit({"first;", "last line"});
  EXPECT_EQ(m_Doc.GetLine(99), "last line");
  EXPECT_EQ(m_Doc.GetLineLength(99), 9);
  m_Doc.SetLine(5, "changed;");
  EXPECT_EQ(m_Doc.GetLine(1), "changed;");
  EXPECT_EQ(m_Doc.GetLineState(7), DWORD(6));
  m_Doc.InsertLine(2, "appended", 0);
  EXPECT_EQ(m_Doc.GetLineCount(), 3);
  EXPECT_EQ(m_Doc.GetLine(2), "appended");
  m_Doc.RemoveLine(42);
  EXPECT_EQ(m_Doc.GetLineCount(), 2);
  EXPECT_EQ(m_Doc.GetLine(1), "changed;");
}

TEST_F(LineStoreTest, AnEmptyStoreSurvivesEveryOperation) {
  Edit({});
  ASSERT_EQ(m_Doc.GetLineCount(), 0);
  EXPECT_EQ(m_Doc.GetLine(0), "");
  EXPECT_EQ(m_Doc.GetLineLength(3), 0);
  EXPECT_EQ(m_Doc.GetLineState(0), DWORD(0));
  m_Doc.SetLine(0, "x");
  m_Doc.SetLineState(0, LINE_BREAKPOINT);
  m_Doc.ReparseLine(0);
  m_Doc.RemoveLine(0);
  EXPECT_EQ(m_Doc.GetLineCount(), 0);
  EXPECT_EQ(m_Doc.GetTextExtent(), std::make_pair(0, 0));
  EXPECT_TRUE(Chunks(0).empty());
  EXPECT_EQ(m_Doc.NextLine(), 0);
  EXPECT_EQ(m_Doc.GotoNextCommand(), 0);
  EXPECT_EQ(m_Doc.SetNextCommand(3), 0);
  m_Doc.m_bLoopMode = TRUE;
  EXPECT_EQ(m_Doc.GotoNextCommand(), 0);
  m_Doc.SetScriptLines({});
  EXPECT_EQ(m_Doc.GetLineCount(), 0);

  m_Doc.InsertLine(5, "00 a4;", 0);
  EXPECT_EQ(m_Doc.GetLineCount(), 1);
  EXPECT_EQ(m_Doc.GetLineState(0), DWORD(6));
}

// ---- Loading ----------------------------------------------------------------

TEST_F(LineStoreTest, LoadingClassifiesFromTheTopAndMarksTheFirstStatement) {
  m_Doc.m_nCurrentLine = 2;
  m_Doc.SetScriptLines({"00 a4;", "* comment", "00 b0 00 00 10;", "", "00 a4 /* x; */", "04 00;"});
  EXPECT_EQ(States(), (std::vector<DWORD>{6 | LINE_NEXT, LINE_COMMENT, 6, LINE_COMMENT, LINE_START, LINE_END}));
  EXPECT_EQ(m_Doc.m_nCurrentLine, 0);
  EXPECT_EQ(m_Doc.m_nMarkedLine, 0);
  EXPECT_EQ(m_Doc.GetTextExtent(), std::make_pair(15, 6));
}

TEST_F(LineStoreTest, LoadingAfterAnOpenStatementGivesTheEndBitOnly) {
  m_Doc.SetScriptLines({"00 a4", "* inside", "00 b0;", "x /; y;"});
  EXPECT_EQ(States(), (std::vector<DWORD>{LINE_START | LINE_NEXT, LINE_COMMENT, LINE_END, LINE_START}));
}

TEST_F(LineStoreTest, LoadingKeepsOnlyTheBreakpointsOfDotBLines) {
  m_Doc.SetLineState(0, LINE_BREAKPOINT);
  m_Doc.SetScriptLines({"* header", ".b;", "00 a4;"});
  EXPECT_EQ(States(), (std::vector<DWORD>{LINE_COMMENT, LINE_BREAKPOINT | 6 | LINE_NEXT, 6}));
  EXPECT_EQ(m_Doc.m_nCurrentLine, 1);
}

// ---- Extent -----------------------------------------------------------------

TEST_F(LineStoreTest, ExtentFollowsEditsAndIsCachedBetweenThem) {
  Edit({"00 a4;", "00 b0 00 00 10;", ""});
  EXPECT_EQ(m_Doc.GetTextExtent(), std::make_pair(15, 3));

  m_Doc.SetLine(2, std::string(40, 'x'));
  EXPECT_EQ(m_Doc.GetTextExtent(), std::make_pair(40, 3));
  m_Doc.RemoveLine(2);
  EXPECT_EQ(m_Doc.GetTextExtent(), std::make_pair(15, 2));

  // Without a change through the store, the cached value is served.
  m_Doc.m_Lines[0] = std::string(80, 'y');
  EXPECT_EQ(m_Doc.GetTextExtent(), std::make_pair(15, 2));
}

// ---- Chunks -----------------------------------------------------------------

TEST_F(LineStoreTest, ChunksOfAStatementACommentAndADirective) {
  Edit({"00 a4 04 00;", "00 b0 /* read */", ".t(100);"});
  EXPECT_EQ(Chunks(0),
            (std::vector<Chunk>{{"00 a4 04 00", kBlack, kWhite}, {";", kBlue, kPaleBlue}, {"\n", kBlack, kWhite}}));
  EXPECT_EQ(Chunks(1), (std::vector<Chunk>{{"00 b0 ", kBlack, kWhite}, {"/* read */\n", kGreen, kLightGreen}}));
  EXPECT_EQ(Chunks(2), (std::vector<Chunk>{{".t(100)", kRed, kPink}, {";", kBlue, kPaleBlue}, {"\n", kBlack, kWhite}}));
}

TEST_F(LineStoreTest, AChunkEndsAtTheFirstCommentMarkOrSemicolon) {
  Edit({"ab*cd/ef;", "ab/c*d;", "", "a;;b"});
  EXPECT_EQ(Chunks(0), (std::vector<Chunk>{{"ab", kBlack, kWhite}, {"*cd/ef;\n", kGreen, kLightGreen}}));
  EXPECT_EQ(Chunks(1), (std::vector<Chunk>{{"ab", kBlack, kWhite}, {"/c*d;\n", kGreen, kLightGreen}}));
  EXPECT_EQ(Chunks(2), (std::vector<Chunk>{{"\n", kBlack, kWhite}}));
  EXPECT_EQ(Chunks(3),
            (std::vector<Chunk>{
                {"a", kBlack, kWhite}, {";", kBlue, kPaleBlue}, {";", kBlue, kPaleBlue}, {"b\n", kBlack, kWhite}}));
}

TEST_F(LineStoreTest, NoChunkOutsideTheScript) {
  Edit({"00 a4;"});
  EXPECT_TRUE(Chunks(1).empty());
  EXPECT_TRUE(Chunks(-1).empty());
  // A chunk position left past the end of a line that was shortened since.
  Chunks(0);
  m_Doc.SetLine(0, "");
  std::string text;
  DWORD colours[2];
  EXPECT_EQ(m_Doc.GetNextChunk(text, colours, 0), 0);
}

// ---- NextLine and the next-statement scan ----------------------------------

TEST_F(LineStoreTest, NextLineAtTheEndParksOnTheLastStatement) {
  m_Doc.SetScriptLines({"00 a4;", "00 b0", "00 00;", "* trailer"});
  m_Doc.m_bRunning = TRUE;
  m_Doc.m_nCurrentLine = 2;
  EXPECT_EQ(m_Doc.NextLine(), 1);
  EXPECT_EQ(m_Doc.m_nCurrentLine, 3);
  EXPECT_TRUE(m_Doc.m_bRunning);

  EXPECT_EQ(m_Doc.NextLine(), 0);
  EXPECT_FALSE(m_Doc.m_bRunning);
  EXPECT_TRUE(m_Doc.m_bStepMode);
  EXPECT_EQ(m_Doc.m_nCurrentLine, 1) << "the start of the last statement";
}

TEST_F(LineStoreTest, ScanMovesTheMarkToTheNextStatementAndNotifies) {
  m_Doc.SetScriptLines({"00 a4;", "* comment", "", "00 b0;"});
  ASSERT_EQ(Marked(), std::vector<int>{0});
  m_View.m_Hints.clear();

  m_Doc.m_nCurrentLine = 1;
  EXPECT_EQ(m_Doc.GotoNextCommand(), 1);
  EXPECT_EQ(m_Doc.m_nCurrentLine, 3);
  EXPECT_EQ(m_Doc.m_nMarkedLine, 3);
  EXPECT_EQ(Marked(), std::vector<int>{3}) << "the old mark is cleared";
  ASSERT_FALSE(m_View.m_Hints.empty());
  EXPECT_EQ(m_View.m_Hints.back(), HINT_NEXT_STATEMENT);

  // The scan starts on the current line itself.
  EXPECT_EQ(m_Doc.GotoNextCommand(), 1);
  EXPECT_EQ(m_Doc.m_nCurrentLine, 3);
}

TEST_F(LineStoreTest, ScanWithoutAnyStatementEndsOnLineZero) {
  m_Doc.SetScriptLines({"* one", "* two", ""});
  m_Doc.m_bRunning = TRUE;
  m_Doc.m_nCurrentLine = 1;
  EXPECT_EQ(m_Doc.GotoNextCommand(), 0);
  EXPECT_FALSE(m_Doc.m_bRunning);
  EXPECT_EQ(m_Doc.m_nCurrentLine, 0);
  EXPECT_EQ(Marked(), std::vector<int>{0});
}

TEST_F(LineStoreTest, ScanWithoutAnyStatementInLoopModeMakesOnePass) {
  m_Doc.SetScriptLines({"* one", "* two", "", "// three"});
  m_Doc.m_bLoopMode = TRUE;
  m_Doc.m_bRunning = TRUE;
  m_Doc.m_bStepMode = FALSE;
  m_Doc.m_nCurrentLine = 2;
  EXPECT_EQ(m_Doc.GotoNextCommand(), 0);
  EXPECT_EQ(m_Doc.m_nCurrentLine, 2) << "back where the pass began";
  EXPECT_EQ(Marked(), std::vector<int>{2});
}

TEST_F(LineStoreTest, ScanPastTheEndWrapsInLoopModeAndParksOtherwise) {
  m_Doc.SetScriptLines({"* head", "00 a4;", "00 b0;"});
  m_Doc.m_bLoopMode = TRUE;
  m_Doc.m_nCurrentLine = 3;
  EXPECT_EQ(m_Doc.GotoNextCommand(), 1);
  EXPECT_EQ(m_Doc.m_nCurrentLine, 1);

  m_Doc.m_bLoopMode = FALSE;
  m_Doc.m_bRunning = TRUE;
  m_Doc.m_nCurrentLine = 3;
  EXPECT_EQ(m_Doc.GotoNextCommand(), 1) << "parked on the last statement, which is a start";
  EXPECT_EQ(m_Doc.m_nCurrentLine, 2);
  EXPECT_FALSE(m_Doc.m_bRunning);
  EXPECT_TRUE(m_Doc.m_bStepMode);
}

TEST_F(LineStoreTest, FreeRunScanStopsOnABreakpointItMovesOnto) {
  m_Doc.SetScriptLines({"00 a4;", "* comment", "00 b0;"});
  m_Doc.SetLineState(1, m_Doc.GetLineState(1) | LINE_BREAKPOINT);
  m_Doc.m_bRunning = TRUE;
  m_Doc.m_bStepMode = FALSE;
  m_Doc.m_nCurrentLine = 1;
  EXPECT_EQ(m_Doc.GotoNextCommand(), 1) << "the starting line is not tested";
  EXPECT_EQ(m_Doc.m_nCurrentLine, 2);

  m_Doc.m_nCurrentLine = 0;
  m_Doc.m_Lines[0] = "* now a comment";
  m_Doc.m_LineStates[0] = LINE_COMMENT;
  EXPECT_EQ(m_Doc.GotoNextCommand(), 0);
  EXPECT_EQ(m_Doc.m_nCurrentLine, 1) << "halted on the comment that carries the breakpoint";
  EXPECT_EQ(Marked(), std::vector<int>{1});
}

TEST_F(LineStoreTest, BreakpointsAreIgnoredWhenSteppingOrIdle) {
  m_Doc.SetScriptLines({"* a", "* b", "00 b0;"});
  m_Doc.SetLineState(1, m_Doc.GetLineState(1) | LINE_BREAKPOINT);
  m_Doc.m_bRunning = TRUE;
  m_Doc.m_bStepMode = TRUE;
  m_Doc.m_nCurrentLine = 0;
  EXPECT_EQ(m_Doc.GotoNextCommand(), 1);
  EXPECT_EQ(m_Doc.m_nCurrentLine, 2);

  m_Doc.m_bRunning = FALSE;
  m_Doc.m_bStepMode = FALSE;
  m_Doc.m_nCurrentLine = 0;
  EXPECT_EQ(m_Doc.GotoNextCommand(), 1);
  EXPECT_EQ(m_Doc.m_nCurrentLine, 2);
}

TEST_F(LineStoreTest, SetNextCommandFromAnyLine) {
  m_Doc.SetScriptLines({"00 a4;", "* comment", "00 b0", "00 00;", "00 c0;"});
  EXPECT_EQ(m_Doc.SetNextCommand(1), 1);
  EXPECT_EQ(m_Doc.m_nCurrentLine, 2);
  EXPECT_EQ(Marked(), std::vector<int>{2});

  // From inside a multi-line statement the scan goes to the following one.
  EXPECT_EQ(m_Doc.SetNextCommand(3), 1);
  EXPECT_EQ(m_Doc.m_nCurrentLine, 4);
  EXPECT_EQ(Marked(), std::vector<int>{4});
}

}  // namespace
