#include "platform/file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

struct CFd {
  int fd;
  ~CFd() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

CTVRFileReader::EResult CTVRFileReader::ReadAll(const std::string& path, std::string& out, std::size_t limit) {
  out.clear();
  // O_NONBLOCK: opening a FIFO without a writer would otherwise wait forever;
  // it is refused below anyway.
  CFd file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)};
  if (file.fd < 0) return errno == EISDIR ? READ_NOT_A_FILE : READ_CANNOT_OPEN;
  struct stat info {};
  if (::fstat(file.fd, &info) != 0) return READ_FAILED;
  if (!S_ISREG(info.st_mode)) return READ_NOT_A_FILE;
  if (info.st_size < 0 || std::size_t(info.st_size) > limit) return READ_TOO_LARGE;

  out.resize(std::size_t(info.st_size));
  std::size_t got = 0;
  for (;;) {
    if (got == out.size()) {
      // The file may have grown since it was measured: look for more.
      if (out.size() >= limit) break;
      out.resize(std::min(limit, out.size() + 4096));
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
  }
  return "could not be read";
}
