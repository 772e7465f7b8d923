// The Protocol menu, rebuilt each time it opens: one item per registered
// protocol, a separator, then the selected protocol's own commands.
#include <cstdio>

#include <tavric/board_doc.h>
#include <tavric/protocol.h>
#include <tavric/resources.h>

#include "contract/host_context.h"
#include "document/board_doc_private.h"
#include "document/board_doc_texts.h"
#include "platform/menu_editor.h"

using namespace tvr_doc_texts;

namespace {

// The command of the item that stands for the protocol commands when there are none.
constexpr UINT kNoCommandsId = 1;

// The first popup of the protocol's menu resource, when it has items.
const CTVRMenuItem* FindProtocolPopup(CTVRProtocol* pProtocol) {
  if (pProtocol == nullptr || pProtocol->GetMenuId() == 0) return nullptr;
  const CTVRMenu* pMenu = FindMenu(UINT(pProtocol->GetMenuId()));
  if (pMenu == nullptr) return nullptr;
  for (const CTVRMenuItem& item : *pMenu)
    if (item.IsPopup()) return &item;
  return nullptr;
}

}  // namespace

void CTVRBoardDocPrivate::OnUpdateProtocols(CTVRCmdUI* pCmdUI) {
  auto* pMenu = static_cast<CTVRMenuEditor*>(pCmdUI->m_pMenu);
  if (!pCmdUI->m_bIsMenuItem || pMenu == nullptr) {
    pCmdUI->Enable(m_nProtocolMenuCount > 1);
    return;
  }

  // The items of the previous update go first; the very first time, the
  // count of 1 removes the placeholder itself.
  int position = pCmdUI->m_nIndex;
  for (int i = 0; i < m_nProtocolMenuCount; ++i) pMenu->RemoveItem(position);
  m_nProtocolMenuCount = 0;
  auto insert = [&](const CTVRMenuItem& item, UINT flags) {
    pMenu->InsertItem(position++, item, flags);
    ++m_nProtocolMenuCount;
  };

  const auto& protocols = GetHostContext()->Host().GetProtocols();
  if (protocols.empty()) {
    insert({ID_PROTOCOL_FIRST, kNoProtocols, {}}, CTVRMenuEditor::ITEM_DISABLED | CTVRMenuEditor::ITEM_GRAYED);
  } else {
    for (std::size_t i = 0; i < protocols.size(); ++i) {
      char accelerator[16];
      std::snprintf(accelerator, sizeof(accelerator), "&%d  ", int(i + 1));
      const std::string name = protocols[i] != nullptr ? protocols[i]->GetName() : std::string();
      const bool selected = protocols[i] != nullptr && protocols[i] == m_pProtocol;
      insert({UINT(ID_PROTOCOL_FIRST + i), accelerator + name, {}}, selected ? UINT(CTVRMenuEditor::ITEM_CHECKED) : 0u);
    }
    insert(CTVRMenuItem{}, 0);
    const CTVRMenuItem* pPopup = FindProtocolPopup(m_pProtocol);
    if (pPopup != nullptr) {
      for (const CTVRMenuItem& item : pPopup->m_children) insert(item, 0);
    } else {
      insert({kNoCommandsId, kNoCommands, {}}, CTVRMenuEditor::ITEM_GRAYED);
    }
  }

  // The shell's update goes on with the item after the inserted ones.
  pCmdUI->m_nIndex = position;
  pCmdUI->m_nIndexMax = pMenu->GetItemCount();
}
