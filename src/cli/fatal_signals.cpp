#include "cli/fatal_signals.h"

#include <signal.h>
#include <string.h>
#include <unistd.h>

#include "platform/pending_output.h"

namespace {

struct CFatalSignal {
  int m_nSignal;
  const char* m_pszLine;
};

const CFatalSignal kSignals[] = {
    {SIGSEGV, "tavric-run: fatal signal SIGSEGV: the trace so far is written\n"},
    {SIGBUS, "tavric-run: fatal signal SIGBUS: the trace so far is written\n"},
    {SIGILL, "tavric-run: fatal signal SIGILL: the trace so far is written\n"},
    {SIGFPE, "tavric-run: fatal signal SIGFPE: the trace so far is written\n"},
    {SIGABRT, "tavric-run: fatal signal SIGABRT: the trace so far is written\n"},
};

// Large enough for the handler, which only writes.
alignas(16) char g_altStack[64 * 1024];

void OnFatalSignal(int signal) {
  CTVRPendingOutput::WriteAllPending();
  for (const CFatalSignal& s : kSignals)
    if (s.m_nSignal == signal) {
      [[maybe_unused]] ssize_t n = ::write(STDERR_FILENO, s.m_pszLine, strlen(s.m_pszLine));
    }
  // Delivered once the handler returns (or, for a fault, when the faulting
  // instruction runs again), with the default action: the process ends by it.
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

}  // namespace

void CTVRFatalSignals::Install() {
  stack_t stack{};
  stack.ss_sp = g_altStack;
  stack.ss_size = sizeof(g_altStack);
  const bool altStack = ::sigaltstack(&stack, nullptr) == 0;
  struct sigaction action {};
  action.sa_handler = OnFatalSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND | (altStack ? SA_ONSTACK : 0);
  for (const CFatalSignal& s : kSignals) ::sigaction(s.m_nSignal, &action, nullptr);
}
