// A run's trace against a golden log: each kind of difference found once,
// with its line numbers on both sides, and what varies by nature let through.
// The report's words, a line changed, missing or added within the trace, the
// time column alone and the patterns a golden log may hold are the runner's
// scenario cases logs_compare_open and logs_compare_differences.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "trace/trace_comparer.h"

namespace {

// A text read in pieces of `piece` bytes, as from a file.
CTVRTextLineReader Reader(const std::string& text, std::size_t piece, std::size_t& at) {
  return CTVRTextLineReader([&text, piece, &at](char* buffer, std::size_t capacity) {
    const std::size_t n = std::min({piece, capacity, text.size() - at});
    std::memcpy(buffer, text.data() + at, n);
    at += n;
    return n;
  });
}

// A loop's trace: the same exchange, round after round, then the .info lines.
std::string Trace(int rounds, const std::string& answer = "60 00 05 40 01 02 03 04 21 ",
                  const std::string& date = "Mon Dec  7 00:10:14", const std::string& column = "            ") {
  std::string text = "Simulated reader connected\r\n";
  for (int i = 0; i < rounds; ++i)
    text += "PC -> IFD : LOOPBACK\r\n            40 00 05 40 01 02 03 04 01 \r\nIFD -> PC : LOOPBACK EXECUTED\r\n" +
            column + answer + "\r\n\r\n";
  return text + "> Script Name : loop.cmd\r\n> " + date + " \r\n> Loop Counter : 1 \r\n";
}

std::string WithoutLine(std::string text, int line) {
  std::size_t at = 0;
  for (int i = 1; i < line; ++i) at = text.find('\n', at) + 1;
  return text.erase(at, text.find('\n', at) + 1 - at);
}

TEST(TraceComparer, EachDifferenceOnceWithItsLinesAndWhatVariesByNatureLetThrough) {
  const std::string golden = Trace(6);
  struct Case {
    const char* what;
    std::string run;
    // golden line, golden count, run line, run count; none when they agree
    std::vector<std::vector<std::uint64_t>> differences;
  } cases[] = {
      {"the same", golden, {}},
      {"line 9 missing", WithoutLine(golden, 9), {{9, 1, 9, 0}}},
      {"another date", Trace(6, "60 00 05 40 01 02 03 04 21 ", "Tue Jan 12 23:59:01"), {}},
      {"the time column and a changed byte",
       Trace(6, "60 00 05 40 01 02 03 04 22 ", "Mon Dec  7 00:10:14", "  12.345 s  "),
       {{5, 1, 5, 1}, {10, 1, 10, 1}, {15, 1, 15, 1}, {20, 1, 20, 1}, {25, 1, 25, 1}, {30, 1, 30, 1}}},
      {"two rounds more", Trace(8), {{32, 0, 32, 10}}},
      {"an empty trace", "", {{1, 34, 1, 0}}},
      {"with LF line ends",
       [&] {
         std::string run;
         for (char c : golden)
           if (c != '\r') run += c;
         return run;
       }(),
       {}},
  };
  for (const Case& c : cases) {
    for (std::size_t piece : {std::size_t(3), std::size_t(1) << 20}) {
      SCOPED_TRACE(std::string(c.what) + ", read " + std::to_string(piece) + " bytes at a time");
      std::size_t goldenAt = 0, runAt = 0;
      CTVRTextLineReader goldenReader = Reader(golden, piece, goldenAt), runReader = Reader(c.run, piece, runAt);
      CTVRTraceComparer comparer;
      EXPECT_EQ(comparer.Compare(goldenReader, runReader), c.differences.empty());
      std::vector<std::vector<std::uint64_t>> found;
      for (const auto& d : comparer.GetDifferences())
        found.push_back({d.m_nGoldenLine, d.m_nGoldenCount, d.m_nRunLine, d.m_nRunCount});
      EXPECT_EQ(found, c.differences);
    }
  }
}

}  // namespace
