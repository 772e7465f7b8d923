#include "document/run_controller.h"

void CTVRRunController::Settle(bool running, bool awaiting) {
  if (awaiting)
    m_eState = RUN_AWAITING;
  else if (running)
    m_eState = m_bStepMode ? RUN_STEPPING : RUN_STATEMENT;
  else if (IsRunning())
    m_eState = RUN_IDLE;
}

void CTVRRunController::SetStepMode(tvr::BOOL step) {
  m_bStepMode = step;
  if (m_eState == RUN_STATEMENT || m_eState == RUN_STEPPING) Settle(true, false);
}

void CTVRRunController::Reset() {
  m_eState = RUN_IDLE;
  m_bTraceOn = TRUE;
  m_dwCommandType = 0;
  m_bLoopMode = FALSE;
}

void CTVRRunController::OnStart() {
  ++m_dwRunSerial;
  m_bStepMode = FALSE;
}

void CTVRRunController::OnStep() {
  ++m_dwRunSerial;
  m_bStepMode = TRUE;
}

void CTVRRunController::OnStop() {
  ++m_dwRunSerial;
  m_eState = RUN_STOPPED;
}

void CTVRRunController::OnCommandType(tvr::DWORD kind) {
  m_dwCommandType = kind;
}

void CTVRRunController::OnStatementStarted() {
  Settle(true, m_eState == RUN_AWAITING);
  m_dwCommandType = 0;
}

void CTVRRunController::OnAnswerAwaited() {
  m_eState = RUN_AWAITING;
}

void CTVRRunController::OnSendRefused() {
  if (IsRunning()) m_eState = RUN_AWAITING;
}

void CTVRRunController::OnRunEnded() {
  Settle(false, false);
}

void CTVRRunController::OnScriptEnded() {
  Settle(false, false);
  m_bStepMode = TRUE;
}

CTVRRunController::ENextStatement CTVRRunController::OnStatementEnded(bool atBreakpoint) {
  // The mark's move may have ended the script (and set step mode).
  if (m_bStepMode || atBreakpoint || !IsRunning()) {
    if (IsRunning()) m_eState = RUN_PAUSED;
    return NEXT_NONE;
  }
  return m_nEndCommandDepth > 0 ? NEXT_QUEUED : NEXT_NOW;
}

void CTVRRunController::OnAnswerArrived() {
  m_bTraceOnAtAnswer = m_bTraceOn;
  if (!IsWaitingAnswer()) m_bTraceOn = TRUE;
}

bool CTVRRunController::OnAnswerDecoded(const CTVRAnswerVerdict& verdict) {
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
