// The read and write commands of a register parameter file, turned into what
// goes to the reader: either raw frame bytes for the document's SendData, or a
// configuration call for the board's Config.
//
//   raw frame       pairs of hexadecimal digits: "5010" is 50 10
//   configuration   ".config(code)", ".config(code,Buffer)" or
//                   ".config(code,code1,Buffer)", all hexadecimal
//
// Spaces are removed first. Both forms read a pair as the shell reads a
// number: the hexadecimal digits from its start, up to the first other
// character ("G1" is 00, "1G" is 01); an odd last digit is not a byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <tavric/types.h>

class CRegisterCommand {
 public:
  // A raw frame is assembled in a buffer of this size: the longest frame a
  // reader of the shipped protocols takes. A longer command is refused.
  static constexpr std::size_t MAX_FRAME = 512;

  enum EKind { KIND_RAW, KIND_CONFIG, KIND_INVALID };

  // Parses the command text (spaces are removed here). Messages for the user
  // (the configuration syntax, a code longer than two digits) are collected
  // in m_Messages in the order they are due; KIND_INVALID sends nothing.
  static CRegisterCommand Parse(std::string_view text);

  static std::string RemoveSpaces(std::string_view text);

  EKind m_eKind = KIND_INVALID;
  std::vector<tvr::BYTE> m_Bytes;  // the raw frame, or the configuration buffer
  tvr::BYTE m_byCode = 0;
  tvr::BYTE m_byCode1 = 0xFF;
  std::vector<std::string> m_Messages;
};
