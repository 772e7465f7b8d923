// Turns SIGINT into a call on the event loop. The signal handler only writes
// one byte into a pipe; a socket notifier on the other end calls back, so the
// run is stopped between two messages like any Stop command.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

class CTVRInterruptWatcher {
 public:
  explicit CTVRInterruptWatcher(std::function<void()> onInterrupt);
  ~CTVRInterruptWatcher();
  CTVRInterruptWatcher(const CTVRInterruptWatcher&) = delete;
  CTVRInterruptWatcher& operator=(const CTVRInterruptWatcher&) = delete;

  bool IsInstalled() const { return m_pNotifier != nullptr; }

 private:
  void OnActivated();

  std::function<void()> m_onInterrupt;
  int m_fds[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> m_pNotifier;
};
