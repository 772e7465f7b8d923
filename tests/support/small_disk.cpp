#include "small_disk.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tvr_test {

CSmallDisk::CSmallDisk(std::size_t bytes) {
  if (!m_Dir.isValid()) {
    m_strUnavailable = "no temporary folder";
    return;
  }
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
  if (::mount("tavric-test", m_Dir.path().toLocal8Bit().constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) !=
      0)
    m_strUnavailable = std::string("a small tmpfs cannot be mounted here (root is needed): ") + std::strerror(errno);
}

CSmallDisk::~CSmallDisk() {
  if (m_strUnavailable.empty()) ::umount2(m_Dir.path().toLocal8Bit().constData(), MNT_DETACH);
}

bool CSmallDisk::Fill() const {
  const int fd = ::open(PathOf(".filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const std::string block(4096, 'f');
  bool full = false;
  for (;;) {
    if (::write(fd, block.data(), block.size()) < 0) {
      full = errno == ENOSPC;
      break;
    }
  }
  // What is left below a block.
  while (full && ::write(fd, "f", 1) == 1) {
  }
  ::close(fd);
  return full;
}

}  // namespace tvr_test
