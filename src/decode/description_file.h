// A description file (Command.txt, Error.txt...) read whole into memory and
// walked line by line by the two description tables.
//
// The format is: two hexadecimal digits (a byte value), for command files
// optionally '-' and two more digits, then the description up to CR LF.
// Lines the format does not provide for are handled here, in one place:
//  - a line that does not begin with the digits its table expects is skipped,
//    up to and including its LF (empty lines included);
//  - a lone LF ends a line like CR LF; a CR not followed by LF ends the
//    description and the rest of that line is ignored;
//  - a description longer than 99 characters is cut at 99;
//  - a last line without a line end runs to the end of the file.
// Nothing is ever read past the end of the file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <tavric/types.h>

class CTVRDescriptionFile {
 public:
  // A description is collected in a 100-byte buffer: 99 characters and a zero.
  static constexpr std::size_t MAX_DESCRIPTION = 99;

  // Reads the whole file; false when it cannot be opened or read.
  bool Read(const std::string& path);
  // For tests and tools that already hold the bytes.
  void Assign(std::string_view bytes);

  bool AtEnd() const { return m_nPos >= m_data.size(); }
  // Two hexadecimal digits at the current position, either letter case: the
  // value, and the position moves past them. False (position unchanged) otherwise.
  bool ReadByte(tvr::BYTE& value);
  // True when the current character is c (false at the end of the file).
  bool NextIs(char c) const { return !AtEnd() && m_data[m_nPos] == c; }
  void Advance() {
    if (!AtEnd()) ++m_nPos;
  }
  // The description from the current position (at most MAX_DESCRIPTION
  // characters), then moves past the line end. Valid until the next Read.
  std::string_view ReadDescription();
  // Moves past the next LF, or to the end of the file.
  void SkipLine();

  // A zero-terminated copy of a description, for the tables to own (delete[]).
  static char* CopyText(std::string_view text);

 private:
  std::vector<char> m_data;
  std::size_t m_nPos = 0;
};
