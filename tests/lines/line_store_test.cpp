// The script line store: classification as the editor and the loader set it,
// out-of-range indexes, the colour chunks and the run position; what edits
// announce, and the bookkeeping they keep (the extent, the batch
// classification, long scripts) checked against a plain recount.
#include <algorithm>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "document/board_doc_private.h"
#include "document/line_store.h"
#include "platform/user_prompts.h"
#include "run_state.h"
#include "test_board.h"
#include "test_context.h"
#include "trace_reader.h"

namespace {

constexpr DWORD S = LINE_START, E = LINE_END, C = LINE_COMMENT, B = LINE_BREAKPOINT, N = LINE_NEXT;

// Keeps every update the document broadcasts, with the line index a line-state hint carries.
class CRecordingView : public CTVRView {
 public:
  void OnUpdate(CTVRView*, LPARAM lHint, void* pHint) override {
    m_Hints.emplace_back(lHint, lHint == HINT_LINE_STATE && pHint != nullptr ? *static_cast<int*>(pHint) : -1);
  }
  std::vector<std::pair<LPARAM, int>> m_Hints;
};

// Text, colour, colour when selected.
using Chunk = std::tuple<std::string, COLORREF, COLORREF>;

class LineStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CTVRBoardDocPrivate::Of(m_Doc).SetHostContext(&m_Context);
    m_Doc.OnNewDocument();
    m_Doc.AddView(&m_View);
  }
  void TearDown() override { m_Doc.RemoveView(&m_View); }

  // Builds the script the way the editor does, line by line through
  // InsertLine, so every line is classified by ReparseLine.
  void Edit(const std::vector<std::string>& lines) {
    while (Store().GetLineCount() > 0) Store().RemoveLine(0);
    for (const auto& line : lines) Store().InsertLine(Store().GetLineCount(), line, 0);
  }

  std::vector<DWORD> States() {
    std::vector<DWORD> states;
    for (int i = 0; i < Store().GetLineCount(); ++i) states.push_back(Store().GetLineState(i));
    return states;
  }

  std::vector<Chunk> Chunks(int line) {
    std::vector<Chunk> chunks;
    Store().GotoFirstChunk(line);
    std::string text;
    DWORD colours[2] = {0xDEAD, 0xBEEF};
    while (Store().GetNextChunk(text, colours) == 1) {
      chunks.emplace_back(text, colours[0], colours[1]);
      if (chunks.size() > 100) break;  // a chunker that never ends fails here, not by hanging
    }
    return chunks;
  }

  CTVRLineStore& Store() { return CTVRBoardDocPrivate::Of(m_Doc).GetLineStore(); }

  // Line indexes that carry the next-statement bit.
  std::vector<int> Marked() const { return tvr_test::MarkedLines(m_Doc); }

  CTVRTestContext m_Context;
  CTVRPromptRecorder m_Prompts{m_Context};
  CTVRTestBoard m_Doc;
  CRecordingView m_View;
};

// ---- Classification ---------------------------------------------------------

TEST_F(LineStoreTest, LinesAreClassifiedByTheEditorAndByTheLoader) {
  // A loaded script starts on its first statement, which carries the mark;
  // the loader keeps only .b breakpoints. (Loaded statements over lines with
  // comments: scenario statements_bytes; a blank line loaded is a comment:
  // the long script below.)
  struct Case {
    bool load;
    std::vector<std::string> lines;
    std::vector<DWORD> states;
    int first;
  } cases[] = {
      {false, {"00 a4 04 00;"}, {S | E}, -1},
      {false, {"00 a4", "04 00;", "00 b0;"}, {S, E, S | E}, -1},
      {false, {"   /* comment ; */", "// comment", "* note", "00 a4 /* x; */", "04 00;"}, {C, C, C, S, E}, -1},
      {false, {"00 a4;", "", "  \t ", "00 b0;"}, {S | E, 0, 0, S | E}, -1},
      {false, {".b;", ".B;", "  .b"}, {B | S | E, B | S | E, B | S}, -1},
      {true, {"* header", ".b;", "00 a4;"}, {C, B | S | E | N, S | E}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines[0]);
    if (c.load) {
      Store().SetLineState(0, LINE_BREAKPOINT);
      Store().SetCurrentLine(2);
      Store().SetScriptLines(c.lines);
      EXPECT_EQ(Store().GetCurrentLine(), c.first);
      EXPECT_EQ(Store().GetMarkedLine(), c.first);
    } else {
      Edit(c.lines);
    }
    EXPECT_EQ(States(), c.states);
  }
}

