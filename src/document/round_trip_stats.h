// The round-trip times of a run's answers, per script line (the first line of
// the statement that sent the frame), over all the rounds of a loop: each line
// costs one fixed-size histogram (time_histogram.h) however long the run, and
// an answer one look-up by its line number.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "document/time_histogram.h"

class CTVRRoundTripStats {
 public:
  // line: from 0, as the line store counts; a negative line is not counted.
  void Add(int line, std::int64_t ns) {
    if (line < 0) return;
    if (std::size_t(line) >= m_Lines.size()) m_Lines.resize(std::size_t(line) + 1);
    if (!m_Lines[std::size_t(line)]) m_Lines[std::size_t(line)] = std::make_unique<CTVRTimeHistogram>();
    m_Lines[std::size_t(line)]->Add(ns);
  }
  void Clear() { m_Lines.clear(); }
  bool IsEmpty() const { return GetLineCount() == 0; }
  // Lines with times.
  std::size_t GetLineCount() const {
    std::size_t n = 0;
    for (const auto& pLine : m_Lines) n += pLine ? 1 : 0;
    return n;
  }
  // The times of a line, or null when it has none.
  const CTVRTimeHistogram* GetLine(int line) const {
    return line >= 0 && std::size_t(line) < m_Lines.size() ? m_Lines[std::size_t(line)].get() : nullptr;
  }
  // One past the last line with times: lines are looked at from 0 up to it.
  int GetLineEnd() const { return int(m_Lines.size()); }

 private:
  std::vector<std::unique_ptr<CTVRTimeHistogram>> m_Lines;
};
