// The plug-ins a run loads. A run that names its board type and its protocol
// (--board and --protocol) loads their plug-ins first (brdNAME.so and
// proNAME.so, NAME as CTVRPluginSearch::IsNamedFile spells it) and the others
// only when these do not provide both, or when the script asks for a
// cyphering (".3des("), whose object comes from a plug-in of its own: such a
// run starts without opening, relocating and initialising the plug-ins it does
// not use. Any other run loads them all, in search order, as --list does.
#pragma once

#include <string>
#include <vector>

#include "contract/plugin_search.h"

class CTVRDocTemplate;
class CTVRHost;
class CTVRHostContext;
class CTVRRunOptions;

class CTVRRunPlugins {
 public:
  static std::vector<CTVRPluginSearch::CFound> Load(CTVRHostContext& context,
                                                    const std::vector<CTVRPluginSearch::CFolder>& folders,
                                                    const CTVRRunOptions& options);

  // The board type of that name: by class, by the name New offers, or by the
  // short name of its titles ("sim", "pcsc"). Null when there is none, with
  // `known` listing the classes there are.
  static CTVRDocTemplate* FindBoardType(const CTVRHost& host, const std::string& name, std::string& known);
};