TEST_F(LineStoreTest, EditsKeepOnlyTheBreakpointAndLeaveTheLinesBelowAlone) {
  Edit({"00 a4;", "00 b0;"});
  Store().SetLineState(0, S | E | B | N);
  Store().InsertLine(1, "* note", B | S | E | N);
  Store().InsertLine(2, "00 b0;", C);
  Store().SetLine(0, "00 a4");  // now an open statement; the lines below keep their bits
  EXPECT_EQ(States(), (std::vector<DWORD>{B | S, B | C, S | E, S | E}));
  Store().ReparseLine(2);
  EXPECT_EQ(Store().GetLineState(2), E);
}

TEST_F(LineStoreTest, IndexesPastTheEndMeanTheLastLineAndAnEmptyStoreSurvivesEveryOperation) {
  Edit({"first;", "last line"});
  EXPECT_EQ(Store().GetLineLength(99), 9);
  Store().SetLine(5, "changed;");
  EXPECT_EQ(Store().GetLineState(7), S | E);
  Store().RemoveLine(42);
  EXPECT_EQ(States(), std::vector<DWORD>{S | E});

  Edit({});
  EXPECT_EQ(Store().GetLine(0), "");
  EXPECT_EQ(Store().GetLineLength(3), 0);
  EXPECT_EQ(Store().GetLineState(0), DWORD(0));
  Store().SetLine(0, "x");
  Store().SetLineState(0, LINE_BREAKPOINT);
  Store().ReparseLine(0);
  Store().RemoveLine(0);
  EXPECT_EQ(Store().GetTextExtent(), std::make_pair(0, 0));
  EXPECT_EQ(Store().SetNextCommand(3), 0);
  Store().InsertLine(5, "00 a4;", 0);
  EXPECT_EQ(States(), std::vector<DWORD>{S | E});
}

// ---- Chunks -----------------------------------------------------------------

TEST_F(LineStoreTest, ChunksEndAtTheFirstCommentMarkOrSemicolon) {
  const Chunk end{";", RGB(0, 0, 255), RGB(224, 224, 255)};
  auto plain = [](std::string t) { return Chunk{std::move(t), RGB(0, 0, 0), RGB(255, 255, 255)}; };
  auto comment = [](std::string t) { return Chunk{std::move(t), RGB(0, 128, 0), RGB(64, 192, 64)}; };
  const std::vector<std::pair<std::string, std::vector<Chunk>>> cases{
      {"00 a4 04 00;", {plain("00 a4 04 00"), end, plain("\n")}},
      {".t(100);", {{".t(100)", RGB(255, 0, 0), RGB(255, 128, 128)}, end, plain("\n")}},
      {"ab*cd/ef;", {plain("ab"), comment("*cd/ef;\n")}},
      {"ab/c*d;", {plain("ab"), comment("/c*d;\n")}},
      {"", {plain("\n")}},
      {"a;;b", {plain("a"), end, end, plain("b\n")}},
  };
  for (const auto& [line, chunks] : cases) {
    SCOPED_TRACE(line);
    Edit({line});
    EXPECT_EQ(Chunks(0), chunks);
  }
  // A chunk position inside a line that was shortened since.
  std::string text;
  DWORD colours[2];
  Store().GotoFirstChunk(0);
  Store().GetNextChunk(text, colours);
  Store().SetLine(0, "");
  EXPECT_EQ(Store().GetNextChunk(text, colours), 0);
  EXPECT_TRUE(Chunks(1).empty());
  EXPECT_TRUE(Chunks(-1).empty());
}

// ---- NextLine and the next-statement scan ----------------------------------

TEST_F(LineStoreTest, NextLineAtTheEndParksOnTheStartOfTheLastStatement) {
  Store().SetScriptLines({"00 a4;", "00 b0", "00 00;", "* trailer"});
  tvr_test::SetRun(m_Doc, true);
  Store().SetCurrentLine(3);
  EXPECT_EQ(Store().NextLine(), 0);
  EXPECT_FALSE(m_Doc.IsRunning());
  EXPECT_TRUE(CTVRBoardDocPrivate::Of(m_Doc).IsStepMode());
  EXPECT_EQ(Store().GetCurrentLine(), 1);
}

