// A quick command's text: hexadecimal numbers separated by white space, each
// giving one byte (its low eight bits), as typed into the Command Setting
// dialog or stored as "Cmd1" to "Cmd5".
#pragma once

#include <string>
#include <vector>

#include <tavric/types.h>

class CTVRQuickCommand {
 public:
  // No more bytes than a script statement carries; the rest of a longer text
  // is not sent.
  static constexpr std::size_t MAX_BYTES = 300;

  // The bytes of the text, in order. Runs of white space separate tokens (so
  // leading blanks add nothing); a token may carry a "0x" prefix; a token
  // with no hexadecimal digit at its start gives 00.
  static std::vector<tvr::BYTE> ToBytes(const std::string& text);

  // A command is offered only when its text has at least two characters.
  static bool IsUsable(const std::string& text) { return text.size() >= 2; }
};
