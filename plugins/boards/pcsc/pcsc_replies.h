// What the PC/SC daemon hands back, read as plain bytes: the reader list as
// one buffer of names each ended by a zero, and an answer buffer with the
// length the call reported, turned into the host's PC/SC answer layout.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <tavric/types.h>

class CTVRPcscReplies {
 public:
  // The names of a reader list of `length` bytes ("first\0second\0\0"), up
  // to the first empty name; nothing past the `length` bytes is read, even
  // when the last name's zero is missing.
  static std::vector<std::string> ReaderNames(const char* names, std::size_t length);
  // The reader of `readers` that `wanted` names: the same name, else the
  // first with the same name but for its index. pcsc-lite names a reader
  // "NAME XX YY", XX numbering the readers of one driver in the order they
  // came, YY the slot, so a reader plugged in again may come back under
  // another XX. Empty when none is.
  static std::string FindReader(const std::vector<std::string>& readers, const std::string& wanted);
  // The host's card answer of kind `kind` for the `length` bytes the call
  // reported in `buffer`, which holds `capacity` bytes.
  static std::vector<tvr::BYTE> CardAnswer(tvr::BYTE kind, const tvr::BYTE* buffer, std::size_t capacity,
                                           std::size_t length);
};
