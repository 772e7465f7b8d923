// The text and colour of every trace record kind, in both display modes (a
// command's name, its answer's text and an information text: the views'
// tests, TraceTextView and TraceLines).
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "trace/trace_formatter.h"

namespace {

using F = CTVRTraceFormatter;
constexpr COLORREF kPurple = RGB(128, 0, 128), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 128, 0), kUnset = 0xFFFFFFFF;
const std::string kIndent(12, ' ');
enum Mode { HEX, CHARS, BOTH };

TEST(TraceFormatter, EveryKindInBothDisplayModes) {
  const std::string odd("A\r\n\0B", 5);  // written unchanged, line breaks and zeros included
  struct Case {
    int kind;
    std::string data;
    Mode mode;
    F::EAction action;
    std::string text;
    COLORREF colour;
  } cases[] = {
      // In hex (rows of 16 and the empty line that closes an exchange: every
      // golden example, and the time column's rows below): no bytes, no row.
      {TRACE_SENT, "", HEX, F::ACTION_APPEND, "", kPurple},
      {TRACE_RECEIVED, "", HEX, F::ACTION_APPEND, "\r\n", kBlue},
      // As characters: one indented line whatever the count.
      {TRACE_SENT, "", CHARS, F::ACTION_APPEND, kIndent + "\r\n", kPurple},
      {TRACE_SENT, std::string(40, 'a'), CHARS, F::ACTION_APPEND, kIndent + std::string(40, 'a') + "\r\n", kPurple},
      {TRACE_RECEIVED, odd, CHARS, F::ACTION_APPEND, kIndent + odd + "\r\n\r\n", kBlue},
      {TRACE_COMMENT, "* a comment\r\n", BOTH, F::ACTION_APPEND, "* a comment\r\n", kGreen},  // nothing added
      {TRACE_COMMENT, "no line end", BOTH, F::ACTION_APPEND, "no line end", kGreen},
      {TRACE_RELOAD_SENT, kIndent + "01 02 ", BOTH, F::ACTION_APPEND, kIndent + "01 02 \r\n", kPurple},
      {TRACE_RELOAD_RECEIVED, "", BOTH, F::ACTION_APPEND, "\r\n", kBlue},
      {TRACE_RELOAD_COMMENT, "// old", BOTH, F::ACTION_APPEND, "// old\r\n", kGreen},
      // Commands to the view append nothing; unknown kinds are ignored.
      {TRACE_CLEAR, "data", BOTH, F::ACTION_CLEAR, "", kUnset},
      {TRACE_KEEP, "data", BOTH, F::ACTION_KEEP, "", kUnset},
      {TRACE_SAVE_LOG, "data", BOTH, F::ACTION_SAVE, "", kUnset},
      {TRACE_SAVE_LOG_AS, "data", BOTH, F::ACTION_SAVE_AS, "", kUnset},
      {TRACE_MISMATCH, " line 4: expected 90 00, received 6A 82", BOTH, F::ACTION_APPEND,
       "MISMATCH  : line 4: expected 90 00, received 6A 82\r\n", RGB(255, 128, 0)},
      {14, "data", BOTH, F::ACTION_NONE, "", kUnset},
      {-1, "data", BOTH, F::ACTION_NONE, "", kUnset},
  };
  for (const Case& c : cases) {
    for (bool hex : {true, false}) {
      if ((c.mode == HEX && !hex) || (c.mode == CHARS && hex)) continue;
      SCOPED_TRACE(testing::Message() << "kind " << c.kind << (hex ? " in hex" : " as characters"));
      CTVRTraceRecord record{c.kind, reinterpret_cast<const BYTE*>(c.data.data()), DWORD(c.data.size())};
      std::string text = "before|";  // appended to what the caller holds
      COLORREF colour = kUnset;
      EXPECT_EQ(F::Format(record, hex, text, colour), c.action);
      EXPECT_EQ(text, "before|" + c.text);
      EXPECT_EQ(colour, c.colour);
    }
  }
}

// The time column takes the place of the received bytes' first indent, as
// wide; without a time (-1) the text is exactly as without the column.
TEST(TraceFormatter, TheTimeColumnReplacesTheFirstIndentOfReceivedBytes) {
  const std::string bytes17(17, '\x60');
  const std::string row16 = "60 60 60 60 60 60 60 60 60 60 60 60 60 60 60 60 ";
  struct Case {
    int kind;
    std::string data;
    bool hex;
    std::int64_t ns;
    std::string text;
  } cases[] = {
      {TRACE_RECEIVED, bytes17, true, -1, kIndent + row16 + "\r\n" + kIndent + "60 \r\n\r\n"},
      {TRACE_RECEIVED, bytes17, true, 1234567, "   1.235 ms " + row16 + "\r\n" + kIndent + "60 \r\n\r\n"},
      {TRACE_RECEIVED, "ab", false, 0, "   0.000 ms ab\r\n\r\n"},
      {TRACE_RECEIVED, "\x90", true, 9999999499, "9999.999 ms 90 \r\n\r\n"},
      {TRACE_RECEIVED, "\x90", true, 12345600000, "  12.346 s  90 \r\n\r\n"},
      {TRACE_RECEIVED, "\x90", true, 9999999499999, "9999.999 s  90 \r\n\r\n"},
      {TRACE_RECEIVED, "\x90", true, 10000000000000, "   10000 s  90 \r\n\r\n"},
      {TRACE_RECEIVED, "", true, 250000, "   0.250 ms \r\n"},    // no bytes: on the closing line
      {TRACE_SENT, "\x40", true, 1000000, kIndent + "40 \r\n"},  // frames sent have no time
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ns << " ns, " << c.data.size() << " bytes");
    CTVRTraceRecord record{c.kind, reinterpret_cast<const BYTE*>(c.data.data()), DWORD(c.data.size())};
    std::string text = "before|";
    COLORREF colour = kUnset;
    F::Format(record, c.hex, text, colour, c.ns);
    EXPECT_EQ(text, "before|" + c.text);
  }
}

TEST(TraceFormatter, RecordWithoutDataCountsAsEmpty) {
  std::string text;
  COLORREF colour = 0;
  F::Format(CTVRTraceRecord{TRACE_ANSWER_TEXT, nullptr, 5}, true, text, colour);
  F::Format(CTVRTraceRecord{TRACE_SENT, nullptr, 5}, true, text, colour);
  F::Format(CTVRTraceRecord{TRACE_SENT, nullptr, 5}, false, text, colour);
  EXPECT_EQ(text, "IFD -> PC :\r\n" + kIndent + "\r\n");
}

}  // namespace
