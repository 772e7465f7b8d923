#include "cli/run_plugins.h"

#include <strings.h>

#include <fstream>
#include <iterator>

#include <tavric/doc_template.h>
#include <tavric/protocol.h>

#include "cli/run_options.h"
#include "contract/host_context.h"

namespace {

// The cyphering directive; a script that cannot be read has none, and its run
// fails on it as any other.
bool AsksForCyphering(const std::string& script) {
  std::ifstream in(script, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return text.find(".3des(") != std::string::npos;
}

}  // namespace

std::vector<CTVRPluginSearch::CFound> CTVRRunPlugins::Load(CTVRHostContext& context,
                                                           const std::vector<CTVRPluginSearch::CFolder>& folders,
                                                           const CTVRRunOptions& options) {
  // A restored document's board type and protocol, and a quick command's
  // text, are known only once the plug-ins are there.
  if (options.m_eCommand != CTVRRunOptions::COMMAND_RUN || !options.m_bPluginsNamed || options.m_bRestore ||
      options.m_nQuick != 0 || AsksForCyphering(options.m_strScript))
    return CTVRPluginSearch::Load(context, folders);
  const CTVRHost& host = context.Host();
  return CTVRPluginSearch::LoadFirst(
      context, folders,
      [&](const std::string& fileName) {
        return CTVRPluginSearch::IsNamedFile(fileName, "brd", options.m_strBoard) ||
               CTVRPluginSearch::IsNamedFile(fileName, "pro", options.m_strProtocol);
      },
      [&] {
        std::string known;
        if (FindBoardType(host, options.m_strBoard, known) == nullptr) return false;
        for (const CTVRProtocol* pProtocol : host.GetProtocols())
          if (pProtocol != nullptr && pProtocol->GetName() == options.m_strProtocol) return true;
        return false;
      });
}

CTVRDocTemplate* CTVRRunPlugins::FindBoardType(const CTVRHost& host, const std::string& name, std::string& known) {
  for (const auto& pTemplate : host.GetTemplates()) {
    const char* className = pTemplate->GetDocClass()->m_lpszClassName;
    // By class, by the name New offers, or by the short name of its titles ("sim", "pcsc").
    if (strcasecmp(className, name.c_str()) == 0 ||
        (!pTemplate->GetFileNewName().empty() && strcasecmp(pTemplate->GetFileNewName().c_str(), name.c_str()) == 0) ||
        (!pTemplate->GetDocName().empty() && strcasecmp(pTemplate->GetDocName().c_str(), name.c_str()) == 0))
      return pTemplate.get();
    known += known.empty() ? "" : ", ";
    known += className;
  }
  return nullptr;
}
