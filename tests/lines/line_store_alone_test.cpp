// The line store on its own, under a fake document: what it announces and
// when, the run flags its scan obeys, and the bookkeeping that edits keep
// (the extent, the batch classification) checked against a plain recount.
#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "document/line_store.h"
#include "fake_doc_sink.h"

namespace {

using Calls = std::vector<std::string>;
constexpr DWORD S = LINE_START, E = LINE_END, C = LINE_COMMENT, B = LINE_BREAKPOINT, N = LINE_NEXT;

class LineStoreAloneTest : public ::testing::Test {
 protected:
  std::vector<DWORD> States() const {
    std::vector<DWORD> states;
    for (int i = 0; i < m_Store.GetLineCount(); ++i) states.push_back(m_Store.GetLineState(i));
    return states;
  }

  CTVRFakeDocSink m_Owner;
  CTVRLineStore m_Store{m_Owner};
};

TEST_F(LineStoreAloneTest, EditsAreAnnouncedOnceAndStateWordsByTheirClampedLine) {
  const struct {
    const char* what;
    void (*edit)(CTVRLineStore&);
    Calls calls;
  } cases[] = {
      {"set", [](CTVRLineStore& s) { s.SetLine(0, "00 a4;"); }, {"Edited"}},
      {"insert", [](CTVRLineStore& s) { s.InsertLine(1, "x", 0); }, {"Edited"}},
      {"insert many",
       [](CTVRLineStore& s) {
         s.InsertLines(0, {"a", "b", "c"});
       },
       {"Edited"}},
      {"insert none", [](CTVRLineStore& s) { s.InsertLines(0, {}); }, {}},
      {"remove", [](CTVRLineStore& s) { s.RemoveLine(0); }, {"Edited"}},
      {"remove none", [](CTVRLineStore& s) { s.RemoveLines(0, 0); }, {}},
      {"remove a negative count", [](CTVRLineStore& s) { s.RemoveLines(0, -2); }, {}},
      {"reparse", [](CTVRLineStore& s) { s.ReparseLine(0); }, {}},
      // Setting a state is no edit; an index past the end names the last line.
      {"state", [](CTVRLineStore& s) { s.SetLineState(7, B); }, {"State 0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    m_Store.Reset();
    m_Owner.m_Calls.clear();
    c.edit(m_Store);
    EXPECT_EQ(m_Owner.m_Calls, c.calls);
  }
}

// Edits keep the extent up to date without measuring every line; after any
// mix of them it must be what a plain count of the lines gives.
TEST_F(LineStoreAloneTest, TheExtentKeptThroughEditsMatchesARecount) {
  std::mt19937 random(8);
  const auto text = [&] { return std::string(random() % 12, 'x'); };
  m_Store.SetScriptLines({"0123456789", "", "x"});
  for (int step = 0; step < 3000; ++step) {
    const int count = m_Store.GetLineCount();
    const int line = count > 0 ? int(random() % unsigned(count + 1)) : 0;
    switch (random() % 6) {
      case 0:
        m_Store.SetLine(line, text());
        break;
      case 1:
        m_Store.InsertLine(line, text(), 0);
        break;
      case 2:
        m_Store.InsertLines(line, {text(), text()});
        break;
      case 3:
        m_Store.RemoveLine(line);
        break;
      case 4:
        m_Store.RemoveLines(line, int(random() % 4));
        break;
      default:
        break;
    }
    // Asked now and then, as the editor does: the cache must survive the
    // edits in between.
    if (random() % 3 != 0) continue;
    int width = 0;
    for (const std::string& l : m_Store.GetLines()) width = std::max(width, int(l.size()));
    ASSERT_EQ(m_Store.GetTextExtent(), std::make_pair(width, m_Store.GetLineCount())) << "step " << step;
  }
}

// A pasted block is classified in one pass; it must come out as inserting
// its lines one by one would.
TEST_F(LineStoreAloneTest, APastedBlockIsClassifiedAsLineByLineInsertion) {
  const std::vector<std::string> pool{"00 a4", "04 00;", "* note", "", ".b;", "x /; y;", "00 b0;", "  "};
  std::mt19937 random(5);
  for (int round = 0; round < 200; ++round) {
    std::vector<std::string> script, block;
    for (int i = 0; i < 4; ++i) script.push_back(pool[random() % pool.size()]);
    for (int i = 0; i < 5; ++i) block.push_back(pool[random() % pool.size()]);
    const int at = int(random() % 5);

    CTVRFakeDocSink otherOwner;
    CTVRLineStore oneByOne(otherOwner);
    oneByOne.SetScriptLines(script);
    for (std::size_t i = 0; i < block.size(); ++i) oneByOne.InsertLine(at + int(i), block[i], 0);

    m_Store.SetScriptLines(script);
    m_Store.InsertLines(at, block);
    ASSERT_EQ(m_Store.GetLines(), oneByOne.GetLines());
    std::vector<DWORD> expected;
    for (int i = 0; i < oneByOne.GetLineCount(); ++i) expected.push_back(oneByOne.GetLineState(i));
    ASSERT_EQ(States(), expected) << "round " << round;
  }
}

// A long script of empty lines, as a file gives it, is held and walked as a
// short one is; edits anywhere in it, checked against a plain list of lines,
// leave every other line where it was.
TEST_F(LineStoreAloneTest, ALongScriptOfEmptyLinesBehavesAsAShortOne) {
  constexpr int kLines = 300000;
  std::string file;
  for (int i = 0; i < kLines; ++i) file += i == 200000 ? "00 a4;\r\n" : "\r\n";
  file += "* last";  // no line end
  ASSERT_TRUE(m_Store.SetScriptText(std::move(file)));
  ASSERT_EQ(m_Store.GetLineCount(), kLines + 1);
  EXPECT_EQ(m_Store.GetMarkedLine(), 200000);
  EXPECT_EQ(m_Store.GetLineState(200000), S | E | N);
  EXPECT_EQ(m_Store.GetLineState(199999), C);  // an empty line read from a file
  EXPECT_EQ(m_Store.GetTextExtent(), std::make_pair(6, kLines + 1));

  std::vector<std::string> model(kLines + 1);
  model[200000] = "00 a4;";
  model[kLines] = "* last";
  std::mt19937 random(3);
  for (int step = 0; step < 200; ++step) {
    const int line = int(random() % model.size());
    const std::string text = std::to_string(step) + ";";
    switch (random() % 3) {
      case 0:
        m_Store.SetLine(line, text);
        model[std::size_t(line)] = text;
        break;
      case 1:
        m_Store.InsertLine(line, text, 0);
        model.insert(model.begin() + line, text);
        break;
      default:
        m_Store.RemoveLines(line, 3);
        model.erase(model.begin() + line, model.begin() + std::min(line + 3, int(model.size())));
        break;
    }
    for (const int probe : {line - 1, line, line + 1, int(model.size()) - 1, int(random() % model.size())}) {
      if (probe < 0 || probe >= int(model.size())) continue;
      ASSERT_EQ(m_Store.GetLine(probe), model[std::size_t(probe)]) << "step " << step << ", line " << probe;
    }
  }
  EXPECT_EQ(m_Store.GetLines(), model);
  // Saved as read: every line followed by a line feed.
  std::string saved;
  for (const std::string& line : model) saved += line + "\n";
  EXPECT_EQ(m_Store.GetText(), saved);
}

TEST_F(LineStoreAloneTest, ResetAndDeleteContentsLeaveOneEmptyStatement) {
  m_Store.SetScriptLines({"00 a4;", "00 b0;", std::string(30, 'x')});
  m_Store.SetNextCommand(1);
  m_Store.GotoFirstChunk(2);
  m_Store.DeleteContents();
  EXPECT_EQ(m_Store.GetLines(), std::vector<std::string>{""});
  EXPECT_EQ(States(), std::vector<DWORD>{S | E});
  EXPECT_EQ(std::make_pair(m_Store.GetCurrentLine(), m_Store.GetMarkedLine()), std::make_pair(0, 0));
  EXPECT_EQ(m_Store.GetTextExtent(), std::make_pair(0, 1));

  m_Store.SetScriptLines({"00 a4;", std::string(30, 'x')});
  m_Store.GotoFirstChunk(1);
  m_Store.Reset();
  EXPECT_EQ(States(), std::vector<DWORD>{S | E});
  std::string chunk;
  DWORD colours[2] = {};
  // The chunk position went back to the first line.
  ASSERT_EQ(m_Store.GetNextChunk(chunk, colours), 1);
  EXPECT_EQ(chunk, "\n");
}

}  // namespace
