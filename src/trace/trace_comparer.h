// Compares a run's trace with a saved log (a golden trace), line by line, at a
// flat memory cost however long the two texts are: the lines that differ are
// found by looking ahead at most WINDOW lines on each side for the next two
// lines that agree, so a changed, a missing and an extra line each make one
// difference and the lines after them line up again.
//
// What varies by nature is not a difference: the date of ".info"
// ("> Mon Dec  7 00:10:14 2026"), the clock values and the duration of
// ".display_duration", and the time column (the round-trip time in the first
// line of an answer's bytes, on either side). More masks can be added: the
// hook for answers whose bytes an expected-answer pattern leaves open, where
// the run knows, by its line number, which characters of a line may differ.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "trace/text_line_reader.h"

class CTVRTraceComparer {
 public:
  static constexpr std::size_t WINDOW = 64;

  // Whether a golden line and a run line (numbered from 1 in the run's text)
  // agree although their characters differ.
  using Mask = std::function<bool(std::string_view golden, std::string_view run, std::uint64_t runLine)>;

  // A stretch of lines that differ: golden lines from m_nGoldenLine (from 1)
  // on, m_nGoldenCount of them, stand where the run has m_nRunCount lines from
  // m_nRunLine on. A count of 0 is a line missing on that side (its line
  // number is where it would be). The first lines of each side are kept.
  struct CDifference {
    std::uint64_t m_nGoldenLine = 0;
    std::uint64_t m_nGoldenCount = 0;
    std::uint64_t m_nRunLine = 0;
    std::uint64_t m_nRunCount = 0;
    std::vector<std::string> m_GoldenLines;
    std::vector<std::string> m_RunLines;
    // No two agreeing lines within the window: the rest of both texts is one difference.
    bool m_bUnaligned = false;
  };

  // Lines of a difference kept for the report, on each side.
  static constexpr std::size_t SHOWN_LINES = 4;

  void AddMask(Mask mask) { m_Masks.push_back(std::move(mask)); }

  // Compares to the end of both texts; keeps the first `keep` differences and
  // counts them all. True when the texts agree.
  bool Compare(CTVRTextLineReader& golden, CTVRTextLineReader& run, std::size_t keep = 10);
  const std::vector<CDifference>& GetDifferences() const { return m_Differences; }
  std::uint64_t GetDifferenceCount() const { return m_nDifferenceCount; }

  // The masks every comparison has.
  static bool IsInfoDatePair(std::string_view golden, std::string_view run);
  static bool IsDurationPair(std::string_view golden, std::string_view run);
  // Equal once the time column is taken out of either line.
  static bool IsTimeColumnPair(std::string_view golden, std::string_view run);

  // The differences as a report for people, the golden log named as given:
  //   golden.log:12, trace line 14: changed
  //     - <golden line>
  //     + <run line>
  std::string Report(const std::string& goldenName) const;

 private:
  // One side's lines ahead, numbered.
  class CSide {
   public:
    explicit CSide(CTVRTextLineReader& reader) : m_Reader(reader) {}
    // The line `ahead` lines on, or null past the end.
    const CTVRTextLineReader::CLine* Peek(std::size_t ahead);
    void Pop(std::size_t count);
    std::uint64_t GetLineNumber() const { return m_nLine; }

   private:
    CTVRTextLineReader& m_Reader;
    std::deque<CTVRTextLineReader::CLine> m_Ahead;
    bool m_bEnd = false;
    std::uint64_t m_nLine = 1;  // of the first line ahead
  };

  bool Agree(const CTVRTextLineReader::CLine* pGolden, const CTVRTextLineReader::CLine* pRun,
             std::uint64_t runLine) const;
  // Both sides agree from these lines on (two lines, or to both ends).
  bool AlignedAt(CSide& golden, std::size_t g, CSide& run, std::size_t r) const;
  void Record(CSide& golden, std::size_t goldenCount, CSide& run, std::size_t runCount, bool unaligned,
              std::size_t keep);

  std::vector<Mask> m_Masks;
  std::vector<CDifference> m_Differences;
  std::uint64_t m_nDifferenceCount = 0;
};
