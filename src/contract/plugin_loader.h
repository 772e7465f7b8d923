// Finds and loads the board and protocol plug-ins of a folder.
//
// A plug-in is a regular file whose name begins with "brd" or "pro" in any
// letter case and ends with ".so". Files are taken in alphabetical order,
// letter case ignored, which is therefore the registration order. Each library
// is opened with every symbol resolved at once; one built for another ABI
// version, or one with an init entry but no ABI version, is
// refused: what it registered is undone and it is closed again. Then
// TavricPluginInit runs; an init that throws is refused the same way, its
// library staying loaded (its code may still be referenced) but inert.
// Libraries that fail are skipped without a word, unless TAVRIC_PLUGIN_DEBUG
// is set, in which case stderr says why. Loaded libraries are never unloaded.
#pragma once

#include <string>
#include <vector>

class CTVRHostContext;

class CTVRPluginLoader {
 public:
  // Loads into this context: it is the installed one while a library
  // initialises, whatever was installed before.
  explicit CTVRPluginLoader(CTVRHostContext& context) : m_Context(context) {}

  enum EPluginResult {
    PLUGIN_LOADED,          // opened and initialised
    PLUGIN_ALREADY_LOADED,  // the same library came through another name or an earlier call into the context
    PLUGIN_LOAD_FAILED,     // the dynamic loader refused it
    PLUGIN_ABI_MISMATCH,    // built against another SDK, or says not which; closed again
    PLUGIN_INIT_FAILED,     // its init entry threw; what it registered is undone
  };

  struct CResult {
    std::string m_strFileName;  // as listed in the folder
    EPluginResult m_eResult;
    std::string m_strReason;  // the loader's text for failures
  };

  // Loads the plug-ins of the folder; one result per file that has a plug-in
  // name, in listing order. A folder that cannot be read gives none.
  std::vector<CResult> LoadFolder(const std::string& folder = ".");
  // The plug-in names of a folder (regular files), in loading order.
  static std::vector<std::string> ListFolder(const std::string& folder);
  // Loads one plug-in of a folder; the protocols it registers are known to
  // come from that folder (their description files are looked for there).
  CResult LoadLibrary(const std::string& folder, const std::string& name);

  static bool IsPluginFileName(const std::string& name);
  // TAVRIC_PLUGIN_DEBUG set to anything but an empty text.
  static bool IsDebugEnabled();

 private:
  CTVRHostContext& m_Context;
};
