#include "decode/expectation.h"

#include <cstdio>

#include <tavric/hex_text.h>

#include "decode/expectation_texts.h"

namespace texts = tvr_expectation_texts;

namespace {

constexpr std::size_t kMaxLimitDigits = 9;
constexpr std::size_t kMaxFractionDigits = 6;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string WithoutBlanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (!IsBlank(c)) out.push_back(c);
  return out;
}

// The text between "name(" and the ")" that ends the directive; false when
// the directive is not exactly that.
bool Argument(std::string_view text, std::string_view name, std::string& argument) {
  const std::string packed = WithoutBlanks(text);
  if (packed.size() < name.size() + 2 || packed.compare(0, name.size(), name) != 0 || packed[name.size()] != '(' ||
      packed.back() != ')')
    return false;
  argument = packed.substr(name.size() + 1, packed.size() - name.size() - 2);
  return argument.find_first_of("()") == std::string::npos;
}

// A hexadecimal digit or '?': its (value, mask) as a nibble.
bool Nibble(char c, tvr::WORD& value, tvr::WORD& mask) {
  if (c == '?') {
    value = 0;
    mask = 0;
    return true;
  }
  tvr::BYTE digit = 0;
  const char pair[2] = {'0', c};
  if (!CTVRHexText::ReadByte(std::string_view(pair, 2), digit)) return false;
  value = digit;
  mask = 0xF;
  return true;
}

// Nibbles of `digits` into one (value, mask) word, high nibble first.
bool Nibbles(std::string_view digits, std::pair<tvr::WORD, tvr::WORD>& word) {
  word = {0, 0};
  for (char c : digits) {
    tvr::WORD value = 0;
    tvr::WORD mask = 0;
    if (!Nibble(c, value, mask)) return false;
    word.first = tvr::WORD((word.first << 4) | value);
    word.second = tvr::WORD((word.second << 4) | mask);
  }
  return true;
}

char PatternDigit(tvr::WORD value, tvr::WORD mask) {
  return mask == 0 ? '?' : CTVRHexText::DIGITS[value & 0xF];
}

std::string Pattern(std::pair<tvr::WORD, tvr::WORD> word, int nibbles) {
  std::string text;
  for (int shift = (nibbles - 1) * 4; shift >= 0; shift -= 4)
    text.push_back(PatternDigit(tvr::WORD(word.first >> shift), tvr::WORD((word.second >> shift) & 0xF)));
  return text;
}

std::string Milliseconds(double ms) {
  char text[48];
  std::snprintf(text, sizeof text, "%g ms", ms);
  return text;
}

}  // namespace

std::string CTVRExpectation::Parse(std::string_view text, CTVRExpectation& out) {
  out = CTVRExpectation();
  std::string argument;
  if (WithoutBlanks(text) == ".expect_ok") {
    out.m_eForm = FORM_OK;
    return {};
  }
  if (Argument(text, ".expect", argument)) {
    out.m_eForm = FORM_BYTES;
    if (!argument.empty() && argument.back() == '*') {
      out.m_bMoreBytes = true;
      argument.pop_back();
    }
    if (argument.size() % 2 != 0) return texts::kBytesSyntax;
    for (std::size_t i = 0; i < argument.size(); i += 2) {
      std::pair<tvr::WORD, tvr::WORD> byte;
      if (!Nibbles(std::string_view(argument).substr(i, 2), byte)) return texts::kBytesSyntax;
      // The first eight bytes are also checked in one word.
      if (out.m_Pattern.size() < CTVRAnswerSeen::HEAD_BYTES) {
        const unsigned shift = unsigned(8 * out.m_Pattern.size());
        out.m_nHeadValue |= std::uint64_t(byte.first) << shift;
        out.m_nHeadMask |= std::uint64_t(byte.second) << shift;
      }
      out.m_Pattern.push_back(byte);
    }
    return {};
  }
  if (Argument(text, ".expect_sw", argument)) {
    out.m_eForm = FORM_STATUS;
    std::size_t start = 0;
    while (true) {
      const std::size_t bar = argument.find('|', start);
      const std::string_view alternative =
          std::string_view(argument).substr(start, bar == std::string::npos ? std::string::npos : bar - start);
      std::pair<tvr::WORD, tvr::WORD> word;
      if (alternative.size() != 4 || !Nibbles(alternative, word)) return texts::kStatusSyntax;
      out.m_Pattern.push_back(word);
      if (bar == std::string::npos) break;
      start = bar + 1;
    }
    return {};
  }
  if (Argument(text, ".expect_time", argument)) {
    out.m_eForm = FORM_TIME;
    std::size_t i = 0;
    if (argument.compare(0, 2, "<=") == 0) {
      i = 2;
    } else if (argument.compare(0, 1, "<") == 0) {
      out.m_bStrict = true;
      i = 1;
    } else {
      return texts::kTimeSyntax;
    }
    double value = 0;
    std::size_t digits = 0;
    for (; i < argument.size() && argument[i] >= '0' && argument[i] <= '9'; ++i, ++digits)
      value = value * 10 + (argument[i] - '0');
    if (digits == 0 || digits > kMaxLimitDigits) return texts::kTimeSyntax;
    if (i < argument.size() && argument[i] == '.') {
      double scale = 0.1;
      std::size_t fraction = 0;
      for (++i; i < argument.size() && argument[i] >= '0' && argument[i] <= '9'; ++i, ++fraction, scale /= 10)
        value += (argument[i] - '0') * scale;
      if (fraction == 0 || fraction > kMaxFractionDigits) return texts::kTimeSyntax;
    }
    const std::string_view unit = std::string_view(argument).substr(i);
    if (unit == "ms" || unit.empty())
      out.m_dLimitMs = value;
    else if (unit == "s")
      out.m_dLimitMs = value * 1000;
    else if (unit == "us")
      out.m_dLimitMs = value / 1000;
    else
      return texts::kTimeSyntax;
    return {};
  }
  return texts::kUnknownExpectation;
}

