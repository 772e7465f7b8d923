// Where an installed Tavric keeps its plug-ins and data, found from the
// running program's own folder so that a relocated prefix works as well as
// /usr: <prefix>/bin holds the programs, <prefix>/lib/<multiarch>/tavric/plugins
// the plug-ins, <prefix>/share/tavric the description and register files. A
// build's run folder (build/bin) holds all of them beside the programs, and a
// program folder without the installed folders is taken as such a run folder.
#pragma once

#include <string>

class CTVRInstallLayout {
 public:
  // The installed plug-in folder of a program in programFolder.
  static std::string PluginFolder(const std::string& programFolder);
  // The installed data folder (share/tavric) of a program in programFolder.
  static std::string DataFolder(const std::string& programFolder);
  // ~/.local/lib/tavric/plugins; empty without a home folder.
  static std::string UserPluginFolder();
  // The description file fileName beside the plug-in in pluginFolder (which
  // may be empty), else in dataFolder. With neither, the data folder's path,
  // so that the failure names the place it is looked for last.
  static std::string DescriptionPath(const std::string& fileName, const std::string& pluginFolder,
                                     const std::string& dataFolder);
  static bool IsFolder(const std::string& path);
};
