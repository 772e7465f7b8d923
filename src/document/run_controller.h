// The run of one reader document, as an explicit state, with the settings that
// go with it: trace on, the one-off command in flight, loop and step modes, the
// run serial, the EndCommand nesting and the expected answer opcode. The
// document changes it only through the transitions below and reads it through
// the queries; the answer decoder judges each answer and the controller applies
// its verdict. It sends nothing and knows no window: the document acts on what
// the transitions return.
#pragma once

#include <utility>

#include <chrono>
#include <cstdint>

#include <tavric/types.h>

#include "decode/answer_seen.h"
#include "decode/answer_verdict.h"
#include "document/verdict_counter.h"

class CTVRRunController {
 public:
  enum ERunState : unsigned char {
    RUN_IDLE,       // nothing runs: a new document, the script's end, an answered one-off command
    RUN_STATEMENT,  // a statement is under way, no answer awaited
    RUN_STEPPING,   // the same in step mode: the statement of Step
    RUN_AWAITING,   // a frame, a statement's or a one-off command's, awaits its answer
    RUN_PAUSED,     // halted at a breakpoint or after a step: Start or Step takes the run up
    RUN_STOPPED,    // Stop, a reader error or a plug-in fault ended the run
  };
  // What follows the end of a statement.
  enum ENextStatement : unsigned char {
    NEXT_NONE,    // nothing: the run is not on, or halts here
    NEXT_NOW,     // the next statement, at once
    NEXT_QUEUED,  // the next statement through the queue: a continuation carrying GetRunSerial()
  };

