#include "cli/plugin_list.h"

#include <string>

#include <tavric/doc_template.h>
#include <tavric/protocol.h>

#include "cli/run_options.h"
#include "contract/host.h"

namespace {

std::string Fate(const CTVRPluginSearch::CFound& found) {
  if (!found.m_strHiddenBy.empty()) return "hidden by " + found.m_strHiddenBy;
  switch (found.m_Result.m_eResult) {
    case CTVRPluginLoader::PLUGIN_LOADED:
      return "loaded";
    case CTVRPluginLoader::PLUGIN_ALREADY_LOADED:
      return "already loaded";
    default:
      break;
  }
  return "not loaded: " + found.m_Result.m_strReason;
}

}  // namespace

bool CTVRPluginList::ReportNoneFound(const CTVRHost& host, const std::vector<CTVRPluginSearch::CFolder>& folders,
                                     std::FILE* err) {
  if (!host.GetTemplates().empty() || !host.GetProtocols().empty()) return false;
  std::string searched;
  for (const CTVRPluginSearch::CFolder& folder : folders) searched += (searched.empty() ? "" : ", ") + folder.m_strPath;
  std::fprintf(err, "tavric-run: no board type and no protocol found in %s (plug-ins are brd*.so and pro*.so)\n",
               searched.c_str());
  return true;
}

int CTVRPluginList::Print(const CTVRHost& host, const std::vector<CTVRPluginSearch::CFolder>& folders,
                          const std::vector<CTVRPluginSearch::CFound>& found, std::FILE* out, std::FILE* err) {
  if (ReportNoneFound(host, folders, err)) return CTVRRunOptions::EXIT_NOT_FOUND;
  std::fprintf(out, "Board types (class name, name offered by New):\n");
  if (host.GetTemplates().empty()) std::fprintf(out, "  (none)\n");
  for (const auto& pTemplate : host.GetTemplates())
    std::fprintf(out, "  %-24s %s\n", pTemplate->GetDocClass()->m_lpszClassName, pTemplate->GetFileNewName().c_str());
  std::fprintf(out, "Protocols (name, menu identifier):\n");
  if (host.GetProtocols().empty()) std::fprintf(out, "  (none)\n");
  for (CTVRProtocol* pProtocol : host.GetProtocols())
    std::fprintf(out, "  %-24s %u\n", pProtocol->GetName().c_str(), unsigned(pProtocol->GetMenuId()));
  std::fprintf(out, "Plug-ins (file, where found, folder, what became of it):\n");
  for (const CTVRPluginSearch::CFound& plugin : found)
    std::fprintf(out, "  %-24s %-18s %s: %s\n", plugin.m_Result.m_strFileName.c_str(),
                 CTVRPluginSearch::OriginName(plugin.m_Folder.m_eOrigin), plugin.m_Folder.m_strPath.c_str(),
                 Fate(plugin).c_str());
  std::fflush(out);
  return CTVRRunOptions::EXIT_DONE;
}
