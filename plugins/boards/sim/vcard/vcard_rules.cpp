#include "vcard_rules.h"

#include <algorithm>

#include <tavric/hex_text.h>

#include "decode/answer_seen.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

std::string Trimmed(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string ActionNames() {
  std::string names;
  for (const CTVRVcardRules::CActionRow& row : CTVRVcardRules::GetActions())
    names += std::string(names.empty() ? "" : ", ") + row.m_pszName;
  return names;
}

// Decimal digits, or two hexadecimal ones, within the row's bounds.
bool ReadArgument(const CTVRVcardRules::CActionRow& row, const std::string& text, unsigned& value) {
  if (text.empty() || text.size() > 9) return false;
  unsigned long long v = 0;
  for (char c : text) {
    const int digit = row.m_bHex ? CTVRHexText::DigitValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (digit < 0) return false;
    v = v * (row.m_bHex ? 16 : 10) + unsigned(digit);
  }
  if (v < row.m_uMin || v > row.m_uMax) return false;
  value = unsigned(v);
  return true;
}

std::string ArgumentNeed(const CTVRVcardRules::CActionRow& row) {
  if (row.m_bHex) return "two hexadecimal digits";
  return "a number from " + std::to_string(row.m_uMin) + " to " + std::to_string(row.m_uMax);
}

}  // namespace

const std::vector<CTVRVcardRules::CActionRow>& CTVRVcardRules::GetActions() {
  static const std::vector<CActionRow> rows = {
      {ACTION_CHAIN, "chain", ARGUMENT_REQUIRED, 1, 256, false},
      {ACTION_LE, "le", ARGUMENT_REQUIRED, 0, 0xFF, true},
      {ACTION_DELAY, "delay", ARGUMENT_REQUIRED, 0, 600000, false},
      {ACTION_MUTE, "mute", ARGUMENT_NONE, 0, 0, false},
      {ACTION_REMOVE, "remove", ARGUMENT_OPTIONAL, 0, 3600000, false},
      {ACTION_DROP, "drop", ARGUMENT_NONE, 0, 0, false},
  };
  return rows;
}

const CTVRVcardRules::CActionRow& CTVRVcardRules::RowOf(EAction action) {
  for (const CActionRow& row : GetActions())
    if (row.m_eAction == action) return row;
  return GetActions().front();
}

std::string CTVRVcardRules::Parse(const std::string& text) {
  m_Rules.clear();
  m_bHasAtr = false;
  m_Atr.clear();
  std::size_t number = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    ++number;
    std::string why;
    if (end - at > MAX_LINE_LENGTH)
      why = "longer than " + std::to_string(MAX_LINE_LENGTH) + " characters";
    else
      why = ParseLine(text.substr(at, end - at), number);
    if (why.empty() && m_Rules.size() > MAX_RULES) why = "more than " + std::to_string(MAX_RULES) + " rules";
    if (!why.empty()) {
      m_Rules.clear();
      m_bHasAtr = false;
      m_Atr.clear();
      return "line " + std::to_string(number) + ": " + why;
    }
    at = end + 1;
  }
  return {};
}

std::string CTVRVcardRules::ParseLine(const std::string& raw, std::size_t number) {
  std::string line = raw;
  const std::size_t hash = line.find('#');
  if (hash != std::string::npos) line.erase(hash);
  line = Trimmed(line);
  if (line.empty()) return {};

  if (line.compare(0, 3, "atr") == 0 && (line.size() == 3 || IsBlank(line[3]))) {
    if (m_bHasAtr) return "a second answer to reset";
    std::vector<tvr::BYTE> atr;
    if (!CTVRHexText::ReadBytes(Trimmed(line.substr(3)), atr, CTVRHexText::SPACES_BETWEEN_BYTES) || atr.empty() ||
        atr.size() > MAX_ATR_LENGTH)
      return "the answer to reset is 1 to " + std::to_string(MAX_ATR_LENGTH) +
             " bytes in hexadecimal (\"atr 3B 02 14 50\")";
    m_bHasAtr = true;
    m_Atr = atr;
    return {};
  }

  const std::size_t arrow = line.find("->");
  if (arrow == std::string::npos) return "no \"->\" between the command and the action (\"00 A4 * -> mute\")";
  const std::string pattern = Trimmed(line.substr(0, arrow));
  CRule rule;
  rule.m_nLine = number;
  if (pattern.empty()) return "no command before \"->\" (\"*\" matches every command)";
  // Parentheses would end the directive the matcher reads.
  if (pattern.find_first_of("()") != std::string::npos ||
      !CTVRExpectation::Parse(".expect(" + pattern + ")", rule.m_Command).empty())
    return "the command \"" + pattern +
           "\" is not a pattern: pairs of hexadecimal digits, '?' for any digit, a last '*' for any further bytes";

  const std::string action = Trimmed(line.substr(arrow + 2));
  const std::size_t space = action.find_first_of(" \t");
  const std::string name = action.substr(0, space);
  const std::string argument = space == std::string::npos ? std::string() : Trimmed(action.substr(space));
  const CActionRow* pRow = nullptr;
  for (const CActionRow& row : GetActions())
    if (name == row.m_pszName) pRow = &row;
  if (!pRow) return "no action \"" + name + "\" (actions: " + ActionNames() + ")";
  rule.m_eAction = pRow->m_eAction;
  if (argument.empty()) {
    if (pRow->m_eArgument == ARGUMENT_REQUIRED) return std::string(pRow->m_pszName) + " needs " + ArgumentNeed(*pRow);
  } else {
    if (pRow->m_eArgument == ARGUMENT_NONE) return std::string(pRow->m_pszName) + " takes no argument";
    if (!ReadArgument(*pRow, argument, rule.m_uArgument))
      return std::string(pRow->m_pszName) + " needs " + ArgumentNeed(*pRow) + ", not \"" + argument + "\"";
    rule.m_bHasArgument = true;
  }
  m_Rules.push_back(std::move(rule));
  return {};
}

const CTVRVcardRules::CRule* CTVRVcardRules::Match(const tvr::BYTE* apdu, std::size_t length) const {
  CTVRAnswerSeen command;
  command.m_bAnswered = true;
  command.SetBytes(apdu, length);
  for (const CRule& rule : m_Rules)
    if (rule.m_Command.IsMetBy(command)) return &rule;
  return nullptr;
}
