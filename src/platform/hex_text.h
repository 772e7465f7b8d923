// Hexadecimal digits in both directions, for every reader of hexadecimal text
// in the core (description files, the trace reloader, the script interpreter)
// and every writer of byte values (trace dumps, decoded texts).
#pragma once

#include <string>
#include <string_view>

#include <tavric/types.h>

class CTVRHexText {
 public:
  // Upper case, as every byte value the program shows.
  static constexpr char DIGITS[] = "0123456789ABCDEF";

  // The value of one digit, either letter case; -1 for anything else.
  static int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  }
  static char Digit(unsigned value) { return DIGITS[value & 0x0F]; }

  // Two digits at the start of text: their value, or false (value unchanged).
  static bool ReadByte(std::string_view text, tvr::BYTE& value);
  // The value of the leading digits (32-bit wrap-around), 0 when there are none.
  static tvr::DWORD LeadingValue(std::string_view text);
  // Two upper-case digits.
  static void AppendByte(std::string& text, tvr::BYTE value) {
    text.push_back(Digit(value >> 4));
    text.push_back(Digit(value));
  }
};
