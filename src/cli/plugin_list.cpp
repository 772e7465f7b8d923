#include "cli/plugin_list.h"

#include <tavric/doc_template.h>
#include <tavric/protocol.h>

#include "cli/run_options.h"
#include "contract/host.h"

int CTVRPluginList::Print(const CTVRHost& host, const std::string& folder, std::FILE* out, std::FILE* err) {
  if (host.GetTemplates().empty() && host.GetProtocols().empty()) {
    std::fprintf(err, "tavric-run: no board type and no protocol found in %s (plug-ins are brd*.so and pro*.so)\n",
                 folder.c_str());
    return CTVRRunOptions::EXIT_NOT_FOUND;
  }
  std::fprintf(out, "Board types (class name, name offered by New):\n");
  if (host.GetTemplates().empty()) std::fprintf(out, "  (none)\n");
  for (const auto& pTemplate : host.GetTemplates())
    std::fprintf(out, "  %-24s %s\n", pTemplate->GetDocClass()->m_lpszClassName, pTemplate->GetFileNewName().c_str());
  std::fprintf(out, "Protocols (name, menu identifier):\n");
  if (host.GetProtocols().empty()) std::fprintf(out, "  (none)\n");
  for (CTVRProtocol* pProtocol : host.GetProtocols())
    std::fprintf(out, "  %-24s %u\n", pProtocol->GetName().c_str(), unsigned(pProtocol->GetMenuId()));
  std::fflush(out);
  return CTVRRunOptions::EXIT_DONE;
}