// A run's breakpoints, its end and its loop through the run itself: RunControl.
TEST_F(LineStoreTest, TheScanMovesTheMarkToTheNextStatement) {
  const std::vector<std::string> comments{"* one", "* two", "", "// three"};
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    int breakpoint;
    BOOL running, step, loop;
    int from, result, to;
    BOOL runningAfter;
  } cases[] = {
      {"skips comments", {"00 a4;", "* comment", "", "00 b0;"}, -1, TRUE, TRUE, FALSE, 1, 1, 3, TRUE},
      {"starts on the current line", {"00 a4;", "00 b0;"}, -1, TRUE, TRUE, FALSE, 1, 1, 1, TRUE},
      {"from inside a statement", {"00 a4;", "00 b0", "00 00;", "00 c0;"}, -1, TRUE, TRUE, FALSE, 2, 1, 3, TRUE},
      {"no statement", comments, -1, TRUE, FALSE, FALSE, 1, 0, 0, FALSE},
      {"no statement, loop: one pass", comments, -1, TRUE, FALSE, TRUE, 2, 0, 2, TRUE},
      {"idle ignores breakpoints", {"* a", "* b", "00 b0;"}, 1, FALSE, FALSE, FALSE, 0, 1, 2, FALSE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Store().SetScriptLines(c.lines);
    if (c.breakpoint >= 0) Store().SetLineState(c.breakpoint, Store().GetLineState(c.breakpoint) | LINE_BREAKPOINT);
    tvr_test::SetRun(m_Doc, c.running);
    CTVRBoardDocPrivate::Of(m_Doc).SetStepMode(c.step);
    CTVRBoardDocPrivate::Of(m_Doc).SetLoopMode(c.loop);
    m_View.m_Hints.clear();
    EXPECT_EQ(Store().SetNextCommand(c.from), c.result);
    EXPECT_EQ(Store().GetCurrentLine(), c.to);
    EXPECT_EQ(Marked(), std::vector<int>{c.to}) << "the old mark is cleared";
    EXPECT_EQ(m_Doc.IsRunning(), c.runningAfter);
    ASSERT_FALSE(m_View.m_Hints.empty());
    EXPECT_EQ(m_View.m_Hints.back().first, HINT_NEXT_STATEMENT);
  }
}

