#include "contract/plugin_loader.h"

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <map>
#include <set>

#include <tavric/plugin.h>

#include "contract/host_context.h"

namespace {

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
  for (const std::string& name : ListFolder(dir)) results.push_back(LoadLibrary(dir, name));
  return results;
}

std::vector<std::string> CTVRPluginLoader::ListFolder(const std::string& folder) {
  std::vector<std::string> plugins;
  const std::string dir = folder.empty() ? std::string(".") : folder;
  DIR* pDir = opendir(dir.c_str());
  if (pDir == nullptr) {
    Debug("cannot read the folder " + dir + ": " + std::strerror(errno));
    return plugins;
  }
  // The listing is taken whole before any library loads, so a plug-in that
  // writes into the folder while it initialises cannot change what is seen.
  std::vector<std::string> names;
  while (dirent* pEntry = readdir(pDir)) names.emplace_back(pEntry->d_name);
  closedir(pDir);
  // Registration order is load order, which decides the order of the New
  // list and which cyphering object wins: it must not depend on how a file
  // system happens to list a folder. Names are taken alphabetically, letter
  // case ignored, as the desktop platform's own listing gave them.
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const int order = strcasecmp(a.c_str(), b.c_str());
    return order != 0 ? order < 0 : a < b;
  });

  for (const std::string& name : names) {
    if (name == "." || name == "..") continue;
    if (!IsPluginFileName(name)) {
      Debug(name + ": skipped, not a plug-in name");
      continue;
    }
    struct stat info {};
    if (stat((dir + "/" + name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
      Debug(name + ": skipped, not a regular file");
      continue;
    }
    plugins.push_back(name);
  }
  return plugins;
}

CTVRPluginLoader::CResult CTVRPluginLoader::LoadLibrary(const std::string& folder, const std::string& name) {
  // With a slash in the path dlopen takes the file itself instead of searching
  // the library path for a namesake.
  const std::string path = folder + "/" + name;
  CTVRHostContext::CInstalledScope installed(m_Context);
  CTVRHost& host = m_Context.Host();
  // Handles whose init has run into this context: dlopen of a library already
  // in the process gives the same handle, and running its init twice would
  // register everything twice. Libraries whose init threw stay loaded but
  // inert; a later load of the same library gives the same refusal.
  std::set<void*>& initialised = m_Context.InitialisedPlugins();
  std::map<void*, std::string>& failed = m_Context.FailedPlugins();
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
  if (auto refused = failed.find(handle); refused != failed.end()) {
    dlclose(handle);
    Debug(name + ": skipped, " + refused->second);
    return {name, PLUGIN_INIT_FAILED, refused->second};
  }
  if (initialised.count(handle) != 0) {
    dlclose(handle);  // drops the reference this call added, the library stays
    Debug(name + ": already loaded");
    return {name, PLUGIN_ALREADY_LOADED, {}};
  }

  // Whatever a refused library registered points into a library about to be
  // unloaded (or left inert), with a layout the host may not share.
  auto refuse = [&](EPluginResult result, const std::string& reason, bool unload) -> CResult {
    host.RollBackRegistrations(nTemplates, nProtocols, pCrypto);
    if (unload)
      dlclose(handle);
    else
      failed.emplace(handle, reason);
    Debug(name + ": skipped, " + reason);
    return {name, result, reason};
  };

  using AbiVersionFn = int (*)();
  using InitFn = void (*)();
  auto fnAbi = reinterpret_cast<AbiVersionFn>(dlsym(handle, "TavricPluginAbiVersion"));
  auto fnInit = reinterpret_cast<InitFn>(dlsym(handle, "TavricPluginInit"));
  if (fnAbi != nullptr) {
    const int version = fnAbi();
    if (version != TAVRIC_ABI_VERSION)
      return refuse(PLUGIN_ABI_MISMATCH,
                    "ABI version " + std::to_string(version) + ", the host's is " + std::to_string(TAVRIC_ABI_VERSION),
                    true);
  } else if (fnInit != nullptr) {
    // An init entry is the SDK's way, and the SDK always says which version
    // it is; one without the other was not built with the SDK's macro and
    // cannot be trusted with the host's classes. (A library that registers
    // from its static initialisers alone, the oldest way, has no entry to
    // check and is taken as it is.)
    return refuse(PLUGIN_ABI_MISMATCH, "no ABI version (TavricPluginAbiVersion is missing)", true);
  }

  if (fnInit != nullptr) {
    try {
      fnInit();
    } catch (const std::exception& e) {
      return refuse(PLUGIN_INIT_FAILED, std::string("its init failed: ") + e.what(), false);
    } catch (...) {
      return refuse(PLUGIN_INIT_FAILED, "its init failed with an unknown exception", false);
    }
  }
  initialised.insert(handle);
  for (std::size_t i = nProtocols; i < host.GetProtocols().size(); ++i)
    host.SetPluginFolder(host.GetProtocols()[i], folder);
  Debug(name + ": loaded");
  return {name, PLUGIN_LOADED, {}};
}
