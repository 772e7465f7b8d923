#include "contract/plugin_search.h"

#include <strings.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "contract/host_context.h"
#include "contract/install_layout.h"

namespace {

// Two spellings of one folder ("." and the run folder it is) are one.
std::string Identity(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path canonical = std::filesystem::canonical(path, ec);
  return ec ? path : canonical.string();
}

bool Failed(const CTVRPluginLoader::CResult& result) {
  return result.m_eResult != CTVRPluginLoader::PLUGIN_LOADED &&
         result.m_eResult != CTVRPluginLoader::PLUGIN_ALREADY_LOADED;
}

}  // namespace

std::vector<CTVRPluginSearch::CFolder> CTVRPluginSearch::Folders(const std::string& commandLineFolder,
                                                                 const std::string& programFolder) {
  std::vector<CFolder> candidates;
  if (!commandLineFolder.empty())
    candidates.push_back({commandLineFolder, ORIGIN_COMMAND_LINE});
  else if (!CTVRPluginLoader::ListFolder(".").empty())
    candidates.push_back({".", ORIGIN_CURRENT_FOLDER});
  if (const char* path = std::getenv("TAVRIC_PLUGIN_PATH")) {
    std::string list(path);
    for (std::size_t start = 0; start <= list.size();) {
      std::size_t end = list.find(':', start);
      if (end == std::string::npos) end = list.size();
      if (end > start) candidates.push_back({list.substr(start, end - start), ORIGIN_ENVIRONMENT});
      start = end + 1;
    }
  }
  const std::string user = CTVRInstallLayout::UserPluginFolder();
  if (!user.empty()) candidates.push_back({user, ORIGIN_USER});
  candidates.push_back({CTVRInstallLayout::PluginFolder(programFolder), ORIGIN_INSTALLED});

  std::vector<CFolder> folders;
  std::vector<std::string> seen;
  for (CFolder& folder : candidates) {
    const std::string identity = Identity(folder.m_strPath);
    bool met = false;
    for (const std::string& earlier : seen) met = met || earlier == identity;
    if (met) continue;
    seen.push_back(identity);
    folders.push_back(std::move(folder));
  }
  return folders;
}

std::vector<CTVRPluginSearch::CFound> CTVRPluginSearch::Load(CTVRHostContext& context,
                                                             const std::vector<CFolder>& folders) {
  return LoadFirst(
      context, folders, [](const std::string&) { return true; }, [] { return true; });
}

std::vector<CTVRPluginSearch::CFound> CTVRPluginSearch::LoadFirst(CTVRHostContext& context,
                                                                  const std::vector<CFolder>& folders,
                                                                  const std::function<bool(const std::string&)>& first,
                                                                  const std::function<bool()>& enough) {
  struct CFile {
    const CFolder* m_pFolder;
    std::string m_strName;
    bool m_bFirst;
  };
  std::vector<CFile> files;
  for (const CFolder& folder : folders)
    for (std::string& name : CTVRPluginLoader::ListFolder(folder.m_strPath))
      files.push_back({&folder, name, first(name)});

  CTVRHost& host = context.Host();
  CTVRPluginLoader loader(context);
  std::vector<std::optional<CFound>> found(files.size());
  // The file each registration came from, in registration order, and the
  // last file that set a cyphering object: a load out of turn is put back
  // into search order afterwards.
  std::vector<std::size_t> templateFiles, protocolFiles;
  std::size_t cryptoFile = 0;
  CTVRCrypto* pCrypto = nullptr;
  const auto load = [&](bool bFirst) {
    for (std::size_t i = 0; i < files.size(); ++i) {
      const CFile& file = files[i];
      if (file.m_bFirst != bFirst) continue;
      // Namesakes are all of one pass: the earlier files of another pass
      // never hide this one.
      std::string hiddenBy;
      for (std::size_t j = 0; j < i; ++j) {
        const std::optional<CFound>& earlier = found[j];
        if (earlier && hiddenBy.empty() && earlier->m_strHiddenBy.empty() && !Failed(earlier->m_Result) &&
            strcasecmp(earlier->m_Result.m_strFileName.c_str(), file.m_strName.c_str()) == 0)
          hiddenBy = earlier->m_Folder.m_strPath + "/" + earlier->m_Result.m_strFileName;
      }
      if (!hiddenBy.empty()) {
        found[i] = CFound{*file.m_pFolder, {file.m_strName, CTVRPluginLoader::PLUGIN_LOADED, {}}, hiddenBy};
        continue;
      }
      CTVRCrypto* const pBefore = host.GetCrypto();
      found[i] = CFound{*file.m_pFolder, loader.LoadLibrary(file.m_pFolder->m_strPath, file.m_strName), {}};
      templateFiles.resize(host.GetTemplates().size(), i);
      protocolFiles.resize(host.GetProtocols().size(), i);
      if (host.GetCrypto() != pBefore && (pCrypto == nullptr || i >= cryptoFile)) {
        pCrypto = host.GetCrypto();
        cryptoFile = i;
      }
    }
  };
  load(true);
  bool bOutOfTurn = false;
  if (!enough()) {
    for (const CFile& file : files) bOutOfTurn = bOutOfTurn || file.m_bFirst;
    load(false);
  }
  if (bOutOfTurn) {
    host.SortRegistrations(templateFiles, protocolFiles);
    // The cyphering object of the last file in search order wins, as in a load in order.
    if (pCrypto != nullptr) host.SetCrypto(pCrypto);
  }
  std::vector<CFound> inOrder;
  for (std::optional<CFound>& entry : found)
    if (entry) inOrder.push_back(std::move(*entry));
  return inOrder;
}

bool CTVRPluginSearch::IsNamedFile(const std::string& fileName, const char* prefix, const std::string& name) {
  std::string key;
  for (const char c : name)
    if (std::isalnum(static_cast<unsigned char>(c))) key += char(std::tolower(static_cast<unsigned char>(c)));
  const std::string expected = prefix + key + ".so";
  return !key.empty() && strcasecmp(fileName.c_str(), expected.c_str()) == 0;
}

const char* CTVRPluginSearch::OriginName(EOrigin eOrigin) {
  switch (eOrigin) {
    case ORIGIN_COMMAND_LINE:
      return "--plugins";
    case ORIGIN_CURRENT_FOLDER:
      return "current folder";
    case ORIGIN_ENVIRONMENT:
      return "TAVRIC_PLUGIN_PATH";
    case ORIGIN_USER:
      return "user";
    case ORIGIN_INSTALLED:
      break;
  }
  return "installed";
}

std::vector<std::string> CTVRPluginSearch::Replacements(const std::vector<CFound>& found) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < found.size(); ++i) {
    if (!Failed(found[i].m_Result) || !found[i].m_strHiddenBy.empty()) continue;
    for (std::size_t j = i + 1; j < found.size(); ++j) {
      const CFound& later = found[j];
      if (later.m_strHiddenBy.empty() && !Failed(later.m_Result) &&
          strcasecmp(later.m_Result.m_strFileName.c_str(), found[i].m_Result.m_strFileName.c_str()) == 0) {
        lines.push_back(found[i].m_Folder.m_strPath + "/" + found[i].m_Result.m_strFileName + " was not loaded (" +
                        found[i].m_Result.m_strReason + "); " + later.m_Folder.m_strPath + "/" +
                        later.m_Result.m_strFileName + " is used instead");
        break;
      }
    }
  }
  return lines;
}
