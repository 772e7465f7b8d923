#include "document/trace_lines.h"

#include <algorithm>
#include <cstring>

#include <tavric/board_doc.h>

#include "document/board_doc_private.h"
#include "trace/trace_formatter.h"
#include "trace/trace_log.h"

CTVRTraceLog* CTVRTraceLines::GetLog() const {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  return pDoc ? &CTVRBoardDocPrivate::Of(*pDoc).GetTraceLog() : nullptr;
}

void CTVRTraceLines::Reset(std::size_t first) {
  m_nFirst = m_nEnd = first;
  m_LinesBefore.clear();
  m_Modes.clear();
  m_nLineBreaks = 0;
  m_nLastLineLength = 0;
  m_nLongestLine = 0;
}

// Records are numbered from the first appended since the store was last
// emptied, so the numbers hold when a store with a keep limit drops its oldest.
std::size_t CTVRTraceLines::LogEnd(const CTVRTraceLog& log) {
  return log.GetDroppedCount() + log.GetCount();
}

CTVRTraceRecord CTVRTraceLines::GetRecord(const CTVRTraceLog& log, std::size_t record) {
  return log.GetAt(record - log.GetDroppedCount());
}

std::int64_t CTVRTraceLines::TimeOf(const CTVRTraceLog& log, std::size_t record) const {
  // The time column is as wide as the indent it replaces: lines and their
  // lengths are the same with it or without.
  return IsTiming() ? log.GetTimeAt(record - log.GetDroppedCount()) : CTVRTraceLog::NO_TIME;
}

void CTVRTraceLines::StartAtEnd() {
  CTVRTraceLog* pLog = GetLog();
  Reset(pLog ? LogEnd(*pLog) : 0);
  OnLinesChanged();
}

void CTVRTraceLines::CheckLog() {
  CTVRTraceLog* pLog = GetLog();
  if (pLog == nullptr || LogEnd(*pLog) < m_nEnd) {
    Reset(0);
    OnLinesChanged();
  } else if (m_nFirst < pLog->GetDroppedCount()) {
    DropOldest(*pLog);
    OnLinesChanged();
  }
}

void CTVRTraceLines::DropOldest(const CTVRTraceLog& log) {
  // Every block that lost a record goes whole: the view then begins at the
  // first block whose records are all kept, and its lines are renumbered.
  const std::size_t blocks = (log.GetDroppedCount() - m_nFirst + BLOCK - 1) / BLOCK;
  if (blocks >= m_LinesBefore.size()) {
    // Fewer records kept than a block holds: index again what is left.
    Reindex(log);
    return;
  }
  const std::size_t linesGone = m_LinesBefore[blocks];
  m_LinesBefore.erase(m_LinesBefore.begin(), m_LinesBefore.begin() + std::ptrdiff_t(blocks));
  for (std::size_t& before : m_LinesBefore) before -= linesGone;
  m_nLineBreaks -= linesGone;
  m_nFirst += blocks * BLOCK;
  // The display mode in force at the new first record stays, moved onto it.
  const bool firstHex = HexDisplayOf(m_nFirst);
  auto kept = std::upper_bound(m_Modes.begin(), m_Modes.end(), std::make_pair(m_nFirst, true));
  m_Modes.erase(m_Modes.begin(), kept);
  if (m_Modes.empty() || m_Modes.front().first != m_nFirst) m_Modes.emplace(m_Modes.begin(), m_nFirst, firstHex);
  if (linesGone != 0) OnLinesDropped(linesGone);
}

void CTVRTraceLines::Reindex(const CTVRTraceLog& log) {
  // The oldest records shown are gone: the view starts at the oldest kept one.
  const std::size_t first = std::min(log.GetDroppedCount(), m_nEnd), end = m_nEnd;
  auto modes = std::move(m_Modes);
  Reset(first);
  m_Modes = std::move(modes);
  std::string text;
  for (std::size_t record = first; record < end; ++record) {
    tvr::COLORREF colour;
    text.clear();
    CTVRTraceFormatter::Format(GetRecord(log, record), HexDisplayOf(record), text, colour);
    Index(record, text);
  }
}

void CTVRTraceLines::Index(std::size_t record, const std::string& text) {
  while (m_nEnd <= record) {
    if ((m_nEnd - m_nFirst) % BLOCK == 0) m_LinesBefore.push_back(m_nLineBreaks);
    ++m_nEnd;
  }
  for (char c : text) {
    if (c == '\n') {
      ++m_nLineBreaks;
      m_nLastLineLength = 0;
    } else if (c != '\r') {
      m_nLongestLine = std::max(m_nLongestLine, ++m_nLastLineLength);
    }
  }
}

void CTVRTraceLines::OnAppendText(const CTVRTraceRecord&, const std::string& text, tvr::COLORREF, bool hexDisplay) {
  CTVRTraceLog* pLog = GetLog();
  if (pLog == nullptr || pLog->GetCount() == 0) return;
  // The record just handed over is the store's last one.
  const std::size_t index = LogEnd(*pLog) - 1;
  if (index < m_nEnd)
    Reset(0);
  else if (m_nFirst < pLog->GetDroppedCount())
    DropOldest(*pLog);
  if (m_nEnd == m_nFirst && m_nFirst != index) m_nFirst = m_nEnd = index;
  if (m_Modes.empty() || m_Modes.back().second != hexDisplay) m_Modes.emplace_back(index, hexDisplay);
  // Records that showed nothing (keep, save) between two appending ones stay
  // inside the range: walking them formats nothing.
  Index(index, text);
  OnLinesChanged();
}

