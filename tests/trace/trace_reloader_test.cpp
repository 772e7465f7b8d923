// Kept trace texts turned back into records, with and without the switch
// between the two dump forms.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tavric/trace_record.h>

#include "trace/trace_formatter.h"
#include "trace/trace_reloader.h"

namespace {

enum Switch { NONE, TO_HEX, TO_CHARS };

// Records read "kind:data"; kinds 3 decoded answer, 4 command name, 7 sent
// line, 8 received line, 9 comment, 13 mismatch.
TEST(TraceReloader, LinesBecomeRecordsOfTheKindTheirPlaceGivesThem) {
  struct Case {
    const char* what;
    std::string text;
    Switch to;
    std::vector<std::string> expected;
  } cases[] = {
      {"an exchange: name, sent, answer, received and the empty line",
       "PC -> IFD : Get firmware\r\n            6F 00 01 D4 BA \r\n"
       "IFD -> PC : Get firmware EXECUTED\r\n            60 00 01 D4 B5 \r\n\r\n",
       NONE,
       {"4: Get firmware", "7:            6F 00 01 D4 BA ", "3: Get firmware EXECUTED", "8:            60 00 01 D4 B5 ",
        "8:"}},
      {"comments break a run of received lines; information texts count as sent",
       "* comment\r\n/ another\r\nLoop 1\r\nIFD -> PC : UNKNOWN ERROR\r\n* after an answer\r\n            01 \r\n",
       NONE,
       {"9:* comment", "9:/ another", "7:Loop 1", "3: UNKNOWN ERROR", "9:* after an answer", "7:            01 "}},
      {"a prefix anywhere drops the first 11 characters", "xxPC -> IFD : A\r\n", NONE, {"4: : A"}},
      {"a mismatch after its answer, then sent bytes; its prefix counts only in front",
       "IFD -> PC : Text\r\n            6A 82 \r\n\r\nMISMATCH  : line 4: expected SW 9000, received SW 6A82\r\n"
       "            01 \r\nx MISMATCH  :\r\n",
       NONE,
       {"3: Text", "8:            6A 82 ", "8:", "13: line 4: expected SW 9000, received SW 6A82", "7:            01 ",
        "7:x MISMATCH  :"}},
      {"a last piece without a line end is dropped", "Loop 1\r\nLoop 2\r\ncut off", NONE, {"7:Loop 1", "7:Loop 2"}},
      {"lone LFs end lines too; only CR and LF are removed", "a\nb\r\r\n", NONE, {"7:a", "7:b"}},
      {"no text, no record", "", NONE, {}},
      {"without any LF the first line is empty and the rest dropped", "no line end", NONE, {"7:"}},
      {"to hex, byte lines become digits, their line end included",
       "PC -> IFD : Name\r\n            AB\r\nIFD -> PC : Text\r\n            C D\r\n",
       TO_HEX,
       {"4: Name", "7:41420D0A", "3: Text", "8:43440D0A"}},
      {"to characters, digit pairs become bytes and a lone last digit stays",
       "* 41 42 stays\r\n            41 42 7a \r\nIFD -> PC : Text\r\n            30 3\r\n\r\n",
       TO_CHARS,
       {"9:* 41 42 stays", "7:ABz", "3: Text", "8:03", "8:"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> got;
    for (const auto& r : c.to == NONE ? CTVRTraceReloader::Parse(c.text)
                                      : CTVRTraceReloader::ParseSwitchingHexToChar(c.text, c.to == TO_HEX))
      got.push_back(std::to_string(r.m_nKind) + ":" + r.m_strData);
    EXPECT_EQ(got, c.expected) << c.what;
  }
}

}  // namespace
