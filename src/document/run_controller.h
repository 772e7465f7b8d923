// The run of one reader document, as an explicit state, with the settings that
// go with it: trace on, the one-off command in flight, loop and step modes, the
// run serial, the EndCommand nesting and the expected answer opcode. The
// document changes it only through the transitions below and reads it through
// the queries; the answer decoder judges each answer and the controller applies
// its verdict. It sends nothing and knows no window: the document acts on what
// the transitions return.
#pragma once

#include <tavric/types.h>

#include "decode/answer_verdict.h"

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

  // ---- Settings (directives, menus, the frame sent last) --------------------
  void SetTraceOn(tvr::BOOL on) { m_bTraceOn = on; }
  void SetStepMode(tvr::BOOL step);
  void SetLoopMode(tvr::BOOL loop) { m_bLoopMode = loop; }
  void SetExpectedOpcode(tvr::BYTE opcode) { m_byExpectedOpcode = opcode; }

  // ---- Transitions ----------------------------------------------------------
  // A new document: idle, trace on, loop mode off, no one-off command.
  void Reset();
  // Start and Step: a new run, in free or step mode; what an older run queued is stale.
  void OnStart();
  void OnStep();
  // Stop: nothing under way, nothing awaited. A one-off command keeps its
  // type, so that its late answer ends it without touching the run.
  void OnStop();
  // WM_COMMAND_TYPE: the kind of the frame about to be sent (GetCommandType).
  void OnCommandType(tvr::DWORD kind);
  // A statement of the script begins: the run is on and its frames are its own.
  void OnStatementStarted();
  // A frame goes to the board: its answer is awaited, and Stop can end it.
  void OnAnswerAwaited();
  // No protocol: nothing goes out, but a statement under way waits all the same.
  void OnSendRefused();
  // The interpreter found no line left to run.
  void OnRunEnded();
  // The scan went past the last line without loop mode: Start then runs the
  // last statement again, as after a step.
  void OnScriptEnded();
  // The statement is complete and the mark has moved; atBreakpoint: the mark
  // is on a breakpoint line. A step or a breakpoint pauses the run.
  ENextStatement OnStatementEnded(bool atBreakpoint);
  // A queued continuation still belongs to the run under way.
  bool AcceptsContinuation(tvr::DWORD serial) const { return IsRunning() && serial == m_dwRunSerial; }
  // Around the next statement run from inside EndCommand: an end nested in it is queued.
  void EnterNextStatement() { ++m_nEndCommandDepth; }
  void LeaveNextStatement() { --m_nEndCommandDepth; }
  // An answer arrives: one nobody waits for is traced whatever trace on says.
  void OnAnswerArrived();
  // Applies the decoder's verdict on that answer. True: the statement awaiting
  // it is done, its end is to be posted.
  bool OnAnswerDecoded(const CTVRAnswerVerdict& verdict);

 private:
  // The state that says whether a statement is under way and an answer awaited.
  void Settle(bool running, bool awaiting);

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
  // Changed by Start, Step and Stop; a continuation queued before is stale.
  tvr::DWORD m_dwRunSerial = 0;
};
