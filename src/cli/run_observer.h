// Watches a run from the document's side, as a view: counts the statements
// the run completes, ends the run cleanly when a statement bound is reached,
// remembers when the reader last exchanged a frame, and why the run ended
// early if it did.
#pragma once

#include <chrono>

#include <tavric/document.h>

class CTVRBoardDoc;

class CTVRRunObserver : public CTVRView {
 public:
  using Clock = std::chrono::steady_clock;

  explicit CTVRRunObserver(long long nMaxStatements) : m_nMaxStatements(nMaxStatements) {}

  void OnUpdate(CTVRView* pSender, tvr::LPARAM lHint, void* pHint) override;

  // From the start of the run on.
  void Restart();

  long long GetStatementCount() const { return m_nStatements; }
  bool IsBoundReached() const { return m_bBoundReached; }
  // Changes whenever a statement ends or a trace record arrives.
  unsigned long long GetProgress() const { return m_nProgress; }
  Clock::time_point GetLastExchange() const { return m_lastExchange; }
  // The first ERunEndCause the document reported (0: none), and the line of
  // the statement that was running then.
  int GetEarlyEnd() const { return m_nEarlyEnd; }
  int GetEarlyEndLine() const { return m_nEarlyEndLine; }

 private:
  long long m_nMaxStatements;  // 0: none
  long long m_nStatements = 0;
  bool m_bBoundReached = false;
  unsigned long long m_nProgress = 0;
  Clock::time_point m_lastExchange = Clock::now();
  int m_nEarlyEnd = 0;
  int m_nEarlyEndLine = 0;
};
