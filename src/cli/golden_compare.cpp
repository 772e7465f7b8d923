#include "cli/golden_compare.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "decode/answer_seen.h"
#include "decode/expectation.h"
#include "platform/file_reader.h"
#include "trace/trace_formatter.h"
#include "trace/trace_spool.h"

namespace {

// The first differences shown; all are counted.
constexpr std::size_t kShownDifferences = 10;
// A line of bytes: the indent (or the time column), then "XX " a byte, 16 a line.
constexpr std::size_t kHead = 12;
constexpr std::size_t kRow = 16;
// The newest trace lines kept to find an answer's bytes in: those of the
// longest answer (65,535 bytes of data, its status word and a frame's
// header), and the comments and directives between a statement and its
// expectations, which are fewer.
constexpr std::size_t kRecentLines = (65536 + 16) / kRow + 64;

// The indent or the time column ("   1.234 ms ", "  12.346 s  ").
bool IsHead(std::string_view head) {
  return head.size() == kHead && std::all_of(head.begin(), head.end(), [](char c) {
           return c == ' ' || c == '.' || c == 'm' || c == 's' || (c >= '0' && c <= '9');
         });
}

}  // namespace

CTVRGoldenCompare::CTVRGoldenCompare(std::string path) : m_strPath(std::move(path)) {
  m_Comparer.AddMask([this](std::string_view golden, std::string_view run, std::uint64_t runLine) {
    return IsOpenPair(golden, run, runLine);
  });
}

void CTVRGoldenCompare::OnTraceText(const std::string& text) {
  std::size_t start = 0;
  for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    m_strPartial.append(text, start, end - start);
    if (!m_strPartial.empty() && m_strPartial.back() == '\r') m_strPartial.pop_back();
    m_Recent.push_back(std::move(m_strPartial));
    m_strPartial.clear();
    if (m_Recent.size() > kRecentLines) m_Recent.pop_front();
    ++m_nLines;
    start = end + 1;
  }
  m_strPartial.append(text, start, std::string::npos);
}

void CTVRGoldenCompare::OnTraceCleared() {
  m_nLines = 0;
  m_Recent.clear();
  m_strPartial.clear();
  m_OpenDigits.clear();
}

void CTVRGoldenCompare::OnExpectationChecked(const CTVRExpectation& expectation, const CTVRAnswerSeen& seen) {
  if (!seen.m_bAnswered || seen.Bytes().empty()) return;
  const std::size_t count = seen.Bytes().size();
  std::vector<std::uint32_t> open((count + kRow - 1) / kRow, 0);
  bool any = false;
  for (std::size_t i = 0; i < count; ++i) {
    const tvr::BYTE bits = expectation.OpenBits(i, seen);
    const std::uint32_t digits = ((bits & 0xF0) != 0 ? 1U : 0U) | ((bits & 0x0F) != 0 ? 2U : 0U);
    open[i / kRow] |= digits << (2 * (i % kRow));
    any = any || digits != 0;
  }
  if (!any) return;
  // The frame's check bytes follow from the bytes: open with them.
  for (std::size_t i = count - std::min(seen.m_nCheckLength, count); i < count; ++i)
    open[i / kRow] |= 3U << (2 * (i % kRow));
  // The answer's lines as the trace shows them, found among the newest lines.
  std::string dump;
  CTVRTraceFormatter::AppendDump(seen.Bytes().data(), tvr::DWORD(count), true, dump);
  std::vector<std::string_view> rows;
  for (std::size_t at = 0; at < dump.size();) {
    const std::size_t end = dump.find("\r\n", at);
    rows.push_back(std::string_view(dump).substr(at + kHead, end - at - kHead));
    at = end + 2;
  }
  if (rows.size() > m_Recent.size()) return;
  for (std::size_t first = m_Recent.size() - rows.size() + 1; first-- > 0;) {
    bool found = true;
    for (std::size_t k = 0; k < rows.size() && found; ++k) {
      const std::string& line = m_Recent[first + k];
      found = line.size() == kHead + rows[k].size() && IsHead(std::string_view(line).substr(0, kHead)) &&
              std::string_view(line).substr(kHead) == rows[k];
    }
    if (!found) continue;
    const std::uint64_t firstLine = m_nLines - m_Recent.size() + first + 1;
    for (std::size_t k = 0; k < rows.size(); ++k) {
      if (open[k] == 0) continue;
      const std::uint64_t line = firstLine + k;
      if (!m_OpenDigits.empty() && m_OpenDigits.back().first == line)
        m_OpenDigits.back().second |= open[k];
      else if (m_OpenDigits.empty() || m_OpenDigits.back().first < line)
        m_OpenDigits.emplace_back(line, open[k]);
    }
    return;
  }
}

