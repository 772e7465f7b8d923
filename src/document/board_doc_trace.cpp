// The document's side of the trace: every record is kept and handed to the
// views, which turn it into text (and carry out clear, keep and save).
#include <tavric/board_doc.h>

#include <tavric/trace_record.h>

#include "document/board_doc_private.h"
#include "trace/trace_log.h"
#include "trace/trace_reloader.h"

void CTVRBoardDocPrivate::NotifyMessage(const BYTE* data, DWORD count, int kind) {
  if (data == nullptr) count = 0;
  if (kind == TRACE_RECEIVED && m_nAnswerTime != CTVRTraceLog::NO_TIME) {
    // The bytes of a timed answer: the record keeps the time, and the views
    // read it, as kept, while they are told of the record.
    CTVRTraceRecord record = m_pTraceLog->Append(kind, data, count, m_nAnswerTime);
    m_nNotifiedTime = CTVRTraceLog::KeptTime(m_nAnswerTime);
    TellViews(m_Doc, HINT_TRACE_RECORD, &record);
    m_nNotifiedTime = CTVRTraceLog::NO_TIME;
    return;
  }
  CTVRTraceRecord record = m_pTraceLog->Append(kind, data, count);
  TellViews(m_Doc, HINT_TRACE_RECORD, &record);
}

void CTVRBoardDocPrivate::NotifyJoined(const BYTE* first, DWORD firstCount, const BYTE* second, DWORD secondCount,
                                       int kind) {
  CTVRTraceRecord record = m_pTraceLog->AppendJoined(kind, first, firstCount, second, secondCount);
  TellViews(m_Doc, HINT_TRACE_RECORD, &record);
}

void CTVRBoardDocPrivate::NotifyMessageForReload(const std::string& text) {
  for (const auto& record : CTVRTraceReloader::Parse(text)) NotifyMessage(record.m_strData, record.m_nKind);
}

void CTVRBoardDocPrivate::NotifyMessageToSwitchHexToChar(const std::string& text) {
  for (const auto& record : CTVRTraceReloader::ParseSwitchingHexToChar(text, m_bHexDisplay != FALSE))
    NotifyMessage(record.m_strData, record.m_nKind);
}

void CTVRBoardDocPrivate::OnEditClearAll() {
  NotifyMessage(nullptr, 0, TRACE_CLEAR);
}
void CTVRBoardDocPrivate::OnLogFileSave() {
  NotifyMessage(nullptr, 0, TRACE_SAVE_LOG);
}
void CTVRBoardDocPrivate::OnLogFileSaveAs() {
  NotifyMessage(nullptr, 0, TRACE_SAVE_LOG_AS);
}
void CTVRBoardDocPrivate::OnHexToASCII() {
  m_bHexDisplay = m_bHexDisplay ? FALSE : TRUE;
}
