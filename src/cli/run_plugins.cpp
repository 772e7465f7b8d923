#include "cli/run_plugins.h"

#include <strings.h>

#include <tavric/doc_template.h>
#include <tavric/protocol.h>

#include "cli/run_options.h"
#include "contract/host_context.h"
#include "document/script_text.h"
#include "platform/file_reader.h"

namespace {

// The cyphering directive, in any letter case, as the interpreter takes it;
// a script that cannot be read has none (its run fails on it as any other),
// and a pipe or a device is not read here.
bool AsksForCyphering(const std::string& script) {
  std::string text;
  return CTVRFileReader::ReadAll(script, text) == CTVRFileReader::READ_OK && tvr_script::Mentions(text, ".3des(");
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
