// Protocol selection: by name when a document is restored, by position from
// the Protocol menu; and the command route that ends with the selected protocol.
#include <tavric/board_doc.h>

#include <tavric/doc_template.h>
#include <tavric/protocol.h>

#include "contract/host_context.h"
#include "decode/protocol_family.h"
#include "document/board_doc_private.h"
#include "document/plugin_guard.h"

void CTVRBoardDocPrivate::SelectProtocol(const std::string& name, BYTE standard) {
  // Names are matched exactly, letter case included; the first registered wins.
  for (CTVRProtocol* pProtocol : GetHostContext()->Host().GetProtocols()) {
    if (pProtocol == nullptr || pProtocol->GetName() != name) continue;
    m_pProtocol = pProtocol;
    pProtocol->SetStandard(standard);
    LoadDescriptionFiles(*pProtocol);
    return;
  }
}

void CTVRBoardDocPrivate::LoadDescriptionFiles(CTVRProtocol& protocol) {
  CTVRHost& host = GetHostContext()->Host();
  CTVRProtocolFamily::ForProtocol(protocol).LoadDescriptionFiles(
      protocol, [&](const std::string& name) { return host.DescriptionPath(name, &protocol); });
}

void CTVRBoardDocPrivate::OnProtocols(UINT nID) {
  const auto& protocols = GetHostContext()->Host().GetProtocols();
  if (nID < ID_PROTOCOL_FIRST) return;
  const std::size_t index = nID - ID_PROTOCOL_FIRST;
  if (index >= protocols.size() || protocols[index] == nullptr) return;
  m_pProtocol = protocols[index];
  // Loaded again on every choice, so edited description files take effect.
  LoadDescriptionFiles(*m_pProtocol);
  m_pProtocol->SetConnected(m_Doc.IsConnected());
}

BOOL CTVRBoardDoc::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  // The route: the document, its template, then the selected protocol; the
  // items of the protocol's own menu and the host's protocol-side commands end
  // there. An update query first looks for a real update handler all along the
  // route, so that a protocol can enable or check a command that an earlier
  // target merely knows.
  auto route = [&](int code) -> BOOL {
    if (CTVRDocument::OnCmdMsg(nID, code, pExtra, pHandlerInfo)) return TRUE;
    if (CTVRDocTemplate* pTemplate = GetDocTemplate();
        pTemplate != nullptr && pTemplate->OnCmdMsg(nID, code, pExtra, pHandlerInfo))
      return TRUE;
    return d->m_pProtocol != nullptr && d->m_pProtocol->OnCmdMsg(nID, code, pExtra, pHandlerInfo) ? TRUE : FALSE;
  };
  // Board and protocol handlers are plug-in code.
  BOOL handled = FALSE;
  CTVRPluginGuard::Call(*this, CTVRPluginGuard::COMMAND, [&] {
    handled = (nCode == CN_UPDATE_COMMAND_UI && route(CN_UPDATE_HANDLER_ONLY)) || route(nCode) ? TRUE : FALSE;
  });
  return handled;
}
