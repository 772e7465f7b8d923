// tavric-run --list: the board types and protocols the plug-ins registered,
// and where each plug-in file came from.
#pragma once

#include <cstdio>
#include <vector>

#include "contract/plugin_search.h"

class CTVRHost;

class CTVRPluginList {
 public:
  // Prints both registries in registration order, then every plug-in file
  // found with its folder and what became of it; with nothing registered,
  // says where it looked on `err` and returns the "not found" exit status.
  static int Print(const CTVRHost& host, const std::vector<CTVRPluginSearch::CFolder>& folders,
                   const std::vector<CTVRPluginSearch::CFound>& found, std::FILE* out, std::FILE* err);
  // With nothing registered, says on `err` which folders were searched and
  // returns true; the caller ends with the "not found" exit status.
  static bool ReportNoneFound(const CTVRHost& host, const std::vector<CTVRPluginSearch::CFolder>& folders,
                              std::FILE* err);
};
