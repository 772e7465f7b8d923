// The runner's watchdog: a thread that ends the process when the UI thread
// stops coming back, which only a plug-in call that never returns can cause
// (a board's Send blocked on a dead link). The run's own bounds are kept even
// then, with a second's grace for a loaded machine: --timeout (a plug-in call
// running longer than an answer may take), and --max-seconds (a plug-in call
// running past the bound). What the terminal and
// the log have pending is written, stderr names the call that hung, and the
// process ends with the plug-in fault status.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class CTVRRunWatchdog {
 public:
  using Clock = std::chrono::steady_clock;

  // timeout: seconds the UI thread may stay away; exitStatus: what the
  // process ends with when it does.
  CTVRRunWatchdog(double timeout, int exitStatus);
  ~CTVRRunWatchdog();
  CTVRRunWatchdog(const CTVRRunWatchdog&) = delete;
  CTVRRunWatchdog& operator=(const CTVRRunWatchdog&) = delete;

  // From the UI thread, often (every few milliseconds while it runs).
  void Beat() { m_nLastBeat.store(Now(), std::memory_order_relaxed); }
  // The run has started and must be over after maxSeconds (0: no bound).
  void StartRun(double maxSeconds);

 private:
  static long long Now() {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
  }
  void Watch();
  [[noreturn]] void Fire(const char* bound, double seconds);

  const long long m_nTimeout;  // microseconds
  const int m_nExitStatus;
  std::atomic<long long> m_nLastBeat;
  std::atomic<long long> m_nRunEnd{0};  // when the run must be over; 0: no bound
  double m_dMaxSeconds = 0;
  double m_dTimeout;
  std::mutex m_Mutex;
  std::condition_variable m_Stop;
  bool m_bStop = false;
  std::thread m_Thread;
};