void CTVRTraceLines::OnClearText() {
  CTVRTraceLog* pLog = GetLog();
  Reset(pLog ? LogEnd(*pLog) : 0);
  OnLinesChanged();
}

std::size_t CTVRTraceLines::GetLineCount() {
  CheckLog();
  return m_nLineBreaks + 1;
}

bool CTVRTraceLines::HexDisplayOf(std::size_t record) const {
  auto it = std::upper_bound(m_Modes.begin(), m_Modes.end(), std::make_pair(record, true));
  if (it == m_Modes.begin()) return m_Modes.empty() ? true : m_Modes.front().second;
  return std::prev(it)->second;
}

void CTVRTraceLines::ForEachLine(std::size_t first, std::size_t last, const LineCallback& callback) {
  CheckLog();
  CTVRTraceLog* pLog = GetLog();
  if (pLog == nullptr || first > m_nLineBreaks || first > last) return;
  last = std::min(last, m_nLineBreaks);

  // Line `first` begins after the first-th line break: start at the last
  // block that begins before that break.
  std::size_t block = 0;
  if (first > 0)
    block =
        std::size_t(std::upper_bound(m_LinesBefore.begin(), m_LinesBefore.end(), first - 1) - m_LinesBefore.begin()) -
        1;
  std::size_t line = m_LinesBefore.empty() ? 0 : m_LinesBefore[block];

  std::string text, piece;
  std::vector<Segment> segments;
  auto add = [&](const char* p, std::size_t n, tvr::COLORREF colour) {
    if (n == 0) return;
    if (!segments.empty() && segments.back().m_crColour == colour)
      segments.back().m_nLength += n;
    else
      segments.push_back(Segment{text.size(), n, colour});
    text.append(p, n);
  };

  for (std::size_t record = m_nFirst + block * BLOCK; record < m_nEnd; ++record) {
    tvr::COLORREF colour = CTVRTraceFormatter::COLOUR_TEXT;
    piece.clear();
    if (CTVRTraceFormatter::Format(GetRecord(*pLog, record), HexDisplayOf(record), piece, colour,
                                   TimeOf(*pLog, record)) != CTVRTraceFormatter::ACTION_APPEND)
      continue;
    const char* p = piece.data();
    const char* end = p + piece.size();
    while (p < end) {
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', std::size_t(end - p)));
      const char* stop = lf ? lf : end;
      if (line >= first) {
        // The CRs of the piece are not shown.
        for (const char* q = p; q < stop;) {
          const char* cr = static_cast<const char*>(std::memchr(q, '\r', std::size_t(stop - q)));
          const char* runEnd = cr ? cr : stop;
          add(q, std::size_t(runEnd - q), colour);
          q = cr ? cr + 1 : stop;
        }
      }
      if (!lf) break;
      if (line >= first && !callback(line, text, segments)) return;
      if (line == last) return;
      ++line;
      text.clear();
      segments.clear();
      p = lf + 1;
    }
  }
  // The last line, still open.
  if (line >= first && line <= last) callback(line, text, segments);
}

std::string CTVRTraceLines::GetLine(std::size_t line) {
  std::string result;
  ForEachLine(line, line, [&](std::size_t, const std::string& text, const std::vector<Segment>&) {
    result = text;
    return false;
  });
  return result;
}

std::string CTVRTraceLines::GetText(std::pair<std::size_t, std::size_t> from, std::pair<std::size_t, std::size_t> to) {
  if (to < from) std::swap(from, to);
  std::string result;
  ForEachLine(from.first, to.first, [&](std::size_t line, const std::string& text, const std::vector<Segment>&) {
    std::size_t start = line == from.first ? std::min(from.second, text.size()) : 0;
    std::size_t stop = line == to.first ? std::min(to.second, text.size()) : text.size();
    if (line != from.first) result += "\r\n";
    if (stop > start) result.append(text, start, stop - start);
    return true;
  });
  return result;
}

bool CTVRTraceLines::Find(const std::string& needle, std::pair<std::size_t, std::size_t> from,
                          std::pair<std::size_t, std::size_t>& found) {
  if (needle.empty()) return false;
  bool hit = false;
  ForEachLine(from.first, GetLineCount() - 1,
              [&](std::size_t line, const std::string& text, const std::vector<Segment>&) {
                std::size_t start = line == from.first ? from.second : 0;
                std::size_t at = start <= text.size() ? text.find(needle, start) : std::string::npos;
                if (at == std::string::npos) return true;
                found = {line, at};
                hit = true;
                return false;
              });
  return hit;
}

std::string CTVRTraceLines::GetWholeText() const {
  std::string text;
  CTVRTraceLog* pLog = GetLog();
  if (pLog == nullptr || LogEnd(*pLog) < m_nEnd) return text;
  for (std::size_t record = std::max(m_nFirst, pLog->GetDroppedCount()); record < m_nEnd; ++record) {
    tvr::COLORREF colour;
    CTVRTraceFormatter::Format(GetRecord(*pLog, record), HexDisplayOf(record), text, colour, TimeOf(*pLog, record));
  }
  return text;
}

std::size_t CTVRTraceLines::GetMemoryUsed() const {
  return sizeof(*this) + m_LinesBefore.capacity() * sizeof(std::size_t) +
         m_Modes.capacity() * sizeof(std::pair<std::size_t, bool>);
}
