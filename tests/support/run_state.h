// Puts a document's run where a test needs it, through the run controller's
// own transitions: a statement under way (running), a frame awaiting its
// answer (waiting, which is running too), or neither. The command type stays.
#pragma once

#include <tavric/board_doc.h>

#include "document/board_doc_private.h"
#include "document/run_controller.h"

namespace tvr_test {

inline void SetRun(CTVRBoardDoc& doc, bool running, bool waiting = false) {
  CTVRRunController& run = CTVRBoardDocPrivate::Of(doc).GetRunController();
  const tvr::DWORD kind = run.GetCommandType();
  run.OnRunEnded();
  if (running || waiting) run.OnStatementStarted();
  if (waiting) run.OnAnswerAwaited();
  run.OnCommandType(kind);
}

}  // namespace tvr_test
