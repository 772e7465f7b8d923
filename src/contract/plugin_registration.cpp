// The functions a plug-in calls while it loads, GetActiveBoard and the loading
// of description files by name. Their signatures carry no context: they reach
// the installed one (see CTVRHostContext::Install); without one they do
// nothing, and description files come from the executable's folder.
#include <memory>
#include <string>

#include <tavric/board_doc.h>
#include <tavric/cmd_code.h>
#include <tavric/doc_template.h>
#include <tavric/error_code.h>
#include <tavric/messages.h>
#include <tavric/plugin.h>
#include <tavric/protocol.h>

#include "contract/host_context.h"

void AddBoardType(const CTVRRuntimeClass* pDocClass, tvr::UINT nIDResource) {
  CTVRHostContext* pContext = CTVRHostContext::GetInstalled();
  if (pDocClass == nullptr || pContext == nullptr) return;
  pContext->Host().AddTemplate(std::make_unique<CTVRDocTemplate>(nIDResource, pDocClass));
}

void AddProtocol(CTVRProtocol* pProtocol) {
  CTVRHostContext* pContext = CTVRHostContext::GetInstalled();
  if (pContext != nullptr)
    pContext->Host().AddProtocol(pProtocol);
  else
    delete pProtocol;  // handed over for good, and nobody to take it
}

void AddCrypto(CTVRCrypto* pCrypto) {
  if (CTVRHostContext* pContext = CTVRHostContext::GetInstalled()) pContext->Host().SetCrypto(pCrypto);
}

tvr::HWND GetActiveBoard() {
  CTVRHostContext* pContext = CTVRHostContext::GetInstalled();
  return pContext != nullptr ? pContext->Host().GetActiveBoardWindow() : 0;
}

namespace {

std::string ProgramFolder() {
  CTVRHostContext* pContext = CTVRHostContext::GetInstalled();
  return pContext != nullptr ? pContext->GetProgramFolder() : CTVRHost::ExecutableFolder();
}

}  // namespace

void CCmdCode::LoadFile(const std::string& fileName) {
  LoadPath(ProgramFolder() + "/" + fileName);
}

void CErrorCode::LoadFile(const std::string& fileName) {
  LoadPath(ProgramFolder() + "/" + fileName);
}
