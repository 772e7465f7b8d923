#include "platform/file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

void SetReason(std::string* reason, const char* text) {
  if (reason != nullptr) *reason = text;
}

bool Fail(std::string* reason, int code) {
  SetReason(reason, std::strerror(code));
  return false;
}

// The file a path finally names: a link is followed to its target so that
// the rename replaces the target, not the link.
std::string ResolveTarget(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A new file beside the target, with the permissions a new file gets.
int CreateTemporary(const std::string& target, std::string& name) {
  static std::atomic<unsigned> counter{0};
  const std::size_t slash = target.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = folder + "." + base + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

bool CTVRFileWriter::WriteFully(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    data.remove_prefix(std::size_t(n));
  }
  return true;
}

bool CTVRFileWriter::WriteAll(const std::string& path, std::string_view data, std::string* reason) {
  return WriteWith(
      path, [data](int fd) { return WriteFully(fd, data); }, reason);
}

bool CTVRFileWriter::WriteWith(const std::string& path, const std::function<bool(int fd)>& fill, std::string* reason) {
  if (path.empty()) return Fail(reason, ENOENT);
  const std::string target = ResolveTarget(path);
  struct stat info {};
  const bool exists = ::stat(target.c_str(), &info) == 0;
  if (exists && S_ISDIR(info.st_mode)) return Fail(reason, EISDIR);
  if (exists && !S_ISREG(info.st_mode)) {
    SetReason(reason, NOT_A_FILE);
    return false;
  }
  // A file the user protected is not replaced behind its back.
  if (exists && ::access(target.c_str(), W_OK) != 0) return Fail(reason, errno);

  std::string temporary;
  const int fd = CreateTemporary(target, temporary);
  if (fd < 0) return Fail(reason, errno);
  bool ok = !exists || ::fchmod(fd, info.st_mode & 07777) == 0;
  ok = ok && fill(fd);
  // The data must be on the disk before the rename makes it the file: a full
  // disk or a failing device often reports only here.
  ok = ok && (::fsync(fd) == 0 || errno == EINVAL);
  int code = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    code = errno;
  }
  if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
    ok = false;
    code = errno;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    return Fail(reason, code);
  }
  // The rename itself is made durable with the folder.
  const int folder = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return true;
}

int CTVRFileWriter::OpenStream(const std::string& path, std::string* reason) {
  if (path.empty()) {
    Fail(reason, ENOENT);
    return -1;
  }
  // O_NONBLOCK: a pipe with no reader fails at once instead of waiting; one
  // with a reader is refused below. Not O_TRUNC: only a regular file may be
  // emptied.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) {
    // ENXIO: a pipe that nobody reads.
    if (errno == ENXIO)
      SetReason(reason, NOT_A_FILE);
    else
      Fail(reason, errno);
    return -1;
  }
  struct stat info {};
  const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (!regular || ::ftruncate(fd, 0) != 0 || ::fcntl(fd, F_SETFL, 0) != 0) {
    const int code = errno;
    ::close(fd);
    if (regular)
      Fail(reason, code);
    else
      SetReason(reason, NOT_A_FILE);
    return -1;
  }
  return fd;
}

bool CTVRFileWriter::IsSameFile(const std::string& first, const std::string& second) {
  struct stat a {
  }, b{};
  if (first.empty() || second.empty()) return false;
  if (::stat(first.c_str(), &a) != 0 || ::stat(second.c_str(), &b) != 0) return false;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}
