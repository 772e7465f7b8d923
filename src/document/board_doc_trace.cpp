// The document's side of the trace: every record is kept and handed to the
// views, which turn it into text (and carry out clear, keep and save).
#include <tavric/board_doc.h>

#include <tavric/trace_record.h>

#include "trace/trace_log.h"
#include "trace/trace_reloader.h"

void CTVRBoardDoc::NotifyMessage(const BYTE* data, DWORD count, int kind) {
  if (data == nullptr) count = 0;
  CTVRTraceRecord record = m_pTraceLog->Append(kind, data, count);
  UpdateAllViews(nullptr, HINT_TRACE_RECORD, &record);
}

void CTVRBoardDoc::NotifyMessageForReload(const std::string& text) {
  for (const auto& record : CTVRTraceReloader::Parse(text)) NotifyMessage(record.m_strData, record.m_nKind);
}

void CTVRBoardDoc::NotifyMessageToSwitchHexToChar(const std::string& text) {
  for (const auto& record : CTVRTraceReloader::ParseSwitchingHexToChar(text, m_bHexDisplay != FALSE))
    NotifyMessage(record.m_strData, record.m_nKind);
}

void CTVRBoardDoc::OnEditClearAll() {
  NotifyMessage(nullptr, 0, TRACE_CLEAR);
}
void CTVRBoardDoc::OnLogFileSave() {
  NotifyMessage(nullptr, 0, TRACE_SAVE_LOG);
}
void CTVRBoardDoc::OnLogFileSaveAs() {
  NotifyMessage(nullptr, 0, TRACE_SAVE_LOG_AS);
}
void CTVRBoardDoc::OnHexToASCII() {
  m_bHexDisplay = m_bHexDisplay ? FALSE : TRUE;
}
