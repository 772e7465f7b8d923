#include "trace/text_line_reader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037ULL;
constexpr std::uint64_t kFnvPrime = 1099511628211ULL;

void Take(CTVRTextLineReader::CLine& line, const char* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) line.m_nHash = (line.m_nHash ^ static_cast<unsigned char>(p[i])) * kFnvPrime;
  line.m_nLength += n;
  if (line.m_strText.size() < CTVRTextLineReader::MAX_KEPT)
    line.m_strText.append(p, std::min(n, CTVRTextLineReader::MAX_KEPT - line.m_strText.size()));
}

}  // namespace

bool CTVRTextLineReader::Fill() {
  if (m_bEnd) return false;
  m_nUsed = m_Source ? m_Source(m_Buffer, sizeof m_Buffer) : 0;
  if (m_nUsed > sizeof m_Buffer) m_nUsed = sizeof m_Buffer;
  m_nAt = 0;
  if (m_nUsed == 0) m_bEnd = true;
  return !m_bEnd;
}

bool CTVRTextLineReader::Next(CLine& line) {
  line.m_strText.clear();
  line.m_nLength = 0;
  line.m_nHash = kFnvOffset;
  bool any = false;
  // A CR is held back until what follows it is known: dropped before LF.
  bool heldCr = false;
  for (;;) {
    if (m_nAt == m_nUsed && !Fill()) break;
    any = true;
    const char* start = m_Buffer + m_nAt;
    const std::size_t left = m_nUsed - m_nAt;
    const char* lf = static_cast<const char*>(std::memchr(start, '\n', left));
    const std::size_t piece = lf ? std::size_t(lf - start) : left;
    if (piece > 0 && heldCr) {
      Take(line, "\r", 1);
      heldCr = false;
    }
    std::size_t body = piece;
    // A CR last in the piece: a line end's, or a CR inside the line.
    if (body > 0 && start[body - 1] == '\r') {
      --body;
      heldCr = true;
    }
    Take(line, start, body);
    m_nAt += piece;
    if (lf) {
      ++m_nAt;
      return true;
    }
  }
  if (heldCr) Take(line, "\r", 1);
  return any;
}
