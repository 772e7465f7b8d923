// The rule file of tavric-vcard: faults on cue, chosen per command APDU.
// One rule a line, the first whose pattern matches a command acts on it:
//
//   # a comment; blank lines are ignored
//   00 B0 00 00 ??   -> chain 8      61xx, then at most 8 bytes to each GET RESPONSE
//   00 B0 *          -> le 10        6C 10 unless Le is 10; the command with Le 10 is answered
//   00 84 00 00 08   -> delay 1500   the answer 1.5 s late
//   80 CA *          -> mute         never answered
//   00 A4 04 *       -> remove 500   the card pulled out as the command comes, back 500 ms later
//   00 D6 *          -> drop         the connection breaks in the middle of the answer
//   atr 3B 8F 80                     the answer to reset at power-on, malformed or not
//
// The pattern is that of an expected answer (.expect(...), CTVRExpectation):
// pairs of hexadecimal digits, "?" for any digit, a last "*" for any further
// bytes, blanks ignored. Each action is one row of the action table
// (GetActions): adding one is adding a row and its case where it acts.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <tavric/types.h>

#include "decode/expectation.h"

class CTVRVcardRules {
 public:
  enum EAction : unsigned char {
    ACTION_CHAIN,   // the data announced with 61xx, handed out N bytes at a time to GET RESPONSE
    ACTION_LE,      // 6C N unless the command's Le is N
    ACTION_DELAY,   // the answer N ms late (a waiting-time extension)
    ACTION_MUTE,    // no answer, ever
    ACTION_REMOVE,  // the card pulled out, back N ms later when N is given
    ACTION_DROP,    // half the answer, then the connection broken
  };
  enum EArgument : unsigned char { ARGUMENT_NONE, ARGUMENT_REQUIRED, ARGUMENT_OPTIONAL };

  struct CActionRow {
    EAction m_eAction;
    const char* m_pszName;
    EArgument m_eArgument;
    unsigned m_uMin;
    unsigned m_uMax;
    bool m_bHex;  // the argument is a byte in hexadecimal (an Le), else decimal
  };

  struct CRule {
    CTVRExpectation m_Command;
    EAction m_eAction = ACTION_MUTE;
    bool m_bHasArgument = false;
    unsigned m_uArgument = 0;
    std::size_t m_nLine = 0;
  };

  static constexpr std::size_t MAX_LINE_LENGTH = 4096;
  static constexpr std::size_t MAX_RULES = 1000;
  static constexpr std::size_t MAX_ATR_LENGTH = 33;

  static const std::vector<CActionRow>& GetActions();
  static const CActionRow& RowOf(EAction action);

  // Reads a rule file's text: empty when read, else "line N: why" for the
  // first line that cannot be read (and nothing is kept).
  std::string Parse(const std::string& text);

  // The first rule whose pattern the command matches, or null.
  const CRule* Match(const tvr::BYTE* apdu, std::size_t length) const;
  const std::vector<CRule>& GetRules() const { return m_Rules; }
  // An "atr" line gives the answer to reset at power-on.
  bool HasAtr() const { return m_bHasAtr; }
  const std::vector<tvr::BYTE>& GetAtr() const { return m_Atr; }

 private:
  std::string ParseLine(const std::string& line, std::size_t number);

  std::vector<CRule> m_Rules;
  bool m_bHasAtr = false;
  std::vector<tvr::BYTE> m_Atr;
};
