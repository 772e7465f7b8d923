#include "temp_folder.h"

#include <fstream>
#include <iterator>

namespace tvr_test {

std::string CTempFolder::Write(const std::string& name, const std::string& bytes) const {
  const std::string path = PathOf(name);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

std::string CTempFolder::Read(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

}  // namespace tvr_test
