// The virtual card's rule file as a user writes it: rules read with their
// lines, the first that matches a command chosen, and a line that cannot be
// read refused with its number and a reason that says what to write.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vcard_rules.h"

namespace {

TEST(VcardRulesTest, TheFirstMatchingRuleActs) {
  CTVRVcardRules rules;
  ASSERT_EQ(rules.Parse("# faults\n\n00 B0 00 00 ?? -> le 1a   # short files\r\n00 B? * -> delay 250\n"
                        "* -> chain 8\natr 3B 8F 80\n"),
            "");
  const auto actionOf = [&](std::vector<tvr::BYTE> apdu) {
    const CTVRVcardRules::CRule* pRule = rules.Match(apdu.data(), apdu.size());
    return pRule ? std::string(CTVRVcardRules::RowOf(pRule->m_eAction).m_pszName) + " " +
                       std::to_string(pRule->m_uArgument) + " line " + std::to_string(pRule->m_nLine)
                 : std::string("none");
  };
  EXPECT_EQ(actionOf({0x00, 0xB0, 0x00, 0x00, 0x20}), "le 26 line 3");
  EXPECT_EQ(actionOf({0x00, 0xB0, 0x00, 0x01, 0x20}), "delay 250 line 4");
  EXPECT_EQ(actionOf({0x00, 0xB0, 0x00, 0x00}), "delay 250 line 4");
  EXPECT_EQ(actionOf({0x00, 0xA4, 0x00, 0x00}), "chain 8 line 5");
  EXPECT_TRUE(rules.HasAtr());
  EXPECT_EQ(rules.GetAtr(), (std::vector<tvr::BYTE>{0x3B, 0x8F, 0x80}));
}

TEST(VcardRulesTest, ALineThatCannotBeReadIsNamedWithWhatToWrite) {
  const struct {
    const char* m_pszText;
    const char* m_pszWhy;
  } rows[] = {
      {"00 A4 mute", "line 1: no \"->\" between the command and the action (\"00 A4 * -> mute\")"},
      {"# ok\n -> mute", "line 2: no command before \"->\" (\"*\" matches every command)"},
      {"00 A -> mute",
       "line 1: the command \"00 A\" is not a pattern: pairs of hexadecimal digits, '?' for any digit, a last '*' "
       "for any further bytes"},
      {"00 * A4 -> mute",
       "line 1: the command \"00 * A4\" is not a pattern: pairs of hexadecimal digits, '?' for any digit, a last "
       "'*' for any further bytes"},
      {"* -> jam", "line 1: no action \"jam\" (actions: chain, le, delay, mute, remove, drop)"},
      {"* -> chain", "line 1: chain needs a number from 1 to 256"},
      {"* -> chain 0", "line 1: chain needs a number from 1 to 256, not \"0\""},
      {"* -> le 1G", "line 1: le needs two hexadecimal digits, not \"1G\""},
      {"* -> mute 3", "line 1: mute takes no argument"},
      {"atr 3B 8\n", "line 1: the answer to reset is 1 to 33 bytes in hexadecimal (\"atr 3B 02 14 50\")"},
      {"atr 3B\natr 3F", "line 2: a second answer to reset"},
  };
  for (const auto& row : rows) {
    CTVRVcardRules rules;
    EXPECT_EQ(rules.Parse(row.m_pszText), row.m_pszWhy) << row.m_pszText;
    EXPECT_TRUE(rules.GetRules().empty()) << row.m_pszText;
  }
}

}  // namespace
