#include "cli/atr_command.h"

#include <algorithm>
#include <sstream>

#include <tavric/hex_text.h>

#include "decode/atr.h"

namespace {

constexpr int EXIT_OK = 0;
constexpr int EXIT_USAGE = 1;

bool IsHex(char c) {
  return CTVRHexText::DigitValue(c) >= 0;
}

// The value of one to two hex digits; -1 when it is not one.
int ByteValue(const std::string& word) {
  if (word.empty() || word.size() > 2 || !std::all_of(word.begin(), word.end(), IsHex)) return -1;
  return int(CTVRHexText::LeadingValue(word));
}

}  // namespace

bool CTVRAtrCommand::ParseBytes(const std::vector<std::string>& args, std::vector<tvr::BYTE>& bytes,
                                std::string& error) {
  bytes.clear();
  // A quoted "3B 02 14 50" is as good as four arguments.
  std::vector<std::string> words;
  for (const std::string& arg : args) {
    std::istringstream in(arg);
    std::string word;
    while (in >> word) words.push_back(word);
  }
  if (words.size() == 1 && words[0].size() > 2) {
    const std::string& digits = words[0];
    if (!std::all_of(digits.begin(), digits.end(), IsHex)) {
      error = "'" + digits + "' is not hexadecimal";
      return false;
    }
    if (!CTVRHexText::ReadBytes(digits, bytes)) {
      error = "'" + digits + "' has an odd number of hex digits";
      return false;
    }
  } else {
    for (const std::string& word : words) {
      int value = ByteValue(word);
      if (value < 0) {
        error = "'" + word + "' is not a hexadecimal byte";
        return false;
      }
      bytes.push_back(tvr::BYTE(value));
    }
  }
  if (bytes.size() < 2) {
    error = "an answer to reset needs at least two bytes, TS and T0";
    return false;
  }
  return true;
}

int CTVRAtrCommand::Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  std::vector<tvr::BYTE> bytes;
  std::string error;
  if (!ParseBytes(args, bytes, error)) {
    std::fprintf(err, "tavric-run atr: %s\nUsage: tavric-run atr HEX... (for instance: tavric-run atr 3B 02 14 50)\n",
                 error.c_str());
    return EXIT_USAGE;
  }
  CAtr atr;
  atr.Parse(bytes.data(), tvr::DWORD(bytes.size()));
  std::string text = atr.Format();
  std::string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines.push_back(text[i]);
  }
  std::fwrite(lines.data(), 1, lines.size(), out);
  return EXIT_OK;
}
