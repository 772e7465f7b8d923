#include "platform/hex_text.h"

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
    const int digit = DigitValue(c);
    if (digit < 0) break;
    value = (value << 4) | tvr::DWORD(digit);
  }
  return value;
}
