// tavric-run --list: the board types and protocols the plug-ins registered.
#pragma once

#include <cstdio>
#include <string>

class CTVRHost;

class CTVRPluginList {
 public:
  // Prints both registries in registration order; with nothing registered,
  // says so on `err` and returns the "not found" exit status.
  static int Print(const CTVRHost& host, const std::string& folder, std::FILE* out, std::FILE* err);
};
