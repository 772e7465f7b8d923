// A file system of a few kilobytes (tmpfs) mounted on a private folder, for
// the tests of what a full disk does to a save. Mounting needs root (the
// tests run as root here and in CI); elsewhere Unavailable() says why and
// the test skips with that reason.
#pragma once

#include <cstddef>
#include <string>

#include <QTemporaryDir>

namespace tvr_test {

class CSmallDisk {
 public:
  explicit CSmallDisk(std::size_t bytes = 64 * 1024);
  ~CSmallDisk();
  CSmallDisk(const CSmallDisk&) = delete;
  CSmallDisk& operator=(const CSmallDisk&) = delete;

  // Empty when mounted; otherwise the reason it could not be.
  const std::string& Unavailable() const { return m_strUnavailable; }
  std::string PathOf(const std::string& name) const { return m_Dir.path().toStdString() + "/" + name; }
  // Takes every byte left, so that the next write of any data fails (a new,
  // empty file can still be made).
  bool Fill() const;

 private:
  QTemporaryDir m_Dir;
  std::string m_strUnavailable;
};

}  // namespace tvr_test
