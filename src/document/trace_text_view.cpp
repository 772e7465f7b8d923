#include "document/trace_text_view.h"

void CTVRTraceTextView::OnAppendText(const CTVRTraceRecord&, const std::string& text, tvr::COLORREF colour, bool) {
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

void CTVRTraceTextView::OnClearText() {
  m_strText.clear();
  m_runs.clear();
  if (m_onClear) m_onClear();
}
