// Turns SIGINT, SIGTERM and SIGHUP into a call on the event loop. The signal
// handler only writes the signal's number into a pipe; a socket notifier on
// the other end calls back, so the run is stopped between two messages like
// any Stop command. A second signal, while the first is still waiting or
// after it, ends the process at once: what the terminal and the log have
// pending is written, and the signal is raised again with its default action
// (a run stuck in a plug-in cannot reach the event loop).
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

class CTVRInterruptWatcher {
 public:
  explicit CTVRInterruptWatcher(std::function<void(int signal)> onInterrupt);
  ~CTVRInterruptWatcher();
  CTVRInterruptWatcher(const CTVRInterruptWatcher&) = delete;
  CTVRInterruptWatcher& operator=(const CTVRInterruptWatcher&) = delete;

  bool IsInstalled() const { return m_pNotifier != nullptr; }

 private:
  void OnActivated();

  std::function<void(int)> m_onInterrupt;
  int m_fds[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> m_pNotifier;
};