std::string CTVRExpectation::ParseMismatchAction(std::string_view text, ETVRMismatchAction& action) {
  std::string argument;
  if (!Argument(text, ".on_mismatch", argument)) return texts::kMismatchActionSyntax;
  if (argument == "continue")
    action = MISMATCH_CONTINUE;
  else if (argument == "pause")
    action = MISMATCH_PAUSE;
  else if (argument == "stop")
    action = MISMATCH_STOP;
  else
    return texts::kMismatchActionSyntax;
  return {};
}

bool CTVRExpectation::IsMetByOther(const CTVRAnswerSeen& answer) const {
  if (!answer.m_bAnswered) return false;
  switch (m_eForm) {
    case FORM_BYTES: {
      const std::size_t n = m_Pattern.size();
      const std::span<const tvr::BYTE> bytes = answer.Bytes();
      if (m_bMoreBytes ? bytes.size() < n : bytes.size() != n) return false;
      if ((answer.Head() & m_nHeadMask) != m_nHeadValue) return false;
      for (std::size_t i = CTVRAnswerSeen::HEAD_BYTES; i < n; ++i)
        if ((bytes[i] & m_Pattern[i].second) != m_Pattern[i].first) return false;
      return true;
    }
    case FORM_STATUS:
      if (!answer.HasStatus()) return false;
      for (const auto& [value, mask] : m_Pattern)
        if ((answer.Status() & mask) == value) return true;
      return false;
    case FORM_OK:
      return !answer.m_bError;
    case FORM_TIME:
      if (answer.m_dRoundTripMs == CTVRAnswerSeen::NO_ROUND_TRIP) return false;
      return m_bStrict ? answer.m_dRoundTripMs < m_dLimitMs : answer.m_dRoundTripMs <= m_dLimitMs;
  }
  return false;
}

tvr::BYTE CTVRExpectation::OpenBits(std::size_t index, const CTVRAnswerSeen& answer) const {
  if (m_eForm == FORM_BYTES) {
    if (index < m_Pattern.size()) return tvr::BYTE(~m_Pattern[index].second);
    return m_bMoreBytes ? 0xFF : 0;
  }
  if (m_eForm != FORM_STATUS || !answer.HasStatus() || index - answer.StatusAt() > 1) return 0;
  for (const auto& [value, mask] : m_Pattern) {
    if ((answer.Status() & mask) != value) continue;
    const tvr::WORD open = tvr::WORD(~mask);
    return tvr::BYTE(index == answer.StatusAt() ? open >> 8 : open);
  }
  return 0;
}

std::string CTVRExpectation::Expected() const {
  switch (m_eForm) {
    case FORM_BYTES: {
      std::string text;
      for (const auto& byte : m_Pattern) text += Pattern(byte, 2) + ' ';
      if (m_bMoreBytes) text += "* ";
      if (text.empty()) return texts::kEmptyAnswer;
      text.pop_back();
      return text;
    }
    case FORM_STATUS: {
      std::string text = "SW ";
      for (const auto& word : m_Pattern) text += Pattern(word, 4) + '|';
      text.pop_back();
      return text;
    }
    case FORM_OK:
      return texts::kNoError;
    case FORM_TIME:
      return (m_bStrict ? "< " : "<= ") + Milliseconds(m_dLimitMs);
  }
  return {};
}

std::string CTVRExpectation::Received(const CTVRAnswerSeen& answer) const {
  if (!answer.m_bAnswered) return texts::kNoAnswer;
  switch (m_eForm) {
    case FORM_BYTES: {
      if (answer.Bytes().empty()) return texts::kEmptyAnswer;
      std::string text;
      for (tvr::BYTE b : answer.Bytes()) {
        CTVRHexText::AppendByte(text, b);
        text += ' ';
      }
      text.pop_back();
      return text;
    }
    case FORM_STATUS:
      if (!answer.HasStatus()) return texts::kNoStatusWord;
      return "SW " + Pattern({answer.Status(), 0xFFFF}, 4);
    case FORM_OK:
      return answer.m_bError ? texts::kErrorAnswer : texts::kNoError;
    case FORM_TIME: {
      if (answer.m_dRoundTripMs == CTVRAnswerSeen::NO_ROUND_TRIP) return texts::kNoRoundTrip;
      char text[48];
      std::snprintf(text, sizeof text, "%.3f ms", answer.m_dRoundTripMs);
      return text;
    }
  }
  return {};
}
