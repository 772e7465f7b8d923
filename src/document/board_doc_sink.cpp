#include "document/board_doc_sink.h"

#include <tavric/board_doc.h>
#include <tavric/messages.h>
#include <tavric/protocol.h>

#include "contract/host_context.h"
#include "decode/protocol_family.h"
#include "document/board_doc_private.h"
#include "document/doc_expectations.h"
#include "document/line_store.h"
#include "document/plugin_guard.h"
#include "document/run_controller.h"

void CTVRBoardDocSink::OnLinesEdited() {
  m_Doc.SetModifiedFlag(TRUE);
}

void CTVRBoardDocSink::OnLineStateSet(int line) {
  TellViews(m_Doc, HINT_LINE_STATE, &line);
}

void CTVRBoardDocSink::OnNextStatementMoved() {
  CTVRBoardDocPrivate::Of(m_Doc).GetRunController().OnMarkMoved();
  TellViews(m_Doc, HINT_NEXT_STATEMENT, nullptr);
}

tvr::BOOL CTVRBoardDocSink::IsRunning() const {
  return CTVRBoardDocPrivate::Of(m_Doc).GetRunController().IsRunning();
}

tvr::BOOL CTVRBoardDocSink::IsStepMode() const {
  return CTVRBoardDocPrivate::Of(m_Doc).GetRunController().IsStepMode();
}

tvr::BOOL CTVRBoardDocSink::IsLoopMode() const {
  return CTVRBoardDocPrivate::Of(m_Doc).GetRunController().IsLoopMode();
}

void CTVRBoardDocSink::OnScriptEnded() {
  // Parked on the last statement: Start runs it again, as after a step.
  CTVRBoardDocPrivate::Of(m_Doc).GetRunController().OnScriptEnded();
}

void CTVRBoardDocSink::SetTraceOn(tvr::BOOL on) {
  CTVRBoardDocPrivate::Of(m_Doc).GetRunController().SetTraceOn(on);
}

void CTVRBoardDocSink::SetGetResponse(tvr::BOOL on) {
  CTVRBoardDocPrivate::Of(m_Doc).m_bGetResponse = on;
}

void CTVRBoardDocSink::SetLoopMode(tvr::BOOL on) {
  CTVRBoardDocPrivate::Of(m_Doc).GetRunController().SetLoopMode(on);
}

void CTVRBoardDocSink::SetScriptType(EScriptType type) {
  CTVRBoardDocPrivate::Of(m_Doc).m_eScriptType = type;
}

CTVRDelayOptions& CTVRBoardDocSink::GetDelayOptions() {
  return CTVRBoardDocPrivate::Of(m_Doc).m_DelayOptions;
}

std::string CTVRBoardDocSink::GetScriptPath() const {
  return CTVRBoardDocPrivate::Of(m_Doc).GetScriptPath();
}

void CTVRBoardDocSink::OnStatementStarted() {
  // Some protocols frame nothing: their scripts are always raw data.
  const CTVRProtocol* pProtocol = CTVRBoardDocPrivate::Of(m_Doc).m_pProtocol;
  if (pProtocol != nullptr && CTVRProtocolFamily::ForProtocol(*pProtocol).IsRawDataOnly())
    CTVRBoardDocPrivate::Of(m_Doc).m_eScriptType = SCRIPT_RAWDATA;
  CTVRBoardDocPrivate::Of(m_Doc).GetRunController().OnStatementStarted();
}

void CTVRBoardDocSink::OnRunEnded() {
  CTVRBoardDocPrivate::Of(m_Doc).GetRunController().OnRunEnded();
}

void CTVRBoardDocSink::NotifyMessage(const tvr::BYTE* data, tvr::DWORD count, int kind) {
  CTVRBoardDocPrivate::Of(m_Doc).NotifyMessage(data, count, kind);
}

tvr::BOOL CTVRBoardDocSink::SendData(tvr::BYTE* bytes, tvr::DWORD count, EScriptType type) {
  return CTVRBoardDocPrivate::Of(m_Doc).SendData(bytes, count, type);
}

void CTVRBoardDocSink::SendOneOffCommand(tvr::BYTE* bytes, tvr::DWORD count) {
  // Through the messages, as every host tool sends: the active document may
  // be another one, and the synchronous send lets the bytes go after the call.
  SendMessage(GetActiveBoard(), WM_COMMAND_TYPE, 1, 0);
  SendMessage(GetActiveBoard(), WM_SEND_COMMAND, tvr::WPARAM(bytes), tvr::LPARAM(count));
}

