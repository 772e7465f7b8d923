#include "trace/trace_spool.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include <QDir>
#include <QSaveFile>
#include <QString>

namespace {

// Pieces copied out of the spool at a time.
constexpr std::size_t COPY_CHUNK = 1024 * 1024;

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
  m_Buffer.reserve(BUFFER_SIZE);
  return true;
}

bool CTVRTraceSpool::Open(const std::string& path) {
  Close();
  m_bFailed = false;
  m_nFd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (m_nFd < 0) return false;
  m_Buffer.reserve(BUFFER_SIZE);
  return true;
}

bool CTVRTraceSpool::WriteAll(const char* p, std::size_t n) {
  while (n > 0 && !m_bFailed) {
    const ssize_t written = ::write(m_nFd, p, n);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      m_bFailed = true;
      break;
    }
    p += written;
    n -= std::size_t(written);
  }
  return !m_bFailed;
}

void CTVRTraceSpool::Append(const char* text, std::size_t length) {
  if (m_nFd < 0 || m_bFailed || length == 0) return;
  m_nSize += length;
  if (m_Buffer.size() + length > BUFFER_SIZE) {
    if (!Flush()) return;
    // A piece larger than the buffer goes to the file at once.
    if (length >= BUFFER_SIZE) {
      WriteAll(text, length);
      return;
    }
  }
  m_Buffer.insert(m_Buffer.end(), text, text + length);
}

void CTVRTraceSpool::Clear() {
  m_Buffer.clear();
  m_nSize = 0;
  if (m_nFd < 0) return;
  // What was written before the clear no longer counts: a spool that could
  // start over is whole again.
  m_bFailed = ::ftruncate(m_nFd, 0) != 0 || ::lseek(m_nFd, 0, SEEK_SET) != 0;
}

bool CTVRTraceSpool::Flush() {
  if (m_nFd < 0) return false;
  if (!m_Buffer.empty()) {
    WriteAll(m_Buffer.data(), m_Buffer.size());
    m_Buffer.clear();
  }
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

  QSaveFile file(QString::fromLocal8Bit(path.c_str()));
  if (!file.open(QIODevice::WriteOnly)) return false;
  std::vector<char> chunk(std::size_t(std::min<std::uint64_t>(COPY_CHUNK, std::max<std::uint64_t>(m_nSize, 1))));
  for (std::uint64_t offset = 0; offset < m_nSize;) {
    const ssize_t n =
        ::pread(m_nFd, chunk.data(), std::min<std::uint64_t>(chunk.size(), m_nSize - offset), off_t(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || file.write(chunk.data(), n) != n) {
      file.cancelWriting();
      file.commit();
      return false;
    }
    offset += std::uint64_t(n);
  }
  return file.commit();
}

bool CTVRTraceSpool::Close() {
  if (m_nFd < 0) return !m_bFailed;
  Flush();
  if (::close(m_nFd) != 0) m_bFailed = true;
  m_nFd = -1;
  m_Buffer = std::vector<char>();
  const bool ok = !m_bFailed;
  m_nSize = 0;
  return ok;
}
