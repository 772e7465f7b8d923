// Watches a run from the document's side, as a view: notes its progress
// (statements ended, trace records), when the reader last exchanged a frame,
// and why the run ended early if it did. (The statement bound is the run
// controller's.)
#pragma once

#include <chrono>

#include <tavric/document.h>

class CTVRBoardDoc;

class CTVRRunObserver : public CTVRView {
 public:
  using Clock = std::chrono::steady_clock;

  void OnUpdate(CTVRView* pSender, tvr::LPARAM lHint, void* pHint) override;

  // From the start of the run on.
  void Restart();

  // Changes whenever a statement ends or a trace record arrives.
  unsigned long long GetProgress() const { return m_nProgress; }
  Clock::time_point GetLastExchange() const { return m_lastExchange; }
  // The first ERunEndCause the document reported (0: none), and the line of
  // the statement that was running then.
  int GetEarlyEnd() const { return m_nEarlyEnd; }
  int GetEarlyEndLine() const { return m_nEarlyEndLine; }

 private:
  unsigned long long m_nProgress = 0;
  Clock::time_point m_lastExchange = Clock::now();
  int m_nEarlyEnd = 0;
  int m_nEarlyEndLine = 0;
};
