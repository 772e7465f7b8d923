// What the script line store needs of the document that holds it: where its
// changes are announced, and the run flags its scan reads and ends.
#pragma once

#include <tavric/types.h>

class CTVRLineStoreOwner {
 public:
  virtual ~CTVRLineStoreOwner() = default;

  // A line was set, inserted or removed: the script has been edited.
  virtual void OnLinesEdited() = 0;
  // A line's state word was set (the editor redraws that line).
  virtual void OnLineStateSet(int line) = 0;
  // The scan has placed the next-statement mark.
  virtual void OnNextStatementMoved() = 0;

  virtual tvr::BOOL IsRunning() const = 0;
  virtual tvr::BOOL IsStepMode() const = 0;
  virtual tvr::BOOL IsLoopMode() const = 0;
  // The run went past the last line without loop mode: it stops, and the
  // next Start behaves as a step would have left it.
  virtual void OnScriptEnded() = 0;
};
