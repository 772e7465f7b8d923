// `tavric-run --compare GOLDEN.log`: the run's trace (the trace view's text
// since the last clear, as a log holds it) compared with a saved log, at the
// end of the run. Logs of `.save` and of `--save-log` are the same text (CR LF
// line ends); a log saved with the time column compares with a run without
// it, and the other way round.
//
// The comparer is reachable before the comparison (GetComparer), for what a
// run knows may differ: expected-answer patterns add their masks there, by
// the trace line of the answer they check.
#pragma once

#include <string>

#include "trace/trace_comparer.h"

class CTVRTraceSpool;

class CTVRGoldenCompare {
 public:
  explicit CTVRGoldenCompare(std::string path) : m_strPath(std::move(path)) {}

  // The golden log is a regular file that can be read; otherwise false with the reason.
  bool Check(std::string& error) const;
  CTVRTraceComparer& GetComparer() { return m_Comparer; }
  // Compares; true when the trace agrees with the golden log. `report` gets
  // the first differences (or why the comparison could not be made).
  bool Compare(CTVRTraceSpool& trace, std::string& report);

 private:
  std::string m_strPath;
  CTVRTraceComparer m_Comparer;
};
