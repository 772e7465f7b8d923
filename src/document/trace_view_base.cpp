#include "document/trace_view_base.h"

#include <tavric/board_doc.h>
#include <tavric/prompts.h>

#include "contract/host_context.h"
#include "document/board_doc_private.h"
#include "platform/file_writer.h"
#include "platform/user_prompts.h"
#include "trace/trace_formatter.h"
#include "trace/trace_spool.h"

void CTVRTraceViewBase::OnUpdate(CTVRView*, tvr::LPARAM lHint, void* pHint) {
  if (!(lHint & HINT_TRACE_RECORD) || !pHint) return;
  AppendRecord(*static_cast<const CTVRTraceRecord*>(pHint));
}

CTVRBoardDoc* CTVRTraceViewBase::GetBoardDoc() const {
  return dynamic_cast<CTVRBoardDoc*>(GetDocument());
}

void CTVRTraceViewBase::AppendRecord(const CTVRTraceRecord& record) {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  AppendRecord(record, pDoc ? CTVRBoardDocPrivate::Of(*pDoc).GetNotifiedTime() : -1);
}

void CTVRTraceViewBase::AppendRecord(const CTVRTraceRecord& record, std::int64_t roundTripNs) {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  bool hexDisplay = pDoc ? CTVRBoardDocPrivate::Of(*pDoc).IsHexDisplay() != FALSE : true;
  tvr::COLORREF colour = CTVRTraceFormatter::COLOUR_TEXT;
  m_strPiece.clear();
  switch (CTVRTraceFormatter::Format(record, hexDisplay, m_strPiece, colour, m_bTiming ? roundTripNs : -1)) {
    case CTVRTraceFormatter::ACTION_APPEND:
      if (m_pSpool) m_pSpool->Append(m_strPiece);
      OnAppendText(record, m_strPiece, colour, hexDisplay);
      break;
    case CTVRTraceFormatter::ACTION_CLEAR:
      if (m_pSpool) m_pSpool->Clear();
      OnClearText();
      break;
    case CTVRTraceFormatter::ACTION_KEEP:
      if (pDoc) CTVRBoardDocPrivate::Of(*pDoc).SetKeptTrace(GetWholeText());
      break;
    case CTVRTraceFormatter::ACTION_SAVE:
      SaveLog(GetDefaultLogFileName());
      break;
    case CTVRTraceFormatter::ACTION_SAVE_AS: {
      std::string chosen;
      if (pDoc != nullptr && CTVRBoardDocPrivate::Of(*pDoc).GetHostContext()->Prompts().AskSaveFileName(
                                 ".log", GetDefaultLogFileName(), LOG_FILTER, chosen))
        SaveLog(chosen);
      break;
    }
    case CTVRTraceFormatter::ACTION_NONE:
      break;
  }
}

std::string CTVRTraceViewBase::GetLogFileName(const std::string& scriptPath) {
  std::string name = scriptPath;
  std::size_t dot = name.find('.');
  if (dot != std::string::npos) name.erase(dot, 4);
  return name + ".log";
}

std::string CTVRTraceViewBase::GetDefaultLogFileName() const {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  // A document that never had a script path is a new script: "noname".
  std::string path = pDoc && !CTVRBoardDocPrivate::Of(*pDoc).GetScriptPath().empty()
                         ? CTVRBoardDocPrivate::Of(*pDoc).GetScriptPath()
                         : std::string("noname");
  return GetLogFileName(path);
}

tvr::BOOL CTVRTraceViewBase::SaveLog(const std::string& path) {
  bool ok;
  if (m_pSpool) {
    ok = m_pSpool->SaveTo(path);
  } else {
    // Replaced only by a complete log: a full disk leaves the earlier one.
    ok = CTVRFileWriter::WriteAll(path, GetWholeText());
  }
  if (!ok) {
    TVRMessageBox("The log file \"" + path + "\" could not be created !");
    return FALSE;
  }
  return TRUE;
}
