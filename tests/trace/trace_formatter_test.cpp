// The text and colour of every trace record kind, in both display modes.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "trace/trace_formatter.h"

namespace {

constexpr COLORREF kPurple = RGB(128, 0, 128);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kDarkRed = RGB(128, 0, 0);
const std::string kIndent(12, ' ');

struct Shown {
  CTVRTraceFormatter::EAction action;
  std::string text;
  COLORREF colour;
};

Shown Format(int kind, const std::string& data, bool hex) {
  CTVRTraceRecord record{kind, reinterpret_cast<const BYTE*>(data.data()), DWORD(data.size())};
  Shown shown{CTVRTraceFormatter::ACTION_NONE, "", 0xFFFFFFFF};
  shown.action = CTVRTraceFormatter::Format(record, hex, shown.text, shown.colour);
  return shown;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(char(v));
  return s;
}

TEST(TraceFormatter, ReceivedFrameOf20BytesInHexIsTwoRowsAndAnEmptyLine) {
  std::string frame;
  for (int i = 0; i < 20; ++i) frame.push_back(char(0xE0 + i % 32));
  Shown shown = Format(TRACE_RECEIVED, frame, true);
  EXPECT_EQ(shown.action, CTVRTraceFormatter::ACTION_APPEND);
  EXPECT_EQ(shown.colour, kBlue);
  EXPECT_EQ(shown.text, kIndent + "E0 E1 E2 E3 E4 E5 E6 E7 E8 E9 EA EB EC ED EE EF \r\n" + kIndent +
                            "F0 F1 F2 F3 \r\n"
                            "\r\n");
}

TEST(TraceFormatter, SentBytesInHexAreRowsOf16WithNothingAfter) {
  Shown shown = Format(TRACE_SENT, std::string(16, '\x0A'), true);
  EXPECT_EQ(shown.colour, kPurple);
  std::string row;
  for (int i = 0; i < 16; ++i) row += "0A ";
  EXPECT_EQ(shown.text, kIndent + row + "\r\n");
  // No bytes, no row.
  EXPECT_EQ(Format(TRACE_SENT, "", true).text, "");
  EXPECT_EQ(Format(TRACE_RECEIVED, "", true).text, "\r\n");
}

TEST(TraceFormatter, CharacterDisplayIsOneIndentedLineWhateverTheCount) {
  EXPECT_EQ(Format(TRACE_SENT, "", false).text, kIndent + "\r\n");
  std::string many(40, 'a');
  EXPECT_EQ(Format(TRACE_SENT, many, false).text, kIndent + many + "\r\n");
  // Bytes are written unchanged, line breaks and zeros included.
  std::string odd = Bytes({'A', '\r', '\n', 0, 'B'});
  EXPECT_EQ(Format(TRACE_RECEIVED, odd, false).text, kIndent + odd + "\r\n\r\n");
}

TEST(TraceFormatter, DecodedAnswersAndCommandNamesFollowTheirPrefix) {
  Shown answer = Format(TRACE_ANSWER_TEXT, " UNKNOWN ERROR", true);
  EXPECT_EQ(answer.text, "IFD -> PC : UNKNOWN ERROR\r\n");
  EXPECT_EQ(answer.colour, kBlack);
  Shown command = Format(TRACE_COMMAND_NAME, " Get firmware", false);
  EXPECT_EQ(command.text, "PC -> IFD : Get firmware\r\n");
  EXPECT_EQ(command.colour, kBlack);
}

TEST(TraceFormatter, TextKindsDoNotDependOnTheDisplayMode) {
  for (bool hex : {true, false}) {
    Shown comment = Format(TRACE_COMMENT, "* a comment\r\n", hex);
    EXPECT_EQ(comment.text, "* a comment\r\n");  // nothing added
    EXPECT_EQ(comment.colour, kGreen);
    EXPECT_EQ(Format(TRACE_COMMENT, "no line end", hex).text, "no line end");

    Shown info = Format(TRACE_INFO, "Loop 3", hex);
    EXPECT_EQ(info.text, "Loop 3\r\n");
    EXPECT_EQ(info.colour, kDarkRed);

    Shown sent = Format(TRACE_RELOAD_SENT, "            01 02 ", hex);
    EXPECT_EQ(sent.text, "            01 02 \r\n");
    EXPECT_EQ(sent.colour, kPurple);
    Shown received = Format(TRACE_RELOAD_RECEIVED, "", hex);
    EXPECT_EQ(received.text, "\r\n");
    EXPECT_EQ(received.colour, kBlue);
    Shown reloadedComment = Format(TRACE_RELOAD_COMMENT, "// old", hex);
    EXPECT_EQ(reloadedComment.text, "// old\r\n");
    EXPECT_EQ(reloadedComment.colour, kGreen);
  }
}

TEST(TraceFormatter, CommandKindsAppendNothingAndUnknownKindsAreIgnored) {
  const std::vector<std::pair<int, CTVRTraceFormatter::EAction>> kinds = {
      {TRACE_CLEAR, CTVRTraceFormatter::ACTION_CLEAR},
      {TRACE_KEEP, CTVRTraceFormatter::ACTION_KEEP},
      {TRACE_SAVE_LOG, CTVRTraceFormatter::ACTION_SAVE},
      {TRACE_SAVE_LOG_AS, CTVRTraceFormatter::ACTION_SAVE_AS},
      {13, CTVRTraceFormatter::ACTION_NONE},
      {-1, CTVRTraceFormatter::ACTION_NONE},
      {1000, CTVRTraceFormatter::ACTION_NONE}};
  for (const auto& [kind, action] : kinds) {
    Shown shown = Format(kind, "data", true);
    EXPECT_EQ(shown.action, action) << "kind " << kind;
    EXPECT_EQ(shown.text, "") << "kind " << kind;
  }
}

TEST(TraceFormatter, TextIsAppendedToWhatTheCallerHolds) {
  std::string text = "before|";
  COLORREF colour = 0;
  const BYTE bytes[] = {0x3B, 0x00};
  CTVRTraceFormatter::Format(CTVRTraceRecord{TRACE_SENT, bytes, 2}, true, text, colour);
  EXPECT_EQ(text, "before|" + kIndent + "3B 00 \r\n");
}

TEST(TraceFormatter, RecordWithoutDataCountsAsEmpty) {
  std::string text;
  COLORREF colour = 0;
  CTVRTraceFormatter::Format(CTVRTraceRecord{TRACE_SENT, nullptr, 5}, true, text, colour);
  EXPECT_EQ(text, "");
  CTVRTraceFormatter::Format(CTVRTraceRecord{TRACE_ANSWER_TEXT, nullptr, 5}, true, text, colour);
  EXPECT_EQ(text, "IFD -> PC :\r\n");
}

}  // namespace
