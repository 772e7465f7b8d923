#include "contract/install_layout.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

namespace {

// From the build's install folders (GNUInstallDirs), relative to the programs'.
constexpr char kPluginFolderFromPrograms[] = TAVRIC_PLUGIN_FOLDER_FROM_PROGRAMS;
constexpr char kDataFolderFromPrograms[] = TAVRIC_DATA_FOLDER_FROM_PROGRAMS;

bool IsFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string InstalledOrRunFolder(const std::string& programFolder, const char* fromPrograms) {
  // Said as a user would write it: /usr/lib/..., not /usr/bin/../lib/...
  const std::string installed = std::filesystem::path(programFolder + "/" + fromPrograms).lexically_normal().string();
  return CTVRInstallLayout::IsFolder(installed) ? installed : programFolder;
}

}  // namespace

bool CTVRInstallLayout::IsFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string CTVRInstallLayout::PluginFolder(const std::string& programFolder) {
  return InstalledOrRunFolder(programFolder, kPluginFolderFromPrograms);
}

std::string CTVRInstallLayout::DataFolder(const std::string& programFolder) {
  return InstalledOrRunFolder(programFolder, kDataFolderFromPrograms);
}

std::string CTVRInstallLayout::UserPluginFolder() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') return {};
  return std::string(home) + "/.local/lib/tavric/plugins";
}

std::string CTVRInstallLayout::DescriptionPath(const std::string& fileName, const std::string& pluginFolder,
                                               const std::string& dataFolder) {
  if (!pluginFolder.empty() && IsFile(pluginFolder + "/" + fileName)) return pluginFolder + "/" + fileName;
  return dataFolder + "/" + fileName;
}
