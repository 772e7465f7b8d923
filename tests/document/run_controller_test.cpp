// The run controller's transitions, alone: each row plays a sequence of events
// on a fresh controller and states where the run must be after it, and what
// the last event returned (the end of a statement posted, the next statement).
#include <vector>

#include <gtest/gtest.h>

#include "document/run_controller.h"

namespace {

using Ctrl = CTVRRunController;

// An event plays one transition and gives what it returned (0 for nothing).
using Event = int (*)(Ctrl&);

int Answer(Ctrl& run, ETVRAnswerEnd end, ETVRCypheringStep step = CYPHERING_NONE) {
  run.OnAnswerArrived();
  return int(run.OnAnswerDecoded({end, step}));  // 1: the statement's end is to be posted
}

const Event START = [](Ctrl& r) { return r.OnStart(), 0; };
const Event STEP = [](Ctrl& r) { return r.OnStep(), 0; };
const Event STOP = [](Ctrl& r) { return r.OnStop(), 0; };
const Event TRACE_OFF = [](Ctrl& r) { return r.SetTraceOn(FALSE), 0; };  // ".trace(off)"
const Event ONE_OFF = [](Ctrl& r) { return r.OnCommandType(1), 0; };     // WM_COMMAND_TYPE 1
const Event STATEMENT = [](Ctrl& r) { return r.OnStatementStarted(), 0; };
const Event SENT = [](Ctrl& r) { return r.OnAnswerAwaited(), 0; };
const Event SCRIPT_END = [](Ctrl& r) { return r.OnScriptEnded(), 0; };
const Event NESTED = [](Ctrl& r) { return r.EnterNextStatement(), 0; };  // inside another statement's end
const Event END = [](Ctrl& r) { return int(r.OnStatementEnded(false)); };
const Event END_AT_BREAKPOINT = [](Ctrl& r) { return int(r.OnStatementEnded(true)); };
const Event ARRIVE = [](Ctrl& r) { return r.OnAnswerArrived(), 0; };  // not yet decoded
const Event DONE = [](Ctrl& r) { return Answer(r, ANSWER_DONE); };
const Event NOT_DONE = [](Ctrl& r) { return Answer(r, ANSWER_NOT_DONE); };
const Event INTERMEDIATE = [](Ctrl& r) { return Answer(r, ANSWER_KEEP_WAITING); };
const Event LOOPBACK = [](Ctrl& r) { return Answer(r, ANSWER_LOOPBACK_STEP); };
const Event CHALLENGE = [](Ctrl& r) { return Answer(r, ANSWER_DONE, CYPHERING_CONTINUES); };
const Event CRYPTOGRAM = [](Ctrl& r) { return Answer(r, ANSWER_DONE, CYPHERING_ENDS); };
const Event CYPHER_ERROR = [](Ctrl& r) { return Answer(r, ANSWER_DONE, CYPHERING_FAILED); };

TEST(RunController, TransitionsAndTheEventsThatMustBeIgnored) {
  struct CCase {
    const char* what;
    std::vector<Event> events;
    Ctrl::ERunState state;
    int last;  // what the last event returned
    bool traceOn = true;
  };
  const CCase cases[] = {
      // Legal transitions.
      {"a statement awaits its answer", {START, STATEMENT, SENT}, Ctrl::RUN_AWAITING, 0},
      {"its answer ends it", {START, STATEMENT, SENT, DONE}, Ctrl::RUN_STATEMENT, 1},
      {"another answer does not", {START, STATEMENT, SENT, NOT_DONE}, Ctrl::RUN_STATEMENT, 0},
      {"an intermediate message", {START, STATEMENT, SENT, INTERMEDIATE}, Ctrl::RUN_AWAITING, 0},
      {"the next statement at once", {START, STATEMENT, SENT, DONE, END}, Ctrl::RUN_STATEMENT, Ctrl::NEXT_NOW},
      {"inside an end: queued", {START, STATEMENT, NESTED, END}, Ctrl::RUN_STATEMENT, Ctrl::NEXT_QUEUED},
      {"a step pauses", {STEP, STATEMENT, SENT, DONE, END}, Ctrl::RUN_PAUSED, Ctrl::NEXT_NONE},
      {"a step's statement", {STEP, STATEMENT}, Ctrl::RUN_STEPPING, 0},
      {"a breakpoint pauses", {START, STATEMENT, END_AT_BREAKPOINT}, Ctrl::RUN_PAUSED, Ctrl::NEXT_NONE},
      {"the script's end", {START, STATEMENT, SCRIPT_END, END}, Ctrl::RUN_IDLE, Ctrl::NEXT_NONE},
      {"a one-off command ends the run", {START, STATEMENT, ONE_OFF, SENT, NOT_DONE}, Ctrl::RUN_IDLE, 0},
      {"a loopback step: trace on", {TRACE_OFF, ONE_OFF, SENT, LOOPBACK}, Ctrl::RUN_IDLE, 0},
      {"the challenge turns the trace off", {START, STATEMENT, ONE_OFF, SENT, CHALLENGE}, Ctrl::RUN_IDLE, 0, false},
      {"the cryptogram's answer ends the directive",
       {START, STATEMENT, ONE_OFF, SENT, CHALLENGE, CRYPTOGRAM},
       Ctrl::RUN_STATEMENT,
       1},
      {"a failed challenge ends the directive",
       {START, STATEMENT, ONE_OFF, SENT, CYPHER_ERROR},
       Ctrl::RUN_STATEMENT,
       1},
      // Events that must change nothing of the run.
      {"an answer nobody waits for is traced", {START, STATEMENT, TRACE_OFF, ARRIVE}, Ctrl::RUN_STATEMENT, 0},
      {"and ends nothing", {START, STATEMENT, TRACE_OFF, DONE}, Ctrl::RUN_STATEMENT, 0, false},
      {"an end after Stop", {START, STATEMENT, SENT, STOP, END}, Ctrl::RUN_STOPPED, Ctrl::NEXT_NONE},
      {"an answer after Stop", {START, STATEMENT, SENT, STOP, DONE}, Ctrl::RUN_STOPPED, 0},
      {"Stop during a one-off command", {ONE_OFF, SENT, STOP, DONE}, Ctrl::RUN_STOPPED, 0},
      {"an end while paused", {STEP, STATEMENT, END, END}, Ctrl::RUN_PAUSED, Ctrl::NEXT_NONE},
  };
  for (const CCase& c : cases) {
    SCOPED_TRACE(c.what);
    Ctrl run;
    int last = -1;
    for (Event event : c.events) last = event(run);
    EXPECT_EQ(run.GetState(), c.state);
    EXPECT_EQ(last, c.last);
    EXPECT_EQ(bool(run.IsTraceOn()), c.traceOn);
    EXPECT_EQ(run.GetCommandType(), 0u) << "no one-off command is left in flight";
  }
}

}  // namespace
