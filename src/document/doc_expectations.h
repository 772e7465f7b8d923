// The expectations of a reader document's script: the check of the answer
// each one reads (the run controller takes it as the answer decoder finishes
// with a statement's answer), the count, the mismatch record, and what a
// mismatch does to the run. The state lives with the run controller; this is
// the document's side of it.
#pragma once

class CTVRBoardDoc;
class CTVRExpectation;

class CTVRDocExpectations {
 public:
  // Start and Step: the run takes and times answers when the script names an
  // expectation (".expect" anywhere, any letter case).
  static void OnRunStarted(CTVRBoardDoc& doc);
  // Checks the answer seen against the expectation on `line` (from 0): counts
  // it, traces a mismatch and does what the run's .on_mismatch says. True
  // when the run goes on at once. The views hear of the count at once, or,
  // for the expectations checked with their statement, once for all of them
  // (`tellViews` false: the run's end of the statement tells them).
  static bool Check(CTVRBoardDoc& doc, const CTVRExpectation& expectation, int line, bool tellViews = true);

 private:
  // Check's failed case: the record, the count, and the run paused or stopped.
  static bool OnMismatch(CTVRBoardDoc& doc, const CTVRExpectation& expectation, int line, bool tellViews);
};
