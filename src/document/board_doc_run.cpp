// Run control: the end of each statement, Stop, and the commands that start,
// step, loop and set the script type and the delay options.
#include <tavric/board_doc.h>

#include <tavric/messages.h>

#include "board_settings_dlg.h"
#include "delay_options_dlg.h"
#include "document/board_doc_private.h"
#include "document/doc_expectations.h"
#include "document/interpreter.h"
#include "document/plugin_guard.h"
#include "document/run_controller.h"
#include "run_messages.h"

// The run's modes, kept by the run controller.
BOOL CTVRBoardDocPrivate::IsStepMode() const {
  return m_pRunController->IsStepMode();
}
void CTVRBoardDocPrivate::SetStepMode(BOOL step) {
  m_pRunController->SetStepMode(step);
}
BOOL CTVRBoardDocPrivate::IsLoopMode() const {
  return m_pRunController->IsLoopMode();
}
void CTVRBoardDocPrivate::SetLoopMode(BOOL loop) {
  m_pRunController->SetLoopMode(loop);
}
BYTE CTVRBoardDocPrivate::GetExpectedOpcode() const {
  return m_pRunController->GetExpectedOpcode();
}
void CTVRBoardDocPrivate::SetExpectedOpcode(BYTE opcode) {
  m_pRunController->SetExpectedOpcode(opcode);
}

// The usual case of the expectations after a statement: a row of them, each
// one met, nothing that watches them one by one (a statement bound, a report
// of every check, a bound on a round trip the run does not time): counted at
// once. False, with nothing counted, when they are checked one at a time.
// Inside the statement's end: a call of its own cost a tenth of the checks.
[[gnu::always_inline]] inline bool CTVRBoardDocPrivate::CheckExpectationsAllMet() {
  const CTVRInterpreter::CExpectationRow* const row = m_pInterpreter->ExpectationsAhead();
  CTVRRunController& run = *m_pRunController;
  if (row == nullptr || run.HasStatementBound() || m_onExpectation || (row->m_bBoundsTime && !run.IsTimingAnswers()))
    return false;
  const CTVRAnswerSeen& seen = run.GetAnswerSeen();
  for (const CTVRExpectation* const expectation : row->m_Expectations)
    if (!expectation->IsMetBy(seen)) return false;
  run.GetVerdicts().OnMet(row->m_Expectations.size());
  m_pInterpreter->PassExpectationsAhead();
  return true;
}

void CTVRBoardDocPrivate::EndCommand() {
  CTVRRunController& run = *m_pRunController;
  // A Stop, an error or the end of the script came first.
  if (!run.IsRunning()) return;
  // A step ends at each statement, expectations included.
  if (run.IsTakingAnswers() && !run.IsStepMode()) {
    // The views hear once of the counts of all the expectations checked here.
    if (CheckExpectationsAllMet()) {
      m_Doc.UpdateAllViews(nullptr, HINT_VERDICT, nullptr);
    } else {
      const unsigned long long checked = run.GetVerdicts().GetCount();
      m_pInterpreter->CheckExpectationsAhead();
      if (run.GetVerdicts().GetCount() != checked) m_Doc.UpdateAllViews(nullptr, HINT_VERDICT, nullptr);
    }
    if (!run.IsRunning()) return;
  }

  GotoNextCommand();
  const int line = GetCurrentLine();
  switch (run.OnStatementEnded(line >= 0 && line < GetLineCount() && m_pLineStore->HasBreakpoint(line))) {
    case CTVRRunController::NEXT_NONE:
      return;
    case CTVRRunController::NEXT_QUEUED:
      // A directive that ended at once inside the statement that an outer
      // EndCommand started: going on here would recurse once per statement.
      // The loop of RunStatements takes it up when it has the budget; past
      // that, the queue starts the next statement after the outer handlers
      // have returned, so that a loop of directives gives Stop its chance.
      if (run.QueueInline()) return;
      PostMessage(m_DummyWnd.GetSafeHwnd(), GetContinueRunMessage(), WPARAM(run.GetRunSerial()), 0);
      return;
    case CTVRRunController::NEXT_NOW:
      break;
  }
  RunStatements();
}

void CTVRBoardDocPrivate::RunStatements() {
  CTVRRunController& run = *m_pRunController;
  run.OpenInlineRun();
  do {
    run.EnterNextStatement();
    SendCurrentCommand();
    run.LeaveNextStatement();
  } while (run.TakeInline());
  run.CloseInlineRun();
}

void CTVRBoardDocPrivate::OnContinueRun(WPARAM serial) {
  // Stop, or Stop and Start again, since it was posted: that run is over.
  if (!m_pRunController->AcceptsContinuation(DWORD(serial))) return;
  RunStatements();
}

void CTVRBoardDoc::OnScriptStop() {
  d->m_pRunController->OnStop();
  // A statement sent and not yet answered counts as done: the mark moves past it.
  d->GotoNextCommand();
}

void CTVRBoardDocPrivate::OnScriptStart() {
  m_pRunController->OnStart();
  CTVRDocExpectations::OnRunStarted(m_Doc);
  SendCurrentCommand();
}

void CTVRBoardDocPrivate::OnScriptStep() {
  m_pRunController->OnStep();
  CTVRDocExpectations::OnRunStarted(m_Doc);
  SendCurrentCommand();
}

void CTVRBoardDocPrivate::OnScriptLoop() {
  SetLoopMode(IsLoopMode() ? FALSE : TRUE);
  SetLoopCounter(0);
}

void CTVRBoardDocPrivate::OnScriptRawdata() {
  m_eScriptType = SCRIPT_RAWDATA;
}
void CTVRBoardDocPrivate::OnScriptCommands() {
  m_eScriptType = SCRIPT_COMMANDS;
}
void CTVRBoardDocPrivate::OnScriptApdu() {
  m_eScriptType = SCRIPT_APDU;
}

void CTVRBoardDocPrivate::OnDelayCmd() {
  CTVRDelayOptionsDlg dlg(m_DelayOptions);
  dlg.DoModal();
}

void CTVRBoardDocPrivate::OnReaderSettings() {
  BOOL has = FALSE;
  if (!CTVRPluginGuard::Call(m_Doc, CTVRPluginGuard::SETTINGS, [&] { has = m_Doc.HasSettings(); }) || !has) return;
  CTVRBoardSettingsDlg dlg(m_Doc);
  dlg.DoModal();
}
