// The answer-to-reset decoder: the texts of the case file (made-up answers
// that exercise each rule, real cards' answers, answers cut short), the
// record's fields, and every answer of the card list cut at every length.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "decode/atr.h"
#include "hex_bytes.h"

namespace {

using Bytes = std::vector<BYTE>;

using tvr_test::Hex;

// Parses a copy that holds exactly the answer's bytes, so that the sanitizer
// build catches any read past them.
std::string Decode(const Bytes& atr) {
  Bytes copy = atr;
  CAtr record;
  record.Parse(copy.empty() ? nullptr : copy.data(), DWORD(copy.size()));
  return record.Format();
}

// Each answer of tests/data/decode/atr_cases.txt decodes to the lines written
// under it, each ended by CR LF.
TEST(Atr, TheCaseFileAnswersDecodeToTheirTexts) {
  std::ifstream file(std::string(TAVRIC_TEST_DATA_DIR) + "/decode/atr_cases.txt");
  ASSERT_TRUE(file) << "atr_cases.txt";
  std::vector<std::pair<std::string, std::string>> cases;  // "what: bytes", text
  for (std::string line; std::getline(file, line);) {
    if (line.rfind("= ", 0) == 0)
      cases.emplace_back(line.substr(2), "");
    else if (!line.empty() && line[0] != '#' && !cases.empty())
      cases.back().second += line + "\r\n";
  }
  EXPECT_EQ(cases.size(), 21u);
  for (const auto& [what, text] : cases) {
    SCOPED_TRACE(what);
    EXPECT_EQ(Decode(Hex(what.substr(what.rfind(':') + 2))), text);
  }
}

// Every answer to reset of the card list that pcsc-tools ships, whole and cut
// at every length: each is decoded without reading past its bytes (checked by
// the sanitizer build), starts with its TS line and ends its last line.
TEST(Atr, EveryAnswerOfTheCardListAndEveryPrefix) {
  std::ifstream list("/usr/share/pcsc/smartcard_list.txt");
  if (!list) GTEST_SKIP() << "pcsc-tools' card list is not installed (tools/setup.sh installs it)";
  std::string line;
  int count = 0;
  while (std::getline(list, line)) {
    // Answers are the lines that begin with a hex byte; some hold patterns.
    if (line.size() < 2 || !std::isxdigit(static_cast<unsigned char>(line[0])) ||
        line.find_first_not_of("0123456789ABCDEFabcdef \t\r") != std::string::npos)
      continue;
    const Bytes atr = Hex(line);
    for (std::size_t length = 0; length <= atr.size(); ++length) {
      const std::string text = Decode(Bytes(atr.begin(), atr.begin() + std::ptrdiff_t(length)));
      char ts[16];
      std::snprintf(ts, sizeof ts, "TS  - 0x%02X\r\n", length ? atr[0] : 0);
      ASSERT_EQ(text.rfind(ts, 0), 0u) << line;
      ASSERT_EQ(text.substr(text.size() - 2), "\r\n") << line;
    }
    ++count;
  }
  EXPECT_GT(count, 1000);
}

}  // namespace
