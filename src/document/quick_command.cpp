#include "document/quick_command.h"

#include <string_view>

#include <tavric/hex_text.h>

namespace {

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
    // Only the last two digits matter for the low eight bits.
    bytes.push_back(tvr::BYTE(CTVRHexText::NumberValue(std::string_view(text).substr(i, end - i))));
    i = end;
  }
  return bytes;
}
