// `tavric-run --compare GOLDEN.log`: the run's trace (the trace view's text
// since the last clear, as a log holds it) compared with a saved log, at the
// end of the run. Logs of `.save` and of `--save-log` are the same text (CR LF
// line ends); a log saved with the time column compares with a run without
// it, and the other way round.
//
// What an expected answer leaves open on the answer it checked may differ
// too: the digits a bytes pattern leaves open ("??", "?", a last "*"), those
// of the .expect_sw alternative the status word met, and then the frame's
// check bytes, which follow from the others. The run tells the comparison the
// trace text as it is appended and each expectation checked; the answer's
// bytes are found among the newest lines of the trace, and the open digits of
// those lines are let through (the same number of bytes on both sides).
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "trace/trace_comparer.h"

class CTVRExpectation;
class CTVRTraceSpool;
struct CTVRAnswerSeen;

class CTVRGoldenCompare {
 public:
  explicit CTVRGoldenCompare(std::string path);
  CTVRGoldenCompare(const CTVRGoldenCompare&) = delete;
  CTVRGoldenCompare& operator=(const CTVRGoldenCompare&) = delete;

  // The run's trace text as its view appends it, and the view cleared.
  void OnTraceText(const std::string& text);
  void OnTraceCleared();
  // An expectation read this answer: the digits its pattern leaves open are
  // let through on the lines of the answer's bytes.
  void OnExpectationChecked(const CTVRExpectation& expectation, const CTVRAnswerSeen& seen);

  // The golden log is a regular file that can be read; otherwise false with the reason.
  bool Check(std::string& error) const;
  CTVRTraceComparer& GetComparer() { return m_Comparer; }
  // Compares; true when the trace agrees with the golden log. `report` gets
  // the first differences (or why the comparison could not be made).
  bool Compare(CTVRTraceSpool& trace, std::string& report);

 private:
  // Lines of the run's trace whose digits may differ: bit 2k (2k + 1) of the
  // mask is the high (low) digit of the line's byte k.
  bool IsOpenPair(std::string_view golden, std::string_view run, std::uint64_t runLine) const;

  std::string m_strPath;
  CTVRTraceComparer m_Comparer;
  // The run's trace: its complete lines since the last clear, the newest of
  // them, and the line being appended.
  std::uint64_t m_nLines = 0;
  std::deque<std::string> m_Recent;
  std::string m_strPartial;
  // By run line (from 1), increasing.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> m_OpenDigits;
};
