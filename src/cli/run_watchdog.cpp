#include "cli/run_watchdog.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "document/plugin_guard.h"
#include "platform/pending_output.h"

namespace {

// How often the watchdog looks.
constexpr std::chrono::milliseconds kLookInterval(20);
// A plug-in call still running this long past a bound is stuck, not merely
// slowed by a loaded machine: the grace keeps a descheduled but healthy run
// from being ended as a fault.
constexpr long long kPastBoundGrace = 1000000;  // microseconds

}  // namespace

CTVRRunWatchdog::CTVRRunWatchdog(double timeout, int exitStatus)
    : m_nTimeout((long long)(timeout * 1e6)), m_nExitStatus(exitStatus), m_nLastBeat(Now()), m_dTimeout(timeout) {
  m_Thread = std::thread([this] { Watch(); });
}

CTVRRunWatchdog::~CTVRRunWatchdog() {
  {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_bStop = true;
  }
  m_Stop.notify_all();
  m_Thread.join();
}

void CTVRRunWatchdog::StartRun(double maxSeconds) {
  Beat();
  m_dMaxSeconds = maxSeconds;
  m_nRunEnd.store(maxSeconds > 0 ? Now() + (long long)(maxSeconds * 1e6) : 0, std::memory_order_release);
}

void CTVRRunWatchdog::Watch() {
  std::unique_lock<std::mutex> lock(m_Mutex);
  while (!m_Stop.wait_for(lock, kLookInterval, [this] { return m_bStop; })) {
    // Only a plug-in call can keep the UI thread away for good; anything of
    // the host's own (a .save copying a long trace) is let finish.
    if (CTVRPluginGuard::GetCurrentCall() == nullptr) continue;
    const long long now = Now();
    const long long away = now - m_nLastBeat.load(std::memory_order_relaxed);
    const long long runEnd = m_nRunEnd.load(std::memory_order_acquire);
    if (away > m_nTimeout + kPastBoundGrace) Fire("--timeout", m_dTimeout);
    if (runEnd != 0 && now > runEnd + kPastBoundGrace && away > kPastBoundGrace) Fire("--max-seconds", m_dMaxSeconds);
  }
}

void CTVRRunWatchdog::Fire(const char* bound, double seconds) {
  CTVRPendingOutput::WriteAllPending();
  const char* call = CTVRPluginGuard::GetCurrentCall();
  char line[256];
  const int n = std::snprintf(line, sizeof(line), "tavric-run: %s has not returned within %s %g s: the run is ended\n",
                              call != nullptr ? call : "the run's thread", bound, seconds);
  if (n > 0) {
    [[maybe_unused]] ssize_t written = ::write(STDERR_FILENO, line, std::strlen(line));
  }
  // The UI thread is stuck: nothing of the normal ending can run.
  ::_exit(m_nExitStatus);
}
