#include "cli/run_watchdog.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "document/plugin_guard.h"
#include "platform/pending_output.h"

namespace {

// How often the watchdog looks.
constexpr std::chrono::milliseconds kLookInterval(20);
// Past --max-seconds, a healthy run stops within milliseconds; the UI thread
// away this long then is stuck.
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
    const long long now = Now();
    const long long away = now - m_nLastBeat.load(std::memory_order_relaxed);
    const long long runEnd = m_nRunEnd.load(std::memory_order_acquire);
    if (away > m_nTimeout) Fire("--timeout", m_dTimeout);
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
