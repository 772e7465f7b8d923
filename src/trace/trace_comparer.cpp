#include "trace/trace_comparer.h"

#include <algorithm>
#include <cctype>

#include "trace/trace_formatter.h"

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Skips one or more digits (and dots, with `dots`) at `at`; false when there is none.
bool SkipNumber(std::string_view text, std::size_t& at, bool dots = false) {
  const std::size_t start = at;
  while (at < text.size() && (IsDigit(text[at]) || (dots && text[at] == '.'))) ++at;
  return at > start;
}

bool SkipText(std::string_view text, std::size_t& at, std::string_view what) {
  if (text.substr(at, what.size()) != what) return false;
  at += what.size();
  return true;
}

// "> Mon Dec  7 00:10:14 ": the date ".info" shows (asctime's first 19 characters).
bool IsInfoDate(std::string_view line) {
  static constexpr std::string_view shape = "Aaa Aaa _9 99:99:99";
  if (line.size() < 2 + shape.size() || line.substr(0, 2) != "> ") return false;
  for (std::size_t i = 0; i < shape.size(); ++i) {
    const char c = line[2 + i];
    switch (shape[i]) {
      case 'A':
        if (!std::isupper(static_cast<unsigned char>(c))) return false;
        break;
      case 'a':
        if (!std::islower(static_cast<unsigned char>(c))) return false;
        break;
      case '9':
        if (!IsDigit(c)) return false;
        break;
      case '_':
        if (c != ' ' && !IsDigit(c)) return false;
        break;
      default:
        if (c != shape[i]) return false;
        break;
    }
  }
  return true;
}

// "(123 - 45)/ 1000 = 0.078000 seconds": the divisor, or empty when the line is no duration.
std::string_view DurationDivisor(std::string_view line) {
  std::size_t at = 0;
  if (!SkipText(line, at, "(") || !SkipNumber(line, at) || !SkipText(line, at, " - ") || !SkipNumber(line, at) ||
      !SkipText(line, at, ")/ "))
    return {};
  const std::size_t divisor = at;
  if (!SkipNumber(line, at)) return {};
  const std::string_view result = line.substr(divisor, at - divisor);
  if (!SkipText(line, at, " = ") || !SkipNumber(line, at, true) || !SkipText(line, at, " seconds") || at != line.size())
    return {};
  return result;
}

// The line without its time column: the indent it took the place of, or no
// line end's worth at all for the closing line of an answer without bytes.
bool WithoutTimeColumn(std::string_view line, std::string& out) {
  constexpr std::size_t width = CTVRTraceFormatter::TIME_COLUMN_WIDTH;
  if (line.size() < width) return false;
  const std::string_view unit = line.substr(8, 4);
  if (unit != " ms " && unit != " s  ") return false;
  std::size_t at = 0;
  while (at < 8 && line[at] == ' ') ++at;
  const std::size_t digits = at;
  while (at < 8 && IsDigit(line[at])) ++at;
  if (at == digits) return false;
  if (at < 8 && !(line[at] == '.' && at + 4 == 8 && IsDigit(line[5]) && IsDigit(line[6]) && IsDigit(line[7])))
    return false;
  out.assign(line.size() == width ? 0 : width, ' ');
  out.append(line.substr(width));
  return true;
}

}  // namespace

bool CTVRTraceComparer::IsInfoDatePair(std::string_view golden, std::string_view run) {
  return IsInfoDate(golden) && IsInfoDate(run);
}

bool CTVRTraceComparer::IsDurationPair(std::string_view golden, std::string_view run) {
  const std::string_view divisor = DurationDivisor(golden);
  return !divisor.empty() && divisor == DurationDivisor(run);
}

bool CTVRTraceComparer::IsTimeColumnPair(std::string_view golden, std::string_view run) {
  std::string plainGolden, plainRun;
  const bool goldenTimed = WithoutTimeColumn(golden, plainGolden);
  const bool runTimed = WithoutTimeColumn(run, plainRun);
  if (!goldenTimed && !runTimed) return false;
  return (goldenTimed ? std::string_view(plainGolden) : golden) == (runTimed ? std::string_view(plainRun) : run);
}

const CTVRTextLineReader::CLine* CTVRTraceComparer::CSide::Peek(std::size_t ahead) {
  while (m_Ahead.size() <= ahead && !m_bEnd) {
    CTVRTextLineReader::CLine line;
    if (m_Reader.Next(line))
      m_Ahead.push_back(std::move(line));
    else
      m_bEnd = true;
  }
  return ahead < m_Ahead.size() ? &m_Ahead[ahead] : nullptr;
}

void CTVRTraceComparer::CSide::Pop(std::size_t count) {
  count = std::min(count, m_Ahead.size());
  m_Ahead.erase(m_Ahead.begin(), m_Ahead.begin() + std::ptrdiff_t(count));
  m_nLine += count;
}

