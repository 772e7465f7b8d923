#include "trace/trace_spool.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

#include <QDir>

#include "platform/file_writer.h"

namespace {

// Pieces copied out of the spool at a time.
constexpr std::size_t COPY_CHUNK = std::size_t{1024} * 1024;

}  // namespace

CTVRTraceSpool::~CTVRTraceSpool() {
  Close();
}

bool CTVRTraceSpool::Open() {
  Close();
  m_bFailed = false;
  std::string name = QDir::tempPath().toLocal8Bit().toStdString() + "/tavric-trace-XXXXXX";
  m_nFd = ::mkostemp(name.data(), O_CLOEXEC);
  if (m_nFd < 0) return false;
  // Reached through its descriptor only, and gone with it.
  ::unlink(name.c_str());
  m_Pending.SetFd(m_nFd);
  return true;
}

bool CTVRTraceSpool::Open(const std::string& path) {
  Close();
  m_bFailed = false;
  m_nFd = CTVRFileWriter::OpenStream(path);
  if (m_nFd < 0) return false;
  m_Pending.SetFd(m_nFd);
  return true;
}

void CTVRTraceSpool::Append(const char* text, std::size_t length) {
  if (m_nFd < 0 || m_bFailed || length == 0) return;
  m_nSize += length;
  if (!m_Pending.Append(text, length)) m_bFailed = true;
}

void CTVRTraceSpool::Clear() {
  m_Pending.Discard();
  m_nSize = 0;
  if (m_nFd < 0) return;
  // What was written before the clear no longer counts: a spool that could
  // start over is whole again.
  m_bFailed = ::ftruncate(m_nFd, 0) != 0 || ::lseek(m_nFd, 0, SEEK_SET) != 0;
  m_Pending.SetFd(m_nFd);
}

bool CTVRTraceSpool::Flush() {
  if (m_nFd < 0) return false;
  if (!m_bFailed && !m_Pending.Flush()) m_bFailed = true;
  return !m_bFailed;
}

std::string CTVRTraceSpool::Read(std::uint64_t offset, std::size_t length) {
  std::string text;
  if (!Flush() || offset >= m_nSize) return text;
  text.resize(std::size_t(std::min<std::uint64_t>(length, m_nSize - offset)));
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::pread(m_nFd, text.data() + done, text.size() - done, off_t(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += std::size_t(n);
  }
  text.resize(done);
  return text;
}

bool CTVRTraceSpool::SaveTo(const std::string& path) {
  if (!Flush()) return false;
  struct stat own {
  }, target{};
  if (::fstat(m_nFd, &own) == 0 && ::stat(path.c_str(), &target) == 0 && own.st_dev == target.st_dev &&
      own.st_ino == target.st_ino)
    return true;

  const int from = m_nFd;
  const std::uint64_t size = m_nSize;
  return CTVRFileWriter::WriteWith(path, [from, size](int to) {
    std::vector<char> chunk(std::size_t(std::min<std::uint64_t>(COPY_CHUNK, std::max<std::uint64_t>(size, 1))));
    for (std::uint64_t offset = 0; offset < size;) {
      const ssize_t n =
          ::pread(from, chunk.data(), std::min<std::uint64_t>(chunk.size(), size - offset), off_t(offset));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n == 0) errno = EIO;
        return false;
      }
      if (!CTVRFileWriter::WriteFully(to, std::string_view(chunk.data(), std::size_t(n)))) return false;
      offset += std::uint64_t(n);
    }
    return true;
  });
}

bool CTVRTraceSpool::Close() {
  if (m_nFd < 0) return !m_bFailed;
  Flush();
  m_Pending.SetFd(-1);
  if (::close(m_nFd) != 0) m_bFailed = true;
  m_nFd = -1;
  const bool ok = !m_bFailed;
  m_nSize = 0;
  return ok;
}
