// The one reader and writer of hexadecimal bytes: what each reading accepts
// and refuses, as the settings store, keys and command lines rely on it. (Its
// upper-case pairs are what the settings file, the deciphered data and the
// serial line's dropped frames show in their own tests; the settings store's
// empty and non-hexadecimal values, Registry's.)
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tavric/hex_text.h>

namespace {

using Bytes = std::vector<tvr::BYTE>;

TEST(HexText, ReadBytesTakesWholePairsOnlyAndKeepsTheOutputOnRefusal) {
  struct {
    const char* text;
    CTVRHexText::ESpaces spaces;
    bool ok;
    Bytes bytes;
  } const cases[] = {
      {"3b0aFf", CTVRHexText::NO_SPACES, true, {0x3B, 0x0A, 0xFF}},
      {"3B 0A", CTVRHexText::NO_SPACES, false, {}},
      {"3B0", CTVRHexText::NO_SPACES, false, {}},
      {" 3B\t0A\r\n", CTVRHexText::SPACES_BETWEEN_BYTES, true, {0x3B, 0x0A}},
      {"3 B", CTVRHexText::SPACES_BETWEEN_BYTES, false, {}},
      {"3B 0", CTVRHexText::SPACES_BETWEEN_BYTES, false, {}},
  };
  for (const auto& c : cases) {
    Bytes bytes{0x99};
    EXPECT_EQ(CTVRHexText::ReadBytes(c.text, bytes, c.spaces), c.ok) << c.text;
    EXPECT_EQ(bytes, c.ok ? c.bytes : Bytes{0x99}) << c.text;
  }
}

TEST(HexText, LenientReadingsTakeTheLeadingDigits) {
  EXPECT_EQ(CTVRHexText::NumberValue("0x1F"), 0x1Fu);
  EXPECT_EQ(CTVRHexText::NumberValue("0X"), 0u);  // no digit after the prefix: the 0 alone
  EXPECT_EQ(CTVRHexText::NumberValue("0xg1"), 0u);
  EXPECT_EQ(CTVRHexText::NumberValue("12z4"), 0x12u);
  EXPECT_EQ(CTVRHexText::LeadingValue("123456789"), 0x23456789u);  // 32-bit wrap-around
  EXPECT_EQ(CTVRHexText::LeadingPairs("1GG1A"), (Bytes{0x01, 0x00}));
  EXPECT_EQ(CTVRHexText::LeadingPairs("1GG1A", true), (Bytes{0x01, 0x00, 0x0A}));
}

}  // namespace