bool CTVRTraceComparer::Agree(const CTVRTextLineReader::CLine* pGolden, const CTVRTextLineReader::CLine* pRun,
                              std::uint64_t runLine) const {
  if (pGolden == nullptr || pRun == nullptr) return pGolden == pRun;
  if (*pGolden == *pRun) return true;
  const std::string_view golden = pGolden->m_strText, run = pRun->m_strText;
  if (IsInfoDatePair(golden, run) || IsDurationPair(golden, run) || IsTimeColumnPair(golden, run)) return true;
  return std::any_of(m_Masks.begin(), m_Masks.end(), [&](const Mask& mask) { return mask(golden, run, runLine); });
}

bool CTVRTraceComparer::AlignedAt(CSide& golden, std::size_t g, CSide& run, std::size_t r) const {
  for (std::size_t k = 0; k < 2; ++k) {
    const CTVRTextLineReader::CLine* pGolden = golden.Peek(g + k);
    const CTVRTextLineReader::CLine* pRun = run.Peek(r + k);
    if (!Agree(pGolden, pRun, run.GetLineNumber() + r + k)) return false;
    if (pGolden == nullptr) return true;  // both texts end here
  }
  return true;
}

void CTVRTraceComparer::Record(CSide& golden, std::size_t goldenCount, CSide& run, std::size_t runCount, bool unaligned,
                               std::size_t keep) {
  ++m_nDifferenceCount;
  if (m_Differences.size() < keep) {
    CDifference difference;
    difference.m_nGoldenLine = golden.GetLineNumber();
    difference.m_nGoldenCount = goldenCount;
    difference.m_nRunLine = run.GetLineNumber();
    difference.m_nRunCount = runCount;
    difference.m_bUnaligned = unaligned;
    for (std::size_t i = 0; i < std::min(goldenCount, SHOWN_LINES); ++i)
      difference.m_GoldenLines.push_back(golden.Peek(i)->m_strText);
    for (std::size_t i = 0; i < std::min(runCount, SHOWN_LINES); ++i)
      difference.m_RunLines.push_back(run.Peek(i)->m_strText);
    m_Differences.push_back(std::move(difference));
  }
  golden.Pop(goldenCount);
  run.Pop(runCount);
}

bool CTVRTraceComparer::Compare(CTVRTextLineReader& goldenReader, CTVRTextLineReader& runReader, std::size_t keep) {
  m_Differences.clear();
  m_nDifferenceCount = 0;
  CSide golden(goldenReader), run(runReader);
  for (;;) {
    const CTVRTextLineReader::CLine* pGolden = golden.Peek(0);
    const CTVRTextLineReader::CLine* pRun = run.Peek(0);
    if (pGolden == nullptr && pRun == nullptr) break;
    if (Agree(pGolden, pRun, run.GetLineNumber())) {
      golden.Pop(1);
      run.Pop(1);
      continue;
    }
    // The nearest place where both agree again: fewest lines skipped in all,
    // as many on each side first (a changed line before a missing one).
    bool aligned = false;
    for (std::size_t skipped = 1; skipped <= 2 * WINDOW && !aligned; ++skipped) {
      // Golden lines skipped: skipped / 2, then one either side of it, and so on.
      const std::size_t half = skipped / 2;
      for (std::size_t d = 0; d <= skipped && !aligned; ++d) {
        for (const std::size_t g : {half + d, d <= half && d != 0 ? half - d : half + d}) {
          if (aligned || g > skipped || g > WINDOW || skipped - g > WINDOW) continue;
          if (!AlignedAt(golden, g, run, skipped - g)) continue;
          Record(golden, g, run, skipped - g, false, keep);
          aligned = true;
        }
      }
    }
    if (aligned) continue;
    // Nothing lines up again within the window: the rest differs as a whole.
    std::size_t g = 0, r = 0;
    while (g < WINDOW && golden.Peek(g) != nullptr) ++g;
    while (r < WINDOW && run.Peek(r) != nullptr) ++r;
    Record(golden, g, run, r, true, keep);
    break;
  }
  return m_nDifferenceCount == 0;
}

std::string CTVRTraceComparer::Report(const std::string& goldenName) const {
  std::string text;
  for (const CDifference& d : m_Differences) {
    text += goldenName + ":" + std::to_string(d.m_nGoldenLine) + ", trace line " + std::to_string(d.m_nRunLine) + ": ";
    if (d.m_bUnaligned)
      text += "the texts differ from here on";
    else if (d.m_nRunCount == 0)
      text += d.m_nGoldenCount == 1 ? "a line missing from the trace"
                                    : std::to_string(d.m_nGoldenCount) + " lines missing from the trace";
    else if (d.m_nGoldenCount == 0)
      text += d.m_nRunCount == 1 ? "a line not in the golden log"
                                 : std::to_string(d.m_nRunCount) + " lines not in the golden log";
    else if (d.m_nGoldenCount == 1 && d.m_nRunCount == 1)
      text += "a line changed";
    else
      text += std::to_string(d.m_nGoldenCount) + " golden lines changed into " + std::to_string(d.m_nRunCount);
    text += "\n";
    for (const std::string& line : d.m_GoldenLines) text += "  - " + line + "\n";
    if (d.m_nGoldenCount > d.m_GoldenLines.size()) text += "  - ...\n";
    for (const std::string& line : d.m_RunLines) text += "  + " + line + "\n";
    if (d.m_nRunCount > d.m_RunLines.size()) text += "  + ...\n";
  }
  return text;
}
