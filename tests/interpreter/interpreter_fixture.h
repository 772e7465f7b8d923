// What the interpreter tests share: a document with the test board and
// protocol, and readers of the board's calls and of the trace.
#pragma once

#include <string>
#include <vector>

#include <tavric/trace_record.h>

#include "doc_fixture.h"
#include "document/board_doc_private.h"
#include "trace/trace_log.h"
#include "trace_reader.h"

using ByteVec = std::vector<BYTE>;
using Strings = std::vector<std::string>;

class InterpreterTest : public CTVRDocFixture {
 protected:
  // Loads the script and executes its first statement as the Step command
  // does: a directive that completes at once ends the step (running FALSE,
  // mark on the next statement); one that waits for an answer leaves the
  // run running with the mark where it was.
  int Step(const Strings& lines) {
    SetScript(lines);
    CTVRBoardDocPrivate::Of(*m_pDoc).SetStepMode(TRUE);
    return CTVRBoardDocPrivate::Of(*m_pDoc).SendCurrentCommand();
  }

  // A free run from the first statement, until the queue is idle.
  void Run(const Strings& lines) {
    SetScript(lines);
    CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStart();
    RunQueue();
  }

  std::vector<int> Kinds() const { return tvr_test::TraceKinds(*m_pDoc); }

  // The records of one kind, as text.
  Strings Records(int kind) const { return tvr_test::TraceTexts(*m_pDoc, kind); }

  Strings& Messages() { return m_Prompts.m_Messages; }
};