// Edits mark the document modified; a state set tells the views its line,
// an index past the end naming the last line; edits of nothing do neither.
TEST_F(LineStoreTest, EditsAreAnnouncedAndStateWordsByTheirClampedLine) {
  const struct {
    const char* what;
    void (*edit)(CTVRLineStore&);
    bool edited;
    int stateLine;  // -1: no line-state hint
  } cases[] = {
      {"set", [](CTVRLineStore& s) { s.SetLine(0, "00 a4;"); }, true, -1},
      {"insert", [](CTVRLineStore& s) { s.InsertLine(1, "x", 0); }, true, -1},
      {"insert many", [](CTVRLineStore& s) { s.InsertLines(0, std::vector<std::string>(3, "x")); }, true, -1},
      {"insert none", [](CTVRLineStore& s) { s.InsertLines(0, {}); }, false, -1},
      {"remove", [](CTVRLineStore& s) { s.RemoveLine(0); }, true, -1},
      {"remove none", [](CTVRLineStore& s) { s.RemoveLines(0, 0); }, false, -1},
      {"remove a negative count", [](CTVRLineStore& s) { s.RemoveLines(0, -2); }, false, -1},
      {"reparse", [](CTVRLineStore& s) { s.ReparseLine(0); }, false, -1},
      {"state", [](CTVRLineStore& s) { s.SetLineState(7, B); }, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Store().Reset();
    m_Doc.SetModifiedFlag(FALSE);
    m_View.m_Hints.clear();
    c.edit(Store());
    EXPECT_EQ(m_Doc.IsModified() != FALSE, c.edited);
    std::vector<std::pair<LPARAM, int>> hints;
    if (c.stateLine >= 0) hints.emplace_back(HINT_LINE_STATE, c.stateLine);
    EXPECT_EQ(m_View.m_Hints, hints);
  }
}

// A pasted block is classified in one pass; it must come out as inserting
// its lines one by one would.
TEST_F(LineStoreTest, APastedBlockIsClassifiedAsLineByLineInsertion) {
  const std::vector<std::string> pool{"00 a4", "04 00;", "* note", "", ".b;", "x /; y;", "00 b0;", "  "};
  std::mt19937 random(5);
  CTVRTestBoard other;
  CTVRBoardDocPrivate::Of(other).SetHostContext(&m_Context);
  CTVRLineStore& oneByOne = CTVRBoardDocPrivate::Of(other).GetLineStore();
  for (int round = 0; round < 200; ++round) {
    std::vector<std::string> script, block;
    for (int i = 0; i < 4; ++i) script.push_back(pool[random() % pool.size()]);
    for (int i = 0; i < 5; ++i) block.push_back(pool[random() % pool.size()]);
    const int at = int(random() % 5);

    oneByOne.SetScriptLines(script);
    for (std::size_t i = 0; i < block.size(); ++i) oneByOne.InsertLine(at + int(i), block[i], 0);

    Store().SetScriptLines(script);
    Store().InsertLines(at, block);
    ASSERT_EQ(Store().GetLines(), oneByOne.GetLines());
    std::vector<DWORD> expected;
    for (int i = 0; i < oneByOne.GetLineCount(); ++i) expected.push_back(oneByOne.GetLineState(i));
    ASSERT_EQ(States(), expected) << "round " << round;
  }
}

// A long script of empty lines, as a file gives it, is held and walked as a
// short one is. Edits anywhere in it, and as many near its end where the
// widest lines come and go, checked against a plain list of lines: every
// other line stays where it was, and the extent kept through the edits
// (without measuring every line) is what a recount of the list gives.
TEST_F(LineStoreTest, EditsOfALongScriptOfEmptyLinesMatchAPlainListAndItsExtent) {
  constexpr int kLines = 300000;
  std::string file;
  for (int i = 0; i < kLines; ++i) file += i == 200000 ? "00 a4;\r\n" : "\r\n";
  file += "* last";  // no line end
  ASSERT_TRUE(Store().SetScriptText(std::move(file)));
  ASSERT_EQ(Store().GetLineCount(), kLines + 1);
  EXPECT_EQ(Store().GetMarkedLine(), 200000);
  EXPECT_EQ(Store().GetLineState(200000), S | E | N);
  EXPECT_EQ(Store().GetLineState(199999), C);  // an empty line read from a file
  EXPECT_EQ(Store().GetTextExtent(), std::make_pair(6, kLines + 1));

  std::vector<std::string> model(kLines + 1);
  model[200000] = "00 a4;";
  model[kLines] = "* last";
  std::mt19937 random(3);
  for (int step = 0; step < 400; ++step) {
    const int size = int(model.size());
    const int line = step % 2 ? int(random() % unsigned(size)) : size - 1 - int(random() % 8);
    const std::string text = std::string(random() % 12, 'x') + ";";
    const int count = int(random() % 4);
    switch (random() % 5) {
      case 0:
        Store().SetLine(line, text);
        model[std::size_t(line)] = text;
        break;
      case 1:
        Store().InsertLine(line, text, 0);
        model.insert(model.begin() + line, text);
        break;
      case 2:
        Store().InsertLines(line, {text, "x"});
        model.insert(model.begin() + line, {text, "x"});
        break;
      case 3:
        Store().RemoveLine(line);
        model.erase(model.begin() + line);
        break;
      default:
        Store().RemoveLines(line, count);
        model.erase(model.begin() + line, model.begin() + std::min(line + count, size));
        break;
    }
    for (const int probe : {line - 1, line, line + 1, int(model.size()) - 1, int(random() % model.size())}) {
      if (probe < 0 || probe >= int(model.size())) continue;
      ASSERT_EQ(Store().GetLine(probe), model[std::size_t(probe)]) << "step " << step << ", line " << probe;
    }
    // Asked now and then, as the editor does: the kept extent must survive
    // the edits in between.
    if (random() % 4 != 0) continue;
    std::size_t width = 0;
    for (const std::string& l : model) width = std::max(width, l.size());
    ASSERT_EQ(Store().GetTextExtent(), std::make_pair(int(width), int(model.size()))) << "step " << step;
  }
  EXPECT_EQ(Store().GetLines(), model);
  // Saved as read: every line followed by a line feed.
  std::string saved;
  for (const std::string& line : model) saved += line + "\n";
  EXPECT_EQ(Store().GetText(), saved);
}

TEST_F(LineStoreTest, ResetAndDeleteContentsLeaveOneEmptyStatement) {
  Store().SetScriptLines({"00 a4;", "00 b0;", std::string(30, 'x')});
  Store().SetNextCommand(1);
  Store().GotoFirstChunk(2);
  Store().DeleteContents();
  EXPECT_EQ(Store().GetLines(), std::vector<std::string>{""});
  EXPECT_EQ(States(), std::vector<DWORD>{S | E});
  EXPECT_EQ(std::make_pair(Store().GetCurrentLine(), Store().GetMarkedLine()), std::make_pair(0, 0));
  EXPECT_EQ(Store().GetTextExtent(), std::make_pair(0, 1));

  Store().SetScriptLines({"00 a4;", std::string(30, 'x')});
  Store().GotoFirstChunk(1);
  Store().Reset();
  EXPECT_EQ(States(), std::vector<DWORD>{S | E});
  std::string chunk;
  DWORD colours[2] = {};
  // The chunk position went back to the first line.
  ASSERT_EQ(Store().GetNextChunk(chunk, colours), 1);
  EXPECT_EQ(chunk, "\n");
}

}  // namespace
