#include "trace/trace_text_view.h"

#include <cstdio>

#include <tavric/board_doc.h>
#include <tavric/prompts.h>

#include "platform/user_prompts.h"
#include "trace/trace_formatter.h"

void CTVRTraceTextView::OnUpdate(CTVRView*, tvr::LPARAM lHint, void* pHint) {
  if (!(lHint & HINT_TRACE_RECORD) || !pHint) return;
  AppendRecord(*static_cast<const CTVRTraceRecord*>(pHint));
}

CTVRBoardDoc* CTVRTraceTextView::GetBoardDoc() const {
  return dynamic_cast<CTVRBoardDoc*>(GetDocument());
}

void CTVRTraceTextView::AppendRecord(const CTVRTraceRecord& record) {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  bool hexDisplay = pDoc ? pDoc->m_bHexDisplay != FALSE : true;
  tvr::COLORREF colour = CTVRTraceFormatter::COLOUR_TEXT;
  m_strPiece.clear();
  switch (CTVRTraceFormatter::Format(record, hexDisplay, m_strPiece, colour)) {
    case CTVRTraceFormatter::ACTION_APPEND:
      Append(m_strPiece, colour);
      break;
    case CTVRTraceFormatter::ACTION_CLEAR:
      m_strText.clear();
      m_runs.clear();
      if (m_onClear) m_onClear();
      break;
    case CTVRTraceFormatter::ACTION_KEEP:
      if (pDoc) pDoc->m_strKeptTrace = m_strText;
      break;
    case CTVRTraceFormatter::ACTION_SAVE:
      SaveLog(GetDefaultLogFileName());
      break;
    case CTVRTraceFormatter::ACTION_SAVE_AS: {
      std::string chosen;
      if (CTVRUserPrompts::Get().AskSaveFileName(".log", GetDefaultLogFileName(), LOG_FILTER, chosen)) SaveLog(chosen);
      break;
    }
    case CTVRTraceFormatter::ACTION_NONE:
      break;
  }
}

void CTVRTraceTextView::Append(const std::string& text, tvr::COLORREF colour) {
  if (text.empty()) return;
  if (!m_bKeepText) {
    if (m_onAppend) m_onAppend(text, colour);
    return;
  }
  if (!m_runs.empty() && m_runs.back().m_crColour == colour)
    m_runs.back().m_nLength += text.size();
  else
    m_runs.push_back(ColourRun{m_strText.size(), text.size(), colour});
  m_strText += text;
  if (m_onAppend) m_onAppend(text, colour);
}

std::string CTVRTraceTextView::GetLogFileName(const std::string& scriptPath) {
  std::string name = scriptPath;
  std::size_t dot = name.find('.');
  if (dot != std::string::npos) name.erase(dot, 4);
  return name + ".log";
}

std::string CTVRTraceTextView::GetDefaultLogFileName() const {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  // A document that never had a script path is a new script: "noname".
  std::string path = pDoc && !pDoc->m_strScriptPath.empty() ? pDoc->m_strScriptPath : std::string("noname");
  return GetLogFileName(path);
}

tvr::BOOL CTVRTraceTextView::SaveLog(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  bool ok = file != nullptr;
  if (file) {
    ok = std::fwrite(m_strText.data(), 1, m_strText.size(), file) == m_strText.size();
    ok = std::fclose(file) == 0 && ok;
  }
  if (!ok) {
    TVRMessageBox("The log file \"" + path + "\" could not be created !");
    return FALSE;
  }
  return TRUE;
}
