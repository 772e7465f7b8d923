#include "cli/interrupt_watcher.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include <QSocketNotifier>

namespace {

// The write end for the handler; one watcher at a time.
volatile sig_atomic_t g_writeFd = -1;

void OnSignal(int) {
  const int savedErrno = errno;
  const int fd = g_writeFd;
  if (fd >= 0) {
    const char byte = 1;
    // A full pipe already holds an interrupt nobody has read yet.
    [[maybe_unused]] ssize_t n = ::write(fd, &byte, 1);
  }
  errno = savedErrno;
}

}  // namespace

CTVRInterruptWatcher::CTVRInterruptWatcher(std::function<void()> onInterrupt) : m_onInterrupt(std::move(onInterrupt)) {
  if (::pipe2(m_fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  g_writeFd = m_fds[1];
  m_pNotifier = std::make_unique<QSocketNotifier>(m_fds[0], QSocketNotifier::Read);
  QObject::connect(m_pNotifier.get(), &QSocketNotifier::activated, [this] { OnActivated(); });

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
}

CTVRInterruptWatcher::~CTVRInterruptWatcher() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  g_writeFd = -1;
  m_pNotifier.reset();
  for (int fd : m_fds)
    if (fd >= 0) ::close(fd);
}

void CTVRInterruptWatcher::OnActivated() {
  char buffer[64];
  while (::read(m_fds[0], buffer, sizeof(buffer)) > 0) {
  }
  if (m_onInterrupt) m_onInterrupt();
}