  // ---- Queries --------------------------------------------------------------
  ERunState GetState() const { return m_eState; }
  // A statement or a one-off command is under way: Stop ends it.
  tvr::BOOL IsRunning() const {
    return m_eState == RUN_STATEMENT || m_eState == RUN_STEPPING || m_eState == RUN_AWAITING;
  }
  tvr::BOOL IsWaitingAnswer() const { return m_eState == RUN_AWAITING; }
  tvr::BOOL IsTraceOn() const { return m_bTraceOn; }
  // 0: the frame is a statement of the script; 1: a one-off command (a quick
  // command, the register tool, the challenge of ".3des(").
  tvr::DWORD GetCommandType() const { return m_dwCommandType; }
  tvr::BOOL IsStepMode() const { return m_bStepMode; }
  tvr::BOOL IsLoopMode() const { return m_bLoopMode; }
  tvr::BYTE GetExpectedOpcode() const { return m_byExpectedOpcode; }
  tvr::DWORD GetRunSerial() const { return m_dwRunSerial; }
  // The run's expectations met and failed, and what a mismatch does.
  CTVRVerdictCounter& GetVerdicts() { return m_Verdicts; }
  const CTVRVerdictCounter& GetVerdicts() const { return m_Verdicts; }
  // The answer of the statement that sent a frame last, for the expectations
  // after it, and when that frame went out.
  CTVRAnswerSeen& GetAnswerSeen() { return m_AnswerSeen; }
  const CTVRAnswerSeen& GetAnswerSeen() const { return m_AnswerSeen; }
  // A statement's frame goes to the board: no answer yet, its round trip
  // begins (while the run takes answers).
  void OnFrameHandedOver() {
    if (!m_bTakingAnswers) return;
    m_AnswerSeen.m_bAnswered = false;
    if (m_bTimingAnswers) m_FrameHandedOverAt = std::chrono::steady_clock::now();
  }
  // The round trip of an answer, the one place that says where it comes from:
  // the board's own measure at its edge when it gave one (`boardNs`,
  // nanoseconds, negative for none), else from the frame handed to the board
  // to the answer's arrival at the document (queue and command delay
  // included) when the run times answers, else unknown.
  double RoundTripMs(std::int64_t boardNs) const {
    if (boardNs >= 0) return double(boardNs) / 1e6;
    if (!m_bTimingAnswers) return CTVRAnswerSeen::NO_ROUND_TRIP;
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_FrameHandedOverAt).count();
  }
  // Answers are taken and timed for expectations only while a run may check
  // them: a script that names none pays nothing for them.
  bool IsTakingAnswers() const { return m_bTakingAnswers; }
  void SetTakingAnswers(bool take) { m_bTakingAnswers = take; }
  // The host's clock times an answer that the board did not time only while
  // something reads the times: a bound on the round trip, or a report of
  // every check.
  bool IsTimingAnswers() const { return m_bTimingAnswers; }
  void SetTimingAnswers(bool time) { m_bTimingAnswers = time; }
  // A bound on the statements the run ends (0: none; tavric-run's
  // --max-statements), counted from here. Reaching it sets step mode: the run
  // ends there as after a single step, before the next statement is sent.
  void SetStatementBound(long long bound) {
    m_nStatementBound = bound;
    m_nStatementsEnded = 0;
    m_bBoundReached = false;
  }
  bool IsStatementBoundReached() const { return m_bBoundReached; }
  bool HasStatementBound() const { return m_nStatementBound > 0; }
  // A statement of the run has ended (the mark moved on while running, or an
  // expectation was checked with its statement); false once the bound is reached.
  bool CountStatementEnd() {
    if (m_nStatementBound > 0 && !m_bBoundReached && ++m_nStatementsEnded >= m_nStatementBound) {
      m_bBoundReached = true;
      SetStepMode(TRUE);
    }
    return !m_bBoundReached;
  }
  // The next-statement mark moved: a statement of the run ended, unless a Stop
  // moved it, after which the run is no longer running.
  void OnMarkMoved() {
    if (m_nStatementBound > 0 && IsRunning()) CountStatementEnd();
  }
  // The run halted after an expectation failed under .on_mismatch(pause).
  bool IsPausedOnMismatch() const { return m_eState == RUN_PAUSED && m_bPausedOnMismatch; }

  // ---- Settings (directives, menus, the frame sent last) --------------------
  void SetTraceOn(tvr::BOOL on) { m_bTraceOn = on; }
  void SetStepMode(tvr::BOOL step);
  void SetLoopMode(tvr::BOOL loop) { m_bLoopMode = loop; }
  void SetExpectedOpcode(tvr::BYTE opcode) { m_byExpectedOpcode = opcode; }
  // Where the two are kept, for the answer decoder to read them in place.
  const tvr::BOOL* TraceOnField() const { return &m_bTraceOn; }
  tvr::BYTE* ExpectedOpcodeField() { return &m_byExpectedOpcode; }

  // ---- Transitions ----------------------------------------------------------
  // A new document: idle, trace on, loop mode off, no one-off command.
  void Reset();
  // Start and Step: a new run, in free or step mode; what an older run queued
  // is stale. A run that was not paused starts its verdicts over.
  void OnStart();
  void OnStep();
  // Stop: nothing under way, nothing awaited. A one-off command keeps its
  // type, so that its late answer ends it without touching the run.
  void OnStop();
  // WM_COMMAND_TYPE: the kind of the frame about to be sent (GetCommandType).
  void OnCommandType(tvr::DWORD kind) { m_dwCommandType = kind; }
  // An expectation was checked; a mismatch under .on_mismatch(pause) halts
  // the run once the directive's statement has ended.
  void OnExpectationChecked(bool met) {
    if (!met && m_Verdicts.GetAction() == MISMATCH_PAUSE) m_bHaltAfterStatement = true;
  }
  // A statement of the script begins: the run is on and its frames are its own.
  void OnStatementStarted() {
    Settle(true, m_eState == RUN_AWAITING);
    m_dwCommandType = 0;
  }
  // A frame goes to the board: its answer is awaited, and Stop can end it.
  void OnAnswerAwaited() { m_eState = RUN_AWAITING; }
  // No protocol: nothing goes out, but a statement under way waits all the same.
  void OnSendRefused();
  // The interpreter found no line left to run.
  void OnRunEnded();
  // The scan went past the last line without loop mode: Start then runs the
  // last statement again, as after a step.
  void OnScriptEnded();
  // The statement is complete and the mark has moved; atBreakpoint: the mark
  // is on a breakpoint line. A step or a breakpoint pauses the run.
  ENextStatement OnStatementEnded(bool atBreakpoint) {
    // The mark's move may have ended the script (and set step mode).
    if (m_bStepMode || atBreakpoint || m_bHaltAfterStatement || !IsRunning()) {
      if (IsRunning()) {
        m_eState = RUN_PAUSED;
        m_bPausedOnMismatch = m_bHaltAfterStatement;
      }
      m_bHaltAfterStatement = false;
      return NEXT_NONE;
    }
    return m_nEndCommandDepth > 0 ? NEXT_QUEUED : NEXT_NOW;
  }
  // A queued continuation still belongs to the run under way.
  bool AcceptsContinuation(tvr::DWORD serial) const { return IsRunning() && serial == m_dwRunSerial; }
  // Around the next statement run from inside EndCommand: an end nested in it is queued.
  void EnterNextStatement() { ++m_nEndCommandDepth; }
  void LeaveNextStatement() { --m_nEndCommandDepth; }
  // A statement that ends at once inside the next one's run (a directive) is
  // taken up by the loop that runs statements rather than posted, up to
  // kInlineStatements in a row: a run of directives costs no trip through the
  // queue each, and Stop still gets its chance between such runs.
  static constexpr int kInlineStatements = 64;
  void OpenInlineRun() { m_nInlineLeft = kInlineStatements; }
  bool QueueInline() {
    if (m_nInlineLeft <= 0) return false;
    --m_nInlineLeft;
    m_bInlineQueued = true;
    return true;
  }
  bool TakeInline() { return std::exchange(m_bInlineQueued, false) && IsRunning(); }
  void CloseInlineRun() {
    m_nInlineLeft = 0;
    m_bInlineQueued = false;
  }
  // An answer arrives: one nobody waits for is traced whatever trace on says.
  void OnAnswerArrived() {
    m_bTraceOnAtAnswer = m_bTraceOn;
    if (!IsWaitingAnswer()) m_bTraceOn = TRUE;
  }
  // Applies the decoder's verdict on that answer. True: the statement awaiting
  // it is done, its end is to be posted.
  bool OnAnswerDecoded(const CTVRAnswerVerdict& verdict);

 private:
  // Start and Step alike: a new serial, and new verdicts unless a pause is taken up.
  void BeginRun();
  // The state that says whether a statement is under way and an answer awaited.
  void Settle(bool running, bool awaiting) {
    if (awaiting)
      m_eState = RUN_AWAITING;
    else if (running)
      m_eState = m_bStepMode ? RUN_STEPPING : RUN_STATEMENT;
    else if (IsRunning())
      m_eState = RUN_IDLE;
  }

  ERunState m_eState = RUN_IDLE;
  tvr::BOOL m_bTraceOn = TRUE;
  tvr::BOOL m_bTraceOnAtAnswer = TRUE;  // trace on when the answer being decoded arrived
  tvr::DWORD m_dwCommandType = 0;
  tvr::BOOL m_bStepMode = FALSE;
  tvr::BOOL m_bLoopMode = FALSE;
  tvr::BYTE m_byExpectedOpcode = 0;
  // EndCommand nesting: a directive that ends at once calls EndCommand from
  // inside the statement an outer EndCommand started; that end continues
  // through the queue instead of recursing, so a loop of directives keeps a
  // flat stack.
  int m_nEndCommandDepth = 0;
  int m_nInlineLeft = 0;  // statements the running loop may still take up
  bool m_bInlineQueued = false;
  // Changed by Start, Step and Stop; a continuation queued before is stale.
  tvr::DWORD m_dwRunSerial = 0;
  // A mismatch asked the run to pause at the end of the statement, and did.
  bool m_bHaltAfterStatement = false;
  bool m_bPausedOnMismatch = false;
  CTVRVerdictCounter m_Verdicts;
  CTVRAnswerSeen m_AnswerSeen;
  bool m_bTakingAnswers = false;
  bool m_bTimingAnswers = false;
  long long m_nStatementBound = 0;
  long long m_nStatementsEnded = 0;
  bool m_bBoundReached = false;
  std::chrono::steady_clock::time_point m_FrameHandedOverAt;
};

