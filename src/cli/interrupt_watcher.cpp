#include "cli/interrupt_watcher.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include <QSocketNotifier>

#include "platform/pending_output.h"

namespace {

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The write end for the handler; one watcher at a time.
std::atomic<int> g_writeFd{-1};
std::atomic<int> g_received{0};

void OnSignal(int signal) {
  const int savedErrno = errno;
  if (g_received.fetch_add(1) > 0) {
    CTVRPendingOutput::WriteAllPending();
    const char line[] = "tavric-run: a second signal: the program ends at once\n";
    [[maybe_unused]] ssize_t n = ::write(STDERR_FILENO, line, sizeof(line) - 1);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    return;
  }
  const int fd = g_writeFd.load();
  if (fd >= 0) {
    const char byte = char(signal);
    // A full pipe already holds an interrupt nobody has read yet.
    [[maybe_unused]] ssize_t n = ::write(fd, &byte, 1);
  }
  errno = savedErrno;
}

}  // namespace

CTVRInterruptWatcher::CTVRInterruptWatcher(std::function<void(int)> onInterrupt)
    : m_onInterrupt(std::move(onInterrupt)) {
  static_assert(std::atomic<int>::is_always_lock_free, "the signal handler uses them");
  if (::pipe2(m_fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  g_received = 0;
  g_writeFd = m_fds[1];
  m_pNotifier = std::make_unique<QSocketNotifier>(m_fds[0], QSocketNotifier::Read);
  QObject::connect(m_pNotifier.get(), &QSocketNotifier::activated, [this] { OnActivated(); });

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : kSignals) sigaction(signal, &action, nullptr);
}

CTVRInterruptWatcher::~CTVRInterruptWatcher() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (int signal : kSignals) sigaction(signal, &action, nullptr);
  g_writeFd = -1;
  m_pNotifier.reset();
  for (int fd : m_fds)
    if (fd >= 0) ::close(fd);
}

void CTVRInterruptWatcher::OnActivated() {
  unsigned char buffer[64];  // signal numbers, one a byte
  int first = 0;
  while (::read(m_fds[0], buffer, sizeof(buffer)) > 0)
    if (first == 0) first = buffer[0];
  if (first != 0 && m_onInterrupt) m_onInterrupt(first);
}
