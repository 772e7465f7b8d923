// A copy of a few dozen bytes (a trace record's, an answer's) in a few moves
// of 4, 8 or 16 bytes, the last one overlapping the one before: left to
// itself, the compiler copies a memcpy of bounded size with a string move,
// whose start-up costs more than copying the dozen bytes of a typical record.
#pragma once

#include <cstddef>
#include <cstring>

#include <tavric/types.h>

namespace tvr_bytes {

inline void CopyShort(tvr::BYTE* to, const tvr::BYTE* from, std::size_t count) {
  if (count >= 16) {
    for (std::size_t i = 0; i + 16 < count; i += 16) std::memcpy(to + i, from + i, 16);
    std::memcpy(to + count - 16, from + count - 16, 16);
  } else if (count >= 8) {
    std::memcpy(to, from, 8);
    std::memcpy(to + count - 8, from + count - 8, 8);
  } else if (count >= 4) {
    std::memcpy(to, from, 4);
    std::memcpy(to + count - 4, from + count - 4, 4);
  } else if (count) {
    to[0] = from[0];
    to[count / 2] = from[count / 2];
    to[count - 1] = from[count - 1];
  }
}

}  // namespace tvr_bytes