// Inline: it runs once per answer, on the path of every statement.
inline bool CTVRRunController::OnAnswerDecoded(const CTVRAnswerVerdict& verdict) {
  // An intermediate message: nothing ends, and the trace stays as the
  // answer's arrival left it.
  if (verdict.m_eEnd == ANSWER_KEEP_WAITING) return false;
  bool running = IsRunning();
  bool awaiting = IsWaitingAnswer();
  switch (verdict.m_eCyphering) {
    case CYPHERING_NONE:
      break;
    case CYPHERING_CONTINUES:
      // The cryptogram went out from TripleDes: its answer is traced, not this one's rest.
      m_bTraceOn = FALSE;
      break;
    case CYPHERING_ENDS:
      running = true;
      [[fallthrough]];
    case CYPHERING_FAILED:
      // The directive ends like a statement of the script.
      m_dwCommandType = 0;
      awaiting = true;
      m_bTraceOn = TRUE;
      break;
  }
  if (verdict.m_eEnd == ANSWER_LOOPBACK_STEP) {
    // A loopback answer never moves the script on.
    m_bTraceOn = TRUE;
    m_dwCommandType = 1;
  }

  bool statementDone = false;
  if (m_dwCommandType != 0) {
    // The one-off command is over; the script stays where it is.
    running = false;
    awaiting = false;
    m_dwCommandType = 0;
  } else if (!awaiting) {
    m_bTraceOn = m_bTraceOnAtAnswer;
  } else {
    awaiting = false;
    statementDone = verdict.m_eEnd == ANSWER_DONE;
  }
  Settle(running, awaiting);
  return statementDone;
}
