// Run control: the end of each statement, Stop, and the commands that start,
// step, loop and set the script type and the delay options.
#include <tavric/board_doc.h>

#include <tavric/messages.h>

#include "board_settings_dlg.h"
#include "delay_options_dlg.h"
#include "document/board_doc_private.h"
#include "document/plugin_guard.h"
#include "run_messages.h"

void CTVRBoardDocPrivate::EndCommand() {
  // A Stop, an error or the end of the script came first.
  if (!m_bRunning) return;

  GotoNextCommand();
  if (m_bStepMode) {
    m_bRunning = FALSE;
    return;
  }
  if (GetCurrentLine() < GetLineCount() && (GetLineState(GetCurrentLine()) & LINE_BREAKPOINT) != 0) {
    m_bRunning = FALSE;
    return;
  }

  if (m_nEndCommandDepth > 0) {
    // A directive that ended at once inside the statement that an outer
    // EndCommand started: going on here would recurse once per statement, and
    // a loop of directives would never give Stop a chance. The queue starts
    // the next statement after the outer handlers have returned.
    PostMessage(m_DummyWnd.GetSafeHwnd(), GetContinueRunMessage(), WPARAM(m_dwRunSerial), 0);
    return;
  }
  ++m_nEndCommandDepth;
  SendCurrentCommand();
  --m_nEndCommandDepth;
}

void CTVRBoardDocPrivate::OnContinueRun(WPARAM serial) {
  // Stop, or Stop and Start again, since it was posted: that run is over.
  if (!m_bRunning || serial != WPARAM(m_dwRunSerial)) return;
  ++m_nEndCommandDepth;
  SendCurrentCommand();
  --m_nEndCommandDepth;
}

void CTVRBoardDoc::OnScriptStop() {
  ++d->m_dwRunSerial;
  d->m_bRunning = FALSE;
  d->m_bWaitAnswer = FALSE;
  // A statement sent and not yet answered counts as done: the mark moves past it.
  d->GotoNextCommand();
}

void CTVRBoardDocPrivate::OnScriptStart() {
  ++m_dwRunSerial;
  m_bStepMode = FALSE;
  SendCurrentCommand();
}

void CTVRBoardDocPrivate::OnScriptStep() {
  ++m_dwRunSerial;
  m_bStepMode = TRUE;
  SendCurrentCommand();
}

void CTVRBoardDocPrivate::OnScriptLoop() {
  m_bLoopMode = m_bLoopMode ? FALSE : TRUE;
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
