// The desktop trace pane's lines, indexed over the record store: what each
// line holds and in which colours, across index blocks, display modes, clears
// and a store emptied behind the view.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "doc_fixture.h"
#include "document/board_doc_private.h"
#include "document/trace_lines.h"
#include "trace/trace_log.h"

namespace {

const std::string kIndent(12, ' ');
constexpr COLORREF kBlue = RGB(0, 0, 255), kGreen = RGB(0, 128, 0), kDarkRed = RGB(128, 0, 0);

// A line as (text, [(piece, colour)...]).
using Pieces = std::vector<std::pair<std::string, COLORREF>>;

class TraceLines : public CTVRDocFixture {
 protected:
  void SetUp() override {
    CTVRDocFixture::SetUp();
    m_pDoc->AddView(&m_Lines);
    m_Lines.StartAtEnd();
  }
  void TearDown() override {
    m_pDoc->RemoveView(&m_Lines);
    CTVRDocFixture::TearDown();
  }

  std::vector<Pieces> Lines(std::size_t first, std::size_t last) {
    std::vector<Pieces> lines;
    m_Lines.ForEachLine(
        first, last, [&](std::size_t, const std::string& text, const std::vector<CTVRTraceLines::Segment>& segments) {
          Pieces pieces;
          for (const auto& s : segments) pieces.emplace_back(text.substr(s.m_nStart, s.m_nLength), s.m_crColour);
          lines.push_back(pieces);
          return true;
        });
    return lines;
  }

  CTVRTraceLines m_Lines;
};

// (The line of each kind of an exchange in its colour: the trace pane's
// EachRecordKindIsPaintedInItsColour.)
TEST_F(TraceLines, LinesEndOnlyAtLineFeedsAndARecordThatShowsNothingAddsNoLine) {
  const BYTE received[] = {0x60, 0x00};
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(received, 2, TRACE_RECEIVED);
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage("* no line end, ", TRACE_COMMENT);  // the next record goes on
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage("information", TRACE_INFO);
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(nullptr, 0, TRACE_KEEP);  // shows nothing
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage("never shown", 42);

  const std::vector<Pieces> expected = {
      {{kIndent + "60 00 ", kBlue}}, {}, {{"* no line end, ", kGreen}, {"information", kDarkRed}}, {}};
  EXPECT_EQ(m_Lines.GetLineCount(), expected.size());
  EXPECT_EQ(Lines(0, 100), expected);
  EXPECT_EQ(Lines(1, 2), std::vector<Pieces>(expected.begin() + 1, expected.begin() + 3));
  EXPECT_EQ(m_Lines.GetLongestLine(), std::string("* no line end, information").size());
  EXPECT_EQ(m_Lines.GetText({0, 12}, {2, 4}), "60 00 \r\n\r\n* no");
}

TEST_F(TraceLines, LinesAreFoundAcrossIndexBlocksOfRecordsWithSeveralLinesEach) {
  // Each received record of 20 bytes shows three lines: 16 bytes, 4 bytes, empty.
  const std::size_t records = 3 * CTVRTraceLines::BLOCK + 7;
  for (std::size_t i = 0; i < records; ++i) {
    BYTE bytes[20] = {};
    bytes[0] = BYTE(i);
    bytes[16] = BYTE(i >> 8);
    CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(bytes, 20, TRACE_RECEIVED);
  }
  EXPECT_EQ(m_Lines.GetLineCount(), 3 * records + 1);
  const std::string zeros15 = "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ";
  const std::pair<std::size_t, std::string> cases[] = {
      {0, kIndent + "00 " + zeros15},
      {1, kIndent + "00 00 00 00 "},
      {2, ""},
      {3 * 255, kIndent + "FF " + zeros15},
      {3 * 256, kIndent + "00 " + zeros15},
      {3 * 256 + 1, kIndent + "01 00 00 00 "},
      {3 * 513 + 1, kIndent + "02 00 00 00 "},
      {3 * (records - 1), kIndent + "06 " + zeros15},
      {3 * records, ""},
  };
  for (const auto& [line, text] : cases) EXPECT_EQ(m_Lines.GetLine(line), text) << line;

  std::pair<std::size_t, std::size_t> found;
  ASSERT_TRUE(m_Lines.Find("03 00 00 00", {3 * 256, 0}, found));
  EXPECT_EQ(found, std::make_pair(std::size_t(3 * 259), std::size_t(12)));  // the first row of record 259
  ASSERT_TRUE(m_Lines.Find("03 00 00 00", {3 * 259, 13}, found));
  EXPECT_EQ(found, std::make_pair(std::size_t(3 * 515), std::size_t(12)));
  EXPECT_FALSE(m_Lines.Find("09 00 00 00", {3 * 770, 0}, found));
  // The index costs a fraction of a byte per record.
  EXPECT_LT(m_Lines.GetMemoryUsed(), records / 2);
}

// (A clear: the trace pane's TheDisplaySwitchChangesWhatFollowsAndAKeptTextReloads.)
TEST_F(TraceLines, ANewDocumentEmptiesTheStoreWithoutAWordToTheViewsAndTheViewStartsAgain) {
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage("before", TRACE_INFO);
  m_pDoc->OnNewDocument();
  EXPECT_EQ(m_Lines.GetLineCount(), 1u);
  EXPECT_EQ(m_Lines.GetLine(0), "");
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage("fresh", TRACE_INFO);
  EXPECT_EQ(m_Lines.GetWholeText(), "fresh\r\n");
}

TEST_F(TraceLines, AStoreThatDropsItsOldestRecordsShowsWhatItKeeps) {
  CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().SetKeepLimit(100);
  for (int i = 0; i < 250; ++i) CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage("line " + std::to_string(i), TRACE_INFO);
  // The store dropped records 0 to 99 when the 201st arrived.
  EXPECT_EQ(m_Lines.GetLineCount(), 151u);
  EXPECT_EQ(m_Lines.GetLine(0), "line 100");
  EXPECT_EQ(m_Lines.GetLine(149), "line 249");
  EXPECT_EQ(m_Lines.GetWholeText().substr(0, 10), "line 100\r\n");
}

TEST_F(TraceLines, AViewOpenedLateShowsOnlyWhatFollows) {
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage("earlier", TRACE_INFO);
  CTVRTraceLines late;
  m_pDoc->AddView(&late);
  late.StartAtEnd();
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(nullptr, 0, TRACE_SAVE_LOG_AS);  // cancelled: nothing shown
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage("later", TRACE_INFO);
  EXPECT_EQ(late.GetWholeText(), "later\r\n");
  EXPECT_EQ(late.GetRecordCount(), 1u);
  m_pDoc->RemoveView(&late);
}

}  // namespace
