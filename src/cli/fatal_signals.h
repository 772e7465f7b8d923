// A plug-in that crashes the process (a bad pointer, an abort) must not take
// the trace with it: on a fatal signal, what the terminal and the log have
// pending is written (CTVRPendingOutput, with write(2) only), a line on
// stderr names the signal, and the signal is raised again with its default
// action, so the process ends as it would have.
#pragma once

class CTVRFatalSignals {
 public:
  // Once, early in the process; on an alternate stack, so that a plug-in that
  // overflows its stack is caught too.
  static void Install();
};
