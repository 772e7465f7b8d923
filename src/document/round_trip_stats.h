// The round-trip times of a run's answers, per script line (the first line of
// the statement that sent the frame), over all the rounds of a loop: each line
// costs one fixed-size histogram (time_histogram.h) however long the run.
#pragma once

#include <cstdint>
#include <map>

#include "document/time_histogram.h"

class CTVRRoundTripStats {
 public:
  // line: from 0, as the line store counts.
  void Add(int line, std::int64_t ns) { m_Lines[line].Add(ns); }
  void Clear() { m_Lines.clear(); }
  bool IsEmpty() const { return m_Lines.empty(); }
  // By line, first line first.
  const std::map<int, CTVRTimeHistogram>& GetLines() const { return m_Lines; }

 private:
  std::map<int, CTVRTimeHistogram> m_Lines;
};
