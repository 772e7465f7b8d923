#include "document/quick_command.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

std::vector<tvr::BYTE> CTVRQuickCommand::ToBytes(const std::string& text) {
  std::vector<tvr::BYTE> bytes;
  std::size_t i = 0;
  while (i < text.size() && bytes.size() < MAX_BYTES) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i == text.size()) break;
    std::size_t end = i;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    std::size_t digit = i;
    if (end - i > 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') && HexDigit(text[i + 2]) >= 0)
      digit += 2;
    // Only the last two digits matter for the low eight bits.
    unsigned value = 0;
    for (; digit < end && HexDigit(text[digit]) >= 0; ++digit)
      value = ((value << 4) | unsigned(HexDigit(text[digit]))) & 0xFF;
    bytes.push_back(tvr::BYTE(value));
    i = end;
  }
  return bytes;
}
