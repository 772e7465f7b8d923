#include "cli/golden_compare.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/file_reader.h"
#include "trace/trace_spool.h"

namespace {

// The first differences shown; all are counted.
constexpr std::size_t kShownDifferences = 10;

}  // namespace

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
