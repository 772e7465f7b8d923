// A private folder for a test's files, removed with everything in it when the
// test ends.
#pragma once

#include <string>

#include <QTemporaryDir>

namespace tvr_test {

class CTempFolder {
 public:
  std::string Path() const { return m_Dir.path().toStdString(); }
  std::string PathOf(const std::string& name) const { return Path() + "/" + name; }
  // Writes the bytes to the named file (replacing it); its path.
  std::string Write(const std::string& name, const std::string& bytes) const;
  // The whole file, or an empty text when it cannot be read.
  static std::string Read(const std::string& path);

 private:
  QTemporaryDir m_Dir;
};

}  // namespace tvr_test
