#include "document/run_controller.h"

void CTVRRunController::SetStepMode(tvr::BOOL step) {
  m_bStepMode = step;
  if (m_eState == RUN_STATEMENT || m_eState == RUN_STEPPING) Settle(true, false);
}

void CTVRRunController::Reset() {
  m_eState = RUN_IDLE;
  m_bTraceOn = TRUE;
  m_dwCommandType = 0;
  m_bLoopMode = FALSE;
  m_Verdicts.Reset();
}

void CTVRRunController::OnStart() {
  BeginRun();
  m_bStepMode = FALSE;
}

void CTVRRunController::OnStep() {
  BeginRun();
  m_bStepMode = TRUE;
}

void CTVRRunController::BeginRun() {
  ++m_dwRunSerial;
  if (m_eState != RUN_PAUSED) m_Verdicts.Reset();
  m_bHaltAfterStatement = false;
  m_bPausedOnMismatch = false;
}

void CTVRRunController::OnStop() {
  ++m_dwRunSerial;
  m_eState = RUN_STOPPED;
  m_bHaltAfterStatement = false;
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
