// Protocol selection: by name when a document is restored, by position from
// the Protocol menu; and the command route that ends with the selected protocol.
#include <tavric/board_doc.h>

#include <tavric/doc_template.h>
#include <tavric/protocol.h>

#include "contract/host.h"
#include "decode/protocol_family.h"

void CTVRBoardDoc::SelectProtocol(const std::string& name, BYTE standard) {
  // Names are matched exactly, letter case included; the first registered wins.
  for (CTVRProtocol* pProtocol : CTVRHost::Instance().GetProtocols()) {
    if (pProtocol == nullptr || pProtocol->GetName() != name) continue;
    m_pProtocol = pProtocol;
    pProtocol->SetStandard(standard);
    CTVRProtocolFamily::ForMenuId(pProtocol->GetMenuId()).LoadDescriptionFiles(*pProtocol);
    return;
  }
}

void CTVRBoardDoc::OnProtocols(UINT nID) {
  const auto& protocols = CTVRHost::Instance().GetProtocols();
  if (nID < ID_PROTOCOL_FIRST) return;
  const std::size_t index = nID - ID_PROTOCOL_FIRST;
  if (index >= protocols.size() || protocols[index] == nullptr) return;
  m_pProtocol = protocols[index];
  // Loaded again on every choice, so edited description files take effect.
  CTVRProtocolFamily::ForMenuId(m_pProtocol->GetMenuId()).LoadDescriptionFiles(*m_pProtocol);
  m_pProtocol->SetConnected(IsConnected());
}

BOOL CTVRBoardDoc::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  if (CTVRDocument::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  if (CTVRDocTemplate* pTemplate = GetDocTemplate();
      pTemplate != nullptr && pTemplate->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
    return TRUE;
  // The items of the protocol's own menu, and their update queries, end here.
  return m_pProtocol != nullptr && m_pProtocol->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo) ? TRUE : FALSE;
}
