#include <tavric/hex_text.h>

#include <array>

namespace {

// DigitValue of every 8-bit character (kNotADigit where it is negative),
// looked up rather than compared: the interpreter reads a leading value for
// every byte of every statement.
constexpr tvr::BYTE kNotADigit = 0xFF;
constexpr std::array<tvr::BYTE, 256> kDigitValues = [] {
  std::array<tvr::BYTE, 256> values{};
  for (int c = 0; c < 256; ++c) {
    const int digit = CTVRHexText::DigitValue(char32_t(c));
    values[std::size_t(c)] = digit < 0 ? kNotADigit : tvr::BYTE(digit);
  }
  return values;
}();

}  // namespace

bool CTVRHexText::ReadByte(std::string_view text, tvr::BYTE& value) {
  if (text.size() < 2) return false;
  const int high = DigitValue(text[0]);
  const int low = DigitValue(text[1]);
  if (high < 0 || low < 0) return false;
  value = tvr::BYTE(high * 16 + low);
  return true;
}

tvr::DWORD CTVRHexText::LeadingValue(std::string_view text) {
  tvr::DWORD value = 0;
  for (char c : text) {
    const tvr::BYTE digit = kDigitValues[static_cast<unsigned char>(c)];
    if (digit == kNotADigit) break;
    value = (value << 4) | tvr::DWORD(digit);
  }
  return value;
}

tvr::DWORD CTVRHexText::NumberValue(std::string_view token) {
  if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X') && DigitValue(token[2]) >= 0)
    token.remove_prefix(2);
  return LeadingValue(token);
}

bool CTVRHexText::ReadBytes(std::string_view text, std::vector<tvr::BYTE>& bytes, ESpaces spaces) {
  auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  std::vector<tvr::BYTE> result;
  result.reserve(text.size() / 2);
  std::size_t i = 0;
  while (i < text.size()) {
    if (spaces == SPACES_BETWEEN_BYTES && isSpace(text[i])) {
      ++i;
      continue;
    }
    tvr::BYTE value = 0;
    if (!ReadByte(text.substr(i), value)) return false;
    result.push_back(value);
    i += 2;
  }
  bytes = std::move(result);
  return true;
}

std::vector<tvr::BYTE> CTVRHexText::LeadingPairs(std::string_view text, bool oddLastOwnByte) {
  std::vector<tvr::BYTE> bytes;
  bytes.reserve(text.size() / 2 + 1);
  std::size_t i = 0;
  for (; i + 1 < text.size(); i += 2) bytes.push_back(tvr::BYTE(LeadingValue(text.substr(i, 2))));
  if (i < text.size() && oddLastOwnByte) bytes.push_back(tvr::BYTE(LeadingValue(text.substr(i, 1))));
  return bytes;
}

std::string CTVRHexText::BytesText(const tvr::BYTE* bytes, std::size_t count, std::string_view separator) {
  std::string text;
  text.reserve(count * (2 + separator.size()));
  for (std::size_t i = 0; i < count; ++i) {
    if (i) text += separator;
    AppendByte(text, bytes[i]);
  }
  return text;
}
