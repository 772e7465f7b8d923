// The answer-to-reset decoder: the text of made-up answers that exercise each
// rule, of real cards' answers, and of answers cut short or malformed. The
// expected texts are written from the decoding rules by hand.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "decode/atr.h"
#include "hex_bytes.h"

namespace {

using Bytes = std::vector<BYTE>;

using tvr_test::Hex;

// The lines as the decoder must write them, each ended by CR LF.
std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

// Parses a copy that holds exactly the answer's bytes, so that the sanitizer
// build catches any read past them.
std::string Decode(const Bytes& atr) {
  Bytes copy = atr;
  CAtr record;
  record.Parse(copy.empty() ? nullptr : copy.data(), DWORD(copy.size()));
  return record.Format();
}

struct CCase {
  const char* what;
  const char* atr;
  std::string text;
};

void Check(const std::vector<CCase>& cases) {
  for (const CCase& c : cases) {
    SCOPED_TRACE(std::string(c.what) + ": " + c.atr);
    EXPECT_EQ(Decode(Hex(c.atr)), c.text);
  }
}

const char* const H23 = "                       ";  // the continuation of the historical bytes

TEST(Atr, EachRuleOnMadeUpAnswers) {
  Check({
      {"two historical bytes", "3B 02 14 50",
       Lines({"TS  - 0x3B", "         Direct Conv.", "T0   - 0x02", "         Nbr of histo bytes : 0x02",
              "Histo bytes : = 0x14 0x50 "})},
      {"inverse convention", "3F 00",
       Lines({"TS  - 0x3F", "         Inverse Conv.", "T0   - 0x00", "         Nbr of histo bytes : 0x00"})},
      {"TA1, TD1, TD2, TA3, TB3", "3B 90 11 81 31 FE 45",
       Lines({"TS  - 0x3B", "         Direct Conv.", "T0   - 0x90", "         Nbr of histo bytes : 0x00", "TA1 - 0x11",
              "         Fi = 0x01", "         Di = 0x01", "TD1 - 0x81", "         Protocol T = 0x01", "TD2 - 0x31",
              "         Protocol T = 0x01", "TA3 - IFSC = 0xFE", "TB3 - 0x45", "         BWI = 0x04",
              "         CWI = 0x05"})},
      {"TB1 split into II and PI1", "3B 20 25",
       Lines({"TS  - 0x3B", "         Direct Conv.", "T0   - 0x20", "         Nbr of histo bytes : 0x00", "TB1 - 0x25",
              "         Max prog current : II = 0x01", "         Prog voltage : PI1 = 0x05"})},
      {"TD3 announces TA4, read over", "3B 81 80 80 10 77 A5",
       Lines({"TS  - 0x3B", "         Direct Conv.", "T0   - 0x81", "         Nbr of histo bytes : 0x01", "TD1 - 0x80",
              "         Protocol T = 0x00", "TD2 - 0x80", "         Protocol T = 0x00", "Histo bytes : = 0xA5 "})},
      {"TC1 alone: the bytes after it are not interface bytes", "3B 40 07 F0 F0 70 01 02",
       Lines({"TS  - 0x3B", "         Direct Conv.", "T0   - 0x40", "         Nbr of histo bytes : 0x00",
              "TC1 - Extra G.T. = 0x07"})},
      {"TA2, TB2, TC2, TC3", "3B C0 FF F0 0A 0B 0C 42 0E",
       Lines({"TS  - 0x3B", "         Direct Conv.", "T0   - 0xC0", "         Nbr of histo bytes : 0x00",
              "TC1 - Extra G.T. = 0xFF", "TD1 - 0xF0", "         Protocol T = 0x00", "TA2 - M. Specific - Value = 0x0A",
              "TB2 - Vpp = 0x0B", "TC2 - Wi = 0x0C", "TD2 - 0x42", "         Protocol T = 0x02",
              "TC3 - ErrorDetectCode = 0x0E"})},
      {"five historical bytes", "3B 05 01 02 03 04 05",
       Lines({"TS  - 0x3B", "         Direct Conv.", "T0   - 0x05", "         Nbr of histo bytes : 0x05",
              "Histo bytes : = 0x01 0x02 0x03 0x04 ", "                       0x05 "})},
      {"four historical bytes end with a line of 23 spaces", "3B 04 01 02 03 04",
       Lines({"TS  - 0x3B", "         Direct Conv.", "T0   - 0x04", "         Nbr of histo bytes : 0x04",
              "Histo bytes : = 0x01 0x02 0x03 0x04 ", H23})},
      {"check byte and extra bytes neither read nor shown", "3B 01 AA 99 98",
       Lines({"TS  - 0x3B", "         Direct Conv.", "T0   - 0x01", "         Nbr of histo bytes : 0x01",
              "Histo bytes : = 0xAA "})},
  });
}

TEST(Atr, RealCardsFromTheCardList) {
  Check({
      {"no interface bytes, trailing bytes", "3B 00 3B 28 00 34 41 45 41 30 32 30 30",
       Lines({"TS  - 0x3B", "         Direct Conv.", "T0   - 0x00", "         Nbr of histo bytes : 0x00"})},
      {"TA1, TB1, twelve historical bytes", "3B 3C 94 00 4B 31 25 A2 10 13 14 47 83 83 90 00",
       Lines({"TS  - 0x3B", "         Direct Conv.", "T0   - 0x3C", "         Nbr of histo bytes : 0x0C", "TA1 - 0x94",
              "         Fi = 0x09", "         Di = 0x04", "TB1 - 0x00", "         Max prog current : II = 0x00",
              "         Prog voltage : PI1 = 0x00", "Histo bytes : = 0x4B 0x31 0x25 0xA2 ",
              "                       0x10 0x13 0x14 0x47 ", "                       0x83 0x83 0x90 0x00 ", H23})},
      {"inverse convention, fifteen historical bytes", "3F 2F 00 36 AF 69 02 04 01 80 00 00 0A 0E 83 3E 9F 16",
       Lines({"TS  - 0x3F", "         Inverse Conv.", "T0   - 0x2F", "         Nbr of histo bytes : 0x0F", "TB1 - 0x00",
              "         Max prog current : II = 0x00", "         Prog voltage : PI1 = 0x00",
              "Histo bytes : = 0x36 0xAF 0x69 0x02 ", "                       0x04 0x01 0x80 0x00 ",
              "                       0x00 0x0A 0x0E 0x83 ", "                       0x3E 0x9F 0x16 "})},
      {"TC2", "3B 95 18 40 FF 62 01 02 01 04",
       Lines({"TS  - 0x3B", "         Direct Conv.", "T0   - 0x95", "         Nbr of histo bytes : 0x05", "TA1 - 0x18",
              "         Fi = 0x01", "         Di = 0x08", "TD1 - 0x40", "         Protocol T = 0x00", "TC2 - Wi = 0xFF",
              "Histo bytes : = 0x62 0x01 0x02 0x01 ", "                       0x04 "})},
      {"TA3 and TB3 after TD2, check byte", "3B 97 94 80 3F 44 90 80 31 A0 73 BE 21 00 95",
       Lines({"TS  - 0x3B", "         Direct Conv.", "T0   - 0x97", "         Nbr of histo bytes : 0x07", "TA1 - 0x94",
              "         Fi = 0x09", "         Di = 0x04", "TD1 - 0x80", "         Protocol T = 0x00", "TD2 - 0x3F",
              "         Protocol T = 0x0F", "TA3 - IFSC = 0x44", "TB3 - 0x90", "         BWI = 0x09",
              "         CWI = 0x00", "Histo bytes : = 0x80 0x31 0xA0 0x73 ",
              "                       0xBE 0x21 0x00 "})},
  });
}

TEST(Atr, AnswersCutShortStopWhereTheirBytesEnd) {
  Check({
      {"empty", "",
       Lines({"TS  - 0x00", "         Direct Conv.", "T0   - 0x00", "         Nbr of histo bytes : 0x00"})},
      {"TS alone", "3F",
       Lines({"TS  - 0x3F", "         Inverse Conv.", "T0   - 0x00", "         Nbr of histo bytes : 0x00"})},
      {"TD1 announced, missing: no historical byte either", "3B 9F 95",
       Lines({"TS  - 0x3B", "         Direct Conv.", "T0   - 0x9F", "         Nbr of histo bytes : 0x0F", "TA1 - 0x95",
              "         Fi = 0x09", "         Di = 0x05", "Histo bytes : = "})},
      {"TB3 missing after TA3", "3B 80 80 31 FE",
       Lines({"TS  - 0x3B", "         Direct Conv.", "T0   - 0x80", "         Nbr of histo bytes : 0x00", "TD1 - 0x80",
              "         Protocol T = 0x00", "TD2 - 0x31", "         Protocol T = 0x01", "TA3 - IFSC = 0xFE"})},
      {"three of five historical bytes", "3B 05 01 02 03",
       Lines({"TS  - 0x3B", "         Direct Conv.", "T0   - 0x05", "         Nbr of histo bytes : 0x05",
              "Histo bytes : = 0x01 0x02 0x03 "})},
      {"a chain of TD bytes runs out", "3B 80 80 80 80 80 80 80",
       Lines({"TS  - 0x3B", "         Direct Conv.", "T0   - 0x80", "         Nbr of histo bytes : 0x00", "TD1 - 0x80",
              "         Protocol T = 0x00", "TD2 - 0x80", "         Protocol T = 0x00"})},
  });
}

TEST(Atr, FieldsOfTheRecord) {
  const Bytes atr = Hex("3F F4 96 25 07 B1 0A 0B A2 12 24 AB 01 02 03 04");
  CAtr record;
  record.Parse(atr.data(), DWORD(atr.size()));
  EXPECT_EQ(record.m_bDirectConvention, 0);
  EXPECT_EQ(record.m_byY1, 0x0F);
  EXPECT_EQ(record.m_byK, 4);
  EXPECT_EQ((std::vector<int>{record.m_byFI, record.m_byDI, record.m_byII, record.m_byPI1, record.m_byTD1High,
                              record.m_byTD1Protocol, record.m_byTD2High, record.m_byTD2Protocol, record.m_byBWI,
                              record.m_byCWI}),
            (std::vector<int>{0x9, 0x6, 0x1, 0x05, 0xB, 0x1, 0xA, 0x2, 0x1, 0x2}));
  EXPECT_EQ((std::vector<int>{record.m_TC1.m_byValue, record.m_TA2.m_byValue, record.m_TB2.m_byValue,
                              record.m_TD2.m_byValue, record.m_TA3.m_bPresent, record.m_TB3.m_byValue,
                              record.m_TC3.m_bPresent, record.m_TC2.m_bPresent}),
            (std::vector<int>{0x07, 0x0A, 0x0B, 0xA2, 0, 0x12, 0, 0}));
  // TD3 (0x24) announced TB4 (0xAB): neither is kept; the historical bytes follow.
  EXPECT_EQ(Bytes(record.m_byHisto, record.m_byHisto + 5), Hex("01 02 03 04 00"));
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
