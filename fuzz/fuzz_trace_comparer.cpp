// A golden log and a run's trace (any bytes: the golden log is a file the
// user gives) compared line by line, each read in pieces of a size the first
// byte chooses; the rest is cut at its first zero byte into the two texts.
// A fault: a sanitizer report, a text that differs from itself, or a
// difference whose lines lie outside the texts or are not the texts' lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "trace/trace_comparer.h"

namespace {

CTVRTextLineReader Reader(const std::string& text, std::size_t piece, std::size_t& at) {
  return CTVRTextLineReader([&text, piece, &at](char* buffer, std::size_t capacity) {
    std::size_t n = text.size() - at;
    if (n > piece) n = piece;
    if (n > capacity) n = capacity;
    std::memcpy(buffer, text.data() + at, n);
    at += n;
    return n;
  });
}

// The lines as the reader gives them: ends at LF, a CR before it dropped.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t lf = text.find('\n', start);
    const bool ended = lf != std::string::npos;
    if (!ended) lf = text.size();
    std::string line = text.substr(start, lf - start);
    if (ended && !line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line.substr(0, CTVRTextLineReader::MAX_KEPT));
    start = lf + 1;
  }
  return lines;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckSide(const std::vector<std::string>& lines, std::uint64_t first, std::uint64_t count,
               const std::vector<std::string>& shown) {
  Check(first >= 1 && first - 1 + count <= lines.size());
  for (std::size_t i = 0; i < shown.size(); ++i) Check(shown[i] == lines[first - 1 + i]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvr_fuzz::CInput input(data, size);
  const std::size_t piece = std::size_t(input.Byte()) + 1;
  const std::string rest = input.Rest();
  const std::size_t zero = rest.find('\0');
  const std::string golden = rest.substr(0, zero);
  const std::string run = zero == std::string::npos ? golden : rest.substr(zero + 1);

  std::size_t at1 = 0, at2 = 0;
  CTVRTextLineReader same1 = Reader(golden, piece, at1), same2 = Reader(golden, piece, at2);
  Check(CTVRTraceComparer().Compare(same1, same2));

  std::size_t goldenAt = 0, runAt = 0;
  CTVRTextLineReader goldenReader = Reader(golden, piece, goldenAt), runReader = Reader(run, piece, runAt);
  CTVRTraceComparer comparer;
  comparer.Compare(goldenReader, runReader);
  const std::vector<std::string> goldenLines = Lines(golden), runLines = Lines(run);
  for (const CTVRTraceComparer::CDifference& d : comparer.GetDifferences()) {
    CheckSide(goldenLines, d.m_nGoldenLine, d.m_nGoldenCount, d.m_GoldenLines);
    CheckSide(runLines, d.m_nRunLine, d.m_nRunCount, d.m_RunLines);
  }
  Check(!comparer.Report("golden.log").empty() || comparer.GetDifferences().empty());
  return 0;
}
