// Finds the plug-ins of both programs, folder after folder:
//   1. the folder named on the command line, or else the current folder when
//      it holds any plug-in;
//   2. the folders of $TAVRIC_PLUGIN_PATH, colon-separated, in their order;
//   3. the user's folder, ~/.local/lib/tavric/plugins;
//   4. the installed folder, found from the program's own folder (a build's
//      run folder stands for it).
// A folder met twice is searched once. A plug-in loaded from one folder hides
// those of the same file name (letter case ignored) in later ones; one that
// fails to load hides nothing, so a broken copy in the user's folder leaves
// the installed one in use.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "contract/plugin_loader.h"

class CTVRHostContext;

class CTVRPluginSearch {
 public:
  enum EOrigin { ORIGIN_COMMAND_LINE, ORIGIN_CURRENT_FOLDER, ORIGIN_ENVIRONMENT, ORIGIN_USER, ORIGIN_INSTALLED };

  struct CFolder {
    std::string m_strPath;
    EOrigin m_eOrigin;
  };

  struct CFound {
    CFolder m_Folder;
    CTVRPluginLoader::CResult m_Result;
    std::string m_strHiddenBy;  // the path of the namesake in use; empty when it was loaded or tried
  };

  // The folders, in search order: commandLineFolder (when not empty), the
  // environment, the user's and the installed folder of a program in
  // programFolder.
  static std::vector<CFolder> Folders(const std::string& commandLineFolder, const std::string& programFolder);

  // Loads the plug-ins of the folders into the context; one entry per plug-in
  // file found, in search order.
  static std::vector<CFound> Load(CTVRHostContext& context, const std::vector<CFolder>& folders);

  // The same, but the files that `first` takes (by file name) are loaded
  // first, and the others only when `enough`, asked then, says that what the
  // first ones registered does not do. When both passes ran, the registries
  // and the cyphering object end as a load in search order leaves them.
  static std::vector<CFound> LoadFirst(CTVRHostContext& context, const std::vector<CFolder>& folders,
                                       const std::function<bool(const std::string&)>& first,
                                       const std::function<bool()>& enough);
  // Whether fileName is the plug-in that a board type or protocol of that
  // name is expected in: prefix ("brd" or "pro"), the name's letters and
  // digits, ".so", letter case ignored ("PC/SC": propcsc.so).
  static bool IsNamedFile(const std::string& fileName, const char* prefix, const std::string& name);

  // How the origin reads in tavric-run --list ("installed", "TAVRIC_PLUGIN_PATH"...).
  static const char* OriginName(EOrigin eOrigin);
  // The line to say on stderr for each broken plug-in that a namesake in a
  // later folder stands in for; empty when there is none.
  static std::vector<std::string> Replacements(const std::vector<CFound>& found);
};
