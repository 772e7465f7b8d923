// tavric-run atr HEX...: decodes one answer to reset given on the command
// line, with the same text the card parameters bar shows.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <tavric/types.h>

class CTVRAtrCommand {
 public:
  // The bytes of the arguments: one byte of one or two hex digits per word,
  // or a single word of an even number of hex digits. FALSE with `error` set
  // for anything else, and for fewer than two bytes (TS and T0).
  static bool ParseBytes(const std::vector<std::string>& args, std::vector<tvr::BYTE>& bytes, std::string& error);

  // Prints the decoded text with LF line ends on `out` and returns 0; a
  // message on `err` and 1 when the arguments are no answer to reset.
  static int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);
};
