// The functions a plug-in calls while it loads, and GetActiveBoard.
#include <memory>

#include <tavric/board_doc.h>
#include <tavric/doc_template.h>
#include <tavric/messages.h>
#include <tavric/plugin.h>

#include "contract/host.h"

void AddBoardType(const CTVRRuntimeClass* pDocClass, tvr::UINT nIDResource) {
  if (pDocClass == nullptr) return;
  CTVRHost::Instance().AddTemplate(std::make_unique<CTVRDocTemplate>(nIDResource, pDocClass));
}

void AddProtocol(CTVRProtocol* pProtocol) {
  CTVRHost::Instance().AddProtocol(pProtocol);
}

void AddCrypto(CTVRCrypto* pCrypto) {
  CTVRHost::Instance().SetCrypto(pCrypto);
}

tvr::HWND GetActiveBoard() {
  return CTVRHost::Instance().GetActiveBoardWindow();
}
