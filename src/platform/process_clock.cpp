#include "platform/process_clock.h"

#include <chrono>
#include <utility>

namespace {

// Taken when the library is loaded, which is start-up.
const std::chrono::steady_clock::time_point g_processStart = std::chrono::steady_clock::now();

std::function<long()>& Source() {
  static std::function<long()> source;
  return source;
}

}  // namespace

long CTVRProcessClock::Now() {
  if (Source()) return Source()();
  return long(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - g_processStart).count());
}

void CTVRProcessClock::SetSource(std::function<long()> source) {
  Source() = std::move(source);
}
