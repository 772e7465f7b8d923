// Run control: the end of each statement, Stop, and the commands that start,
// step, loop and set the script type and the delay options.
#include <tavric/board_doc.h>

#include <tavric/messages.h>

#include "board_settings_dlg.h"
#include "delay_options_dlg.h"
#include "document/plugin_guard.h"
#include "document/run_controller.h"
#include "run_messages.h"

// The run's queries and modes, kept by the run controller.
BOOL CTVRBoardDoc::IsRunning() const {
  return m_pRunController->IsRunning();
}
BOOL CTVRBoardDoc::IsWaitingAnswer() const {
  return m_pRunController->IsWaitingAnswer();
}
BOOL CTVRBoardDoc::IsTraceOn() const {
  return m_pRunController->IsTraceOn();
}
DWORD CTVRBoardDoc::GetCommandType() const {
  return m_pRunController->GetCommandType();
}
BOOL CTVRBoardDoc::IsStepMode() const {
  return m_pRunController->IsStepMode();
}
void CTVRBoardDoc::SetStepMode(BOOL step) {
  m_pRunController->SetStepMode(step);
}
BOOL CTVRBoardDoc::IsLoopMode() const {
  return m_pRunController->IsLoopMode();
}
void CTVRBoardDoc::SetLoopMode(BOOL loop) {
  m_pRunController->SetLoopMode(loop);
}
BYTE CTVRBoardDoc::GetExpectedOpcode() const {
  return m_pRunController->GetExpectedOpcode();
}
void CTVRBoardDoc::SetExpectedOpcode(BYTE opcode) {
  m_pRunController->SetExpectedOpcode(opcode);
}

void CTVRBoardDoc::EndCommand() {
  CTVRRunController& run = *m_pRunController;
  // A Stop, an error or the end of the script came first.
  if (!run.IsRunning()) return;

  GotoNextCommand();
  const int line = GetCurrentLine();
  switch (run.OnStatementEnded(line < GetLineCount() && (GetLineState(line) & LINE_BREAKPOINT) != 0)) {
    case CTVRRunController::NEXT_NONE:
      return;
    case CTVRRunController::NEXT_QUEUED:
      // A directive that ended at once inside the statement that an outer
      // EndCommand started: going on here would recurse once per statement, and
      // a loop of directives would never give Stop a chance. The queue starts
      // the next statement after the outer handlers have returned.
      PostMessage(m_DummyWnd.GetSafeHwnd(), GetContinueRunMessage(), WPARAM(run.GetRunSerial()), 0);
      return;
    case CTVRRunController::NEXT_NOW:
      break;
  }
  run.EnterNextStatement();
  SendCurrentCommand();
  run.LeaveNextStatement();
}

void CTVRBoardDoc::OnContinueRun(WPARAM serial) {
  CTVRRunController& run = *m_pRunController;
  // Stop, or Stop and Start again, since it was posted: that run is over.
  if (!run.AcceptsContinuation(DWORD(serial))) return;
  run.EnterNextStatement();
  SendCurrentCommand();
  run.LeaveNextStatement();
}

void CTVRBoardDoc::OnScriptStop() {
  m_pRunController->OnStop();
  // A statement sent and not yet answered counts as done: the mark moves past it.
  GotoNextCommand();
}

void CTVRBoardDoc::OnScriptStart() {
  m_pRunController->OnStart();
  SendCurrentCommand();
}

void CTVRBoardDoc::OnScriptStep() {
  m_pRunController->OnStep();
  SendCurrentCommand();
}

void CTVRBoardDoc::OnScriptLoop() {
  SetLoopMode(IsLoopMode() ? FALSE : TRUE);
  SetLoopCounter(0);
}

void CTVRBoardDoc::OnScriptRawdata() {
  m_eScriptType = SCRIPT_RAWDATA;
}
void CTVRBoardDoc::OnScriptCommands() {
  m_eScriptType = SCRIPT_COMMANDS;
}
void CTVRBoardDoc::OnScriptApdu() {
  m_eScriptType = SCRIPT_APDU;
}

void CTVRBoardDoc::OnDelayCmd() {
  CTVRDelayOptionsDlg dlg(m_DelayOptions);
  dlg.DoModal();
}

void CTVRBoardDoc::OnReaderSettings() {
  BOOL has = FALSE;
  if (!CTVRPluginGuard::Call(*this, CTVRPluginGuard::SETTINGS, [&] { has = HasSettings(); }) || !has) return;
  CTVRBoardSettingsDlg dlg(*this);
  dlg.DoModal();
}
