// The process clock of the duration directives: milliseconds since the
// program started, as the C library's clock() counted them on the original
// platform. Tests put a clock of their own in its place.
#pragma once

#include <functional>

class CTVRProcessClock {
 public:
  static long Now();
  // Replaces the clock (an empty function puts the real one back).
  static void SetSource(std::function<long()> source);
};
