// Hexadecimal digits in both directions, for every reader of hexadecimal text
// (description files, the trace reloader, the script interpreter, the settings
// store, command lines, keys) and every writer of byte values (trace dumps,
// decoded texts, comments). Plug-ins share it through the SDK.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <tavric/types.h>

class TVR_API CTVRHexText {
 public:
  // Upper case, as every byte value the program shows.
  static constexpr char DIGITS[] = "0123456789ABCDEF";

  // The value of one digit, either letter case; -1 for anything else (any
  // character type: a wide character that only looks like a digit is none).
  static constexpr int DigitValue(char32_t c) {
    if (c >= '0' && c <= '9') return int(c - '0');
    if (c >= 'A' && c <= 'F') return int(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return int(c - 'a' + 10);
    return -1;
  }
  // A digit as the program writes it: 0-9 or A-F, never a lower-case letter.
  static constexpr bool IsUpperDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }
  static constexpr char Digit(unsigned value) { return DIGITS[value & 0x0F]; }

  // Two digits at the start of text: their value, or false (value unchanged).
  static bool ReadByte(std::string_view text, tvr::BYTE& value);
  // The value of the leading digits (32-bit wrap-around), 0 when there are none.
  static tvr::DWORD LeadingValue(std::string_view text);
  // The same after a C-style "0x" (or "0X") prefix, skipped only when a digit follows it.
  static tvr::DWORD NumberValue(std::string_view token);

  enum ESpaces { NO_SPACES, SPACES_BETWEEN_BYTES };
  // Pairs of digits and nothing else (with SPACES_BETWEEN_BYTES, ASCII white
  // space may stand between the pairs, never inside one): the bytes, or false
  // (bytes unchanged) for any other character or a lone last digit.
  static bool ReadBytes(std::string_view text, std::vector<tvr::BYTE>& bytes, ESpaces spaces = NO_SPACES);
  // Lenient pairs: text cut into two characters per byte, each the leading
  // value of its pair ("1G" is 01, "G1" is 00); a lone last character is
  // dropped or, with oddLastOwnByte, is a byte of its own.
  static std::vector<tvr::BYTE> LeadingPairs(std::string_view text, bool oddLastOwnByte = false);

  // Two upper-case digits.
  static void AppendByte(std::string& text, tvr::BYTE value) {
    text.push_back(Digit(value >> 4));
    text.push_back(Digit(value));
  }
  static std::string ByteText(tvr::BYTE value) {
    std::string text;
    AppendByte(text, value);
    return text;
  }
  // Each byte as two upper-case digits, the separator between two bytes.
  static std::string BytesText(const tvr::BYTE* bytes, std::size_t count, std::string_view separator = {});
};