void CTVRBoardDocSink::Config(tvr::BYTE code, tvr::BYTE code1, tvr::BYTE* data, tvr::DWORD length) {
  CTVRBoardDocPrivate::Of(m_Doc).GetRunController().OnFrameHandedOver();
  CTVRPluginGuard::Call(m_Doc, CTVRPluginGuard::CONFIG, [&] { m_Doc.Config(code, code1, data, length); });
}

void CTVRBoardDocSink::Write(tvr::BYTE* data, tvr::DWORD length) {
  CTVRBoardDocPrivate::Of(m_Doc).GetRunController().OnFrameHandedOver();
  CTVRPluginGuard::Call(m_Doc, CTVRPluginGuard::WRITE, [&] { m_Doc.Write(data, length); });
}

void CTVRBoardDocSink::Read(tvr::DWORD count) {
  CTVRBoardDocPrivate::Of(m_Doc).GetRunController().OnFrameHandedOver();
  CTVRPluginGuard::Call(m_Doc, CTVRPluginGuard::READ, [&] { m_Doc.Read(count); });
}

void CTVRBoardDocSink::Escape(tvr::DWORD code, tvr::BYTE* data, tvr::DWORD length) {
  CTVRBoardDocPrivate::Of(m_Doc).GetRunController().OnFrameHandedOver();
  CTVRPluginGuard::Call(m_Doc, CTVRPluginGuard::ESCAPE, [&] { m_Doc.Escape(code, data, length); });
}

void CTVRBoardDocSink::SaveLog() {
  CTVRBoardDocPrivate::Of(m_Doc).OnLogFileSave();
}

void CTVRBoardDocSink::CheckExpectation(const CTVRExpectation& expectation, int line) {
  CTVRDocExpectations::Check(m_Doc, expectation, line);
}

bool CTVRBoardDocSink::CheckExpectationAhead(const CTVRExpectation& expectation, int line, int nextLine) {
  CTVRBoardDocPrivate& d = CTVRBoardDocPrivate::Of(m_Doc);
  CTVRRunController& run = d.GetRunController();
  if (!run.CountStatementEnd() || !run.IsRunning() || run.IsStepMode()) return false;
  // Past it before the check: a mismatch that stops the run leaves the mark after it.
  d.GetLineStore().SetCurrentLine(nextLine);
  return CTVRDocExpectations::Check(m_Doc, expectation, line, false);
}

void CTVRBoardDocSink::SetMismatchAction(ETVRMismatchAction action) {
  CTVRBoardDocPrivate::Of(m_Doc).GetRunController().GetVerdicts().SetAction(action);
}

void CTVRBoardDocSink::EndCommand() {
  CTVRBoardDocPrivate::Of(m_Doc).EndCommand();
}

tvr::BOOL CTVRBoardDocSink::IsWaitingAnswer() const {
  return CTVRBoardDocPrivate::Of(m_Doc).GetRunController().IsWaitingAnswer();
}

tvr::DWORD CTVRBoardDocSink::GetCommandType() const {
  return CTVRBoardDocPrivate::Of(m_Doc).GetRunController().GetCommandType();
}

tvr::BOOL CTVRBoardDocSink::IsBeepOnError() const {
  return CTVRBoardDocPrivate::Of(m_Doc).m_bBeepOnError;
}

tvr::BOOL CTVRBoardDocSink::IsEscapeAnswerExpected() const {
  return CTVRBoardDocPrivate::Of(m_Doc).IsEscapeAnswerExpected();
}

void CTVRBoardDocSink::SetEscapeAnswerExpected(tvr::BOOL expected) {
  CTVRBoardDocPrivate::Of(m_Doc).SetEscapeAnswerExpected(expected);
}

CTVRCardSlots& CTVRBoardDocSink::GetCardSlots() {
  return CTVRBoardDocPrivate::Of(m_Doc).GetHostContext()->Host().GetCardSlots();
}

void CTVRBoardDocSink::NotifyJoined(const tvr::BYTE* first, tvr::DWORD firstCount, const tvr::BYTE* second,
                                    tvr::DWORD secondCount, int kind) {
  CTVRBoardDocPrivate::Of(m_Doc).NotifyJoined(first, firstCount, second, secondCount, kind);
}

void CTVRBoardDocSink::UpdateExtent() {
  TellViews(m_Doc, HINT_EXTENT, nullptr);
}

void CTVRBoardDocSink::OnAnswerSeen(const CTVRAnswerFrame& answer, bool error, bool statusWord) {
  CTVRBoardDocPrivate& d = CTVRBoardDocPrivate::Of(m_Doc);
  CTVRRunController& run = d.GetRunController();
  if (run.IsTakingAnswers() && run.GetCommandType() == 0)
    run.GetAnswerSeen().Take(answer.GetBytes(), answer.GetLength(), answer.GetCheckLength(), error, statusWord,
                             run.RoundTripMs(d.m_nAnswerTime));
}