bool CTVRGoldenCompare::IsOpenPair(std::string_view golden, std::string_view run, std::uint64_t runLine) const {
  const auto it = std::lower_bound(m_OpenDigits.begin(), m_OpenDigits.end(), runLine,
                                   [](const auto& entry, std::uint64_t line) { return entry.first < line; });
  if (it == m_OpenDigits.end() || it->first != runLine) return false;
  if (golden.size() != run.size() || run.size() < kHead) return false;
  const std::string_view goldenHead = golden.substr(0, kHead), runHead = run.substr(0, kHead);
  if (goldenHead != runHead && !(IsHead(goldenHead) && IsHead(runHead))) return false;
  for (std::size_t i = kHead; i < run.size(); ++i) {
    if (golden[i] == run[i]) continue;
    const std::size_t byte = (i - kHead) / 3, digit = (i - kHead) % 3;
    if (digit == 2 || byte >= kRow || (it->second >> (2 * byte + digit) & 1U) == 0) return false;
  }
  return true;
}

bool CTVRGoldenCompare::Check(std::string& error) const {
  const CTVRFileReader::EResult result = CTVRFileReader::Check(m_strPath);
  if (result == CTVRFileReader::READ_OK) return true;
  error = "cannot read the golden log " + m_strPath + ": " + CTVRFileReader::Describe(result);
  return false;
}

bool CTVRGoldenCompare::Compare(CTVRTraceSpool& trace, std::string& report) {
  if (!trace.IsOpen() || trace.IsFailed()) {
    report = "the trace could not be kept for the comparison (the temporary folder is full or cannot be written)\n";
    return false;
  }
  // Not blocking on a pipe put in the file's place since the start.
  const int fd = ::open(m_strPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    report = "cannot read the golden log " + m_strPath + ": " + (fd < 0 ? std::strerror(errno) : "not a regular file") +
             "\n";
    if (fd >= 0) ::close(fd);
    return false;
  }
  bool readFailed = false;
  CTVRTextLineReader golden([fd, &readFailed](char* buffer, std::size_t capacity) -> std::size_t {
    for (;;) {
      const ssize_t n = ::read(fd, buffer, capacity);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) readFailed = true;
      return n > 0 ? std::size_t(n) : 0;
    }
  });
  std::uint64_t offset = 0;
  CTVRTextLineReader run([&trace, &offset](char* buffer, std::size_t capacity) -> std::size_t {
    const std::string piece = trace.Read(offset, capacity);
    std::copy(piece.begin(), piece.end(), buffer);
    offset += piece.size();
    return piece.size();
  });
  const bool same = m_Comparer.Compare(golden, run, kShownDifferences);
  ::close(fd);
  if (readFailed) {
    report = "reading the golden log " + m_strPath + " failed\n";
    return false;
  }
  if (same) return true;
  const std::uint64_t count = m_Comparer.GetDifferenceCount();
  report = "the trace differs from " + m_strPath + " in " + std::to_string(count) +
           (count == 1 ? " place" : " places") +
           (count > m_Comparer.GetDifferences().size()
                ? " (the first " + std::to_string(m_Comparer.GetDifferences().size()) + " shown)"
                : std::string()) +
           ":\n" + m_Comparer.Report(m_strPath);
  return false;
}
