#include "contract/plugin_loader.h"

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <strings.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include <tavric/plugin.h>

#include "contract/host.h"

namespace {

// Handles whose init has run: dlopen of a library already in the process gives
// the same handle, and running its init twice would register everything twice.
std::set<void*>& InitialisedHandles() {
  static std::set<void*> handles;
  return handles;
}

void Debug(const std::string& text) {
  if (CTVRPluginLoader::IsDebugEnabled()) std::fprintf(stderr, "tavric: plug-ins: %s\n", text.c_str());
}

std::string LastDlError() {
  const char* text = dlerror();
  return text != nullptr ? text : "unknown error";
}

}  // namespace

bool CTVRPluginLoader::IsDebugEnabled() {
  const char* value = std::getenv("TAVRIC_PLUGIN_DEBUG");
  return value != nullptr && *value != '\0';
}

bool CTVRPluginLoader::IsPluginFileName(const std::string& name) {
  static constexpr char kSuffix[] = ".so";
  constexpr std::size_t suffixLength = sizeof(kSuffix) - 1;
  if (name.size() < 3 + suffixLength) return false;
  if (name.compare(name.size() - suffixLength, suffixLength, kSuffix) != 0) return false;
  return strncasecmp(name.c_str(), "brd", 3) == 0 || strncasecmp(name.c_str(), "pro", 3) == 0;
}

std::vector<CTVRPluginLoader::CResult> CTVRPluginLoader::LoadFolder(const std::string& folder) {
  std::vector<CResult> results;
  const std::string dir = folder.empty() ? std::string(".") : folder;
  DIR* pDir = opendir(dir.c_str());
  if (pDir == nullptr) {
    Debug("cannot read the folder " + dir + ": " + std::strerror(errno));
    return results;
  }
  // The listing is taken whole before any library loads, so a plug-in that
  // writes into the folder while it initialises cannot change what is seen.
  std::vector<std::string> names;
  while (dirent* pEntry = readdir(pDir)) names.emplace_back(pEntry->d_name);
  closedir(pDir);

  for (const std::string& name : names) {
    if (name == "." || name == "..") continue;
    if (!IsPluginFileName(name)) {
      Debug(name + ": skipped, not a plug-in name");
      continue;
    }
    const std::string path = dir + "/" + name;
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
      Debug(name + ": skipped, not a regular file");
      continue;
    }
    results.push_back(LoadLibrary(dir, name));
  }
  return results;
}

CTVRPluginLoader::CResult CTVRPluginLoader::LoadLibrary(const std::string& folder, const std::string& name) {
  // With a slash in the path dlopen takes the file itself instead of searching
  // the library path for a namesake.
  const std::string path = folder + "/" + name;
  CTVRHost& host = CTVRHost::Instance();
  const std::size_t nTemplates = host.GetTemplates().size();
  const std::size_t nProtocols = host.GetProtocols().size();
  CTVRCrypto* pCrypto = host.GetCrypto();

  dlerror();
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    std::string reason = LastDlError();
    Debug(name + ": not loaded: " + reason);
    return {name, PLUGIN_LOAD_FAILED, reason};
  }
  if (InitialisedHandles().count(handle) != 0) {
    dlclose(handle);  // drops the reference this call added, the library stays
    Debug(name + ": already loaded");
    return {name, PLUGIN_ALREADY_LOADED, {}};
  }

  using AbiVersionFn = int (*)();
  if (auto fnAbi = reinterpret_cast<AbiVersionFn>(dlsym(handle, "TavricPluginAbiVersion"))) {
    const int version = fnAbi();
    if (version != TAVRIC_ABI_VERSION) {
      // Whatever its static initialisers registered points into a library
      // about to be unloaded, and with a layout the host does not share.
      host.TruncateRegistries(nTemplates, nProtocols);
      host.SetCrypto(pCrypto);
      dlclose(handle);
      std::string reason =
          "ABI version " + std::to_string(version) + ", the host's is " + std::to_string(TAVRIC_ABI_VERSION);
      Debug(name + ": skipped, " + reason);
      return {name, PLUGIN_ABI_MISMATCH, reason};
    }
  }

  InitialisedHandles().insert(handle);
  using InitFn = void (*)();
  if (auto fnInit = reinterpret_cast<InitFn>(dlsym(handle, "TavricPluginInit"))) fnInit();
  Debug(name + ": loaded");
  return {name, PLUGIN_LOADED, {}};
}
