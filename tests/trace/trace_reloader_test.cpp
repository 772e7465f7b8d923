// Kept trace texts turned back into records, with and without the switch
// between the two dump forms.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tavric/trace_record.h>

#include "trace/trace_reloader.h"

namespace {

using Records = std::vector<std::pair<int, std::string>>;

Records Flatten(const std::vector<CTVRTraceReloader::Record>& records) {
  Records out;
  for (const auto& r : records) out.emplace_back(r.m_nKind, r.m_strData);
  return out;
}

const std::string kExchange =
    "PC -> IFD : Get firmware\r\n"
    "            6F 00 01 D4 BA \r\n"
    "IFD -> PC : Get firmware EXECUTED\r\n"
    "            60 00 01 D4 B5 \r\n"
    "\r\n";

TEST(TraceReloader, ExchangeGivesNameSentAnswerReceivedAndEmptyLine) {
  EXPECT_EQ(Flatten(CTVRTraceReloader::Parse(kExchange)),
            (Records{{TRACE_COMMAND_NAME, " Get firmware"},
                     {TRACE_RELOAD_SENT, "            6F 00 01 D4 BA "},
                     {TRACE_ANSWER_TEXT, " Get firmware EXECUTED"},
                     {TRACE_RELOAD_RECEIVED, "            60 00 01 D4 B5 "},
                     {TRACE_RELOAD_RECEIVED, ""}}));
}

TEST(TraceReloader, CommentLinesAndLinesAfterThemKeepTheirOwnKinds) {
  std::string text =
      "* comment\r\n"
      "/ another\r\n"
      "Loop 1\r\n"  // information text: not after an answer, so "sent"
      "IFD -> PC : UNKNOWN ERROR\r\n"
      "* comment after an answer\r\n"  // a comment breaks the run of received lines
      "            01 \r\n";
  EXPECT_EQ(Flatten(CTVRTraceReloader::Parse(text)), (Records{{TRACE_RELOAD_COMMENT, "* comment"},
                                                              {TRACE_RELOAD_COMMENT, "/ another"},
                                                              {TRACE_RELOAD_SENT, "Loop 1"},
                                                              {TRACE_ANSWER_TEXT, " UNKNOWN ERROR"},
                                                              {TRACE_RELOAD_COMMENT, "* comment after an answer"},
                                                              {TRACE_RELOAD_SENT, "            01 "}}));
}

TEST(TraceReloader, PrefixAnywhereInTheLineDropsTheFirst11Characters) {
  EXPECT_EQ(Flatten(CTVRTraceReloader::Parse("xxPC -> IFD : A\r\n")), (Records{{TRACE_COMMAND_NAME, " : A"}}));
}

TEST(TraceReloader, LastPieceWithoutLineEndIsDropped) {
  EXPECT_EQ(Flatten(CTVRTraceReloader::Parse("Loop 1\r\nLoop 2\r\ncut off")), (Records{{7, "Loop 1"}, {7, "Loop 2"}}));
  // Lone LFs end lines too; only CR and LF are removed from the data.
  EXPECT_EQ(Flatten(CTVRTraceReloader::Parse("a\nb\r\r\n")), (Records{{7, "a"}, {7, "b"}}));
}

TEST(TraceReloader, TextsWithoutWholeLines) {
  EXPECT_TRUE(CTVRTraceReloader::Parse("").empty());
  // With no LF at all the first line is empty: one empty record, then the
  // rest is dropped as a piece without line end.
  EXPECT_EQ(Flatten(CTVRTraceReloader::Parse("no line end")), (Records{{TRACE_RELOAD_SENT, ""}}));
}

TEST(TraceReloader, SwitchToHexTurnsByteLinesIntoDigits) {
  std::string text =
      "PC -> IFD : Name\r\n"
      "            AB\r\n"
      "IFD -> PC : Text\r\n"
      "            C D\r\n";
  // The line end is converted with the line, before CR and LF are removed.
  EXPECT_EQ(Flatten(CTVRTraceReloader::ParseSwitchingHexToChar(text, true)),
            (Records{{TRACE_COMMAND_NAME, " Name"},
                     {TRACE_RELOAD_SENT, "41420D0A"},
                     {TRACE_ANSWER_TEXT, " Text"},
                     {TRACE_RELOAD_RECEIVED, "43440D0A"}}));
}

TEST(TraceReloader, SwitchToCharactersTurnsDigitPairsIntoBytes) {
  std::string text =
      "* 41 42 stays\r\n"
      "            41 42 7a \r\n"
      "IFD -> PC : Text\r\n"
      "            30 3\r\n"  // a lone last digit is kept as it is
      "\r\n";
  EXPECT_EQ(Flatten(CTVRTraceReloader::ParseSwitchingHexToChar(text, false)),
            (Records{{TRACE_RELOAD_COMMENT, "* 41 42 stays"},
                     {TRACE_RELOAD_SENT, "ABz"},
                     {TRACE_ANSWER_TEXT, " Text"},
                     {TRACE_RELOAD_RECEIVED, "03"},
                     {TRACE_RELOAD_RECEIVED, ""}}));
}

}  // namespace
