#include "platform/file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

namespace {

struct CFd {
  int fd;
  ~CFd() {
    if (fd >= 0) ::close(fd);
  }
};

// O_NONBLOCK: opening a FIFO without a writer would otherwise wait forever;
// it is refused once opened.
CTVRFileReader::EResult OpenRegular(const std::string& path, CFd& file, struct stat& info) {
  file.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (file.fd < 0) return errno == EISDIR ? CTVRFileReader::READ_NOT_A_FILE : CTVRFileReader::READ_CANNOT_OPEN;
  if (::fstat(file.fd, &info) != 0) return CTVRFileReader::READ_FAILED;
  if (!S_ISREG(info.st_mode)) return CTVRFileReader::READ_NOT_A_FILE;
  return CTVRFileReader::READ_OK;
}

}  // namespace

CTVRFileReader::EResult CTVRFileReader::Check(const std::string& path) {
  CFd file{-1};
  struct stat info {};
  return OpenRegular(path, file, info);
}

CTVRFileReader::EResult CTVRFileReader::ReadAll(const std::string& path, std::string& out, std::size_t limit) {
  out.clear();
  CFd file{-1};
  struct stat info {};
  const EResult opened = OpenRegular(path, file, info);
  if (opened != READ_OK) return opened;
  if (info.st_size < 0 || std::size_t(info.st_size) > limit) return READ_TOO_LARGE;

  try {
    // One byte more than the file: a text whose last line has no line feed
    // gets one without a second copy of the whole file.
    out.reserve(std::size_t(info.st_size) + 1);
    out.resize(std::size_t(info.st_size));
    std::size_t got = 0;
    for (;;) {
      if (got == out.size()) {
        // The file may have grown since it was measured: look for more in a
        // small piece, so that the usual end costs no reallocation.
        if (got >= limit) break;
        char more[4096];
        const ssize_t n = ::read(file.fd, more, std::min(sizeof more, limit - got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
          out.clear();
          return READ_FAILED;
        }
        if (n == 0) break;
        out.append(more, std::size_t(n));
        got += std::size_t(n);
        continue;
      }
      const ssize_t n = ::read(file.fd, out.data() + got, out.size() - got);
      if (n < 0) {
        if (errno == EINTR) continue;
        out.clear();
        return READ_FAILED;
      }
      if (n == 0) break;
      got += std::size_t(n);
    }
    out.resize(got);
  } catch (const std::bad_alloc&) {
    out = std::string();
    return READ_NO_MEMORY;
  }
  return READ_OK;
}

const char* CTVRFileReader::Describe(EResult result) {
  switch (result) {
    case READ_OK:
      return "read";
    case READ_CANNOT_OPEN:
      return "cannot be opened";
    case READ_NOT_A_FILE:
      return "is not a file";
    case READ_TOO_LARGE:
      return "is too large";
    case READ_FAILED:
      return "could not be read";
    case READ_NO_MEMORY:
      return "is too large to be held in memory";
  }
  return "could not be read";
}
