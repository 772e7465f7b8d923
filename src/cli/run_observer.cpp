#include "cli/run_observer.h"

#include <tavric/board_doc.h>
#include <tavric/trace_record.h>

#include "document/board_doc_private.h"
#include "document/run_end_hint.h"

void CTVRRunObserver::Restart() {
  m_lastExchange = Clock::now();
}

void CTVRRunObserver::OnUpdate(CTVRView*, tvr::LPARAM lHint, void* pHint) {
  if (lHint == HINT_TRACE_RECORD && pHint != nullptr) {
    ++m_nProgress;
    const int kind = static_cast<const CTVRTraceRecord*>(pHint)->m_nKind;
    if (kind == TRACE_SENT || kind == TRACE_RECEIVED) m_lastExchange = Clock::now();
    return;
  }
  auto* pDoc = dynamic_cast<CTVRBoardDoc*>(GetDocument());
  if (lHint == HINT_RUN_ENDED_EARLY && pHint != nullptr && m_nEarlyEnd == 0) {
    m_nEarlyEnd = *static_cast<const int*>(pHint);
    // Sent before the run is stopped: the mark is still on the statement.
    m_nEarlyEndLine = pDoc != nullptr ? CTVRBoardDocPrivate::Of(*pDoc).GetMarkedLine() + 1 : 0;
    return;
  }
  // The mark moves once per statement a run ends; a Stop moves it too, but
  // after the run is no longer running.
  if (lHint == HINT_NEXT_STATEMENT && pDoc != nullptr && pDoc->IsRunning()) ++m_nProgress;
}
