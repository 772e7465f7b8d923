// The functions a plug-in calls while it loads, GetActiveBoard and the loading
// of description files by name. Their signatures carry no context: they reach
// the installed one (see CTVRHostContext::Install); without one they do
// nothing, and description files come from the executable's data folder.
#include <dlfcn.h>

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
#include "contract/install_layout.h"

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

// The folder of the library the caller's code is in: the plug-in that loads
// its own description file keeps it beside itself, or in the data folder.
std::string CallerFolder(const void* pCode) {
  Dl_info info{};
  if (dladdr(pCode, &info) == 0 || info.dli_fname == nullptr || *info.dli_fname == '\0') return {};
  const std::string path(info.dli_fname);
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string DescriptionPath(const std::string& fileName, const void* pCaller) {
  CTVRHostContext* pContext = CTVRHostContext::GetInstalled();
  const std::string dataFolder = pContext != nullptr ? pContext->Host().GetDataFolder()
                                                     : CTVRInstallLayout::DataFolder(CTVRHost::ExecutableFolder());
  return CTVRInstallLayout::DescriptionPath(fileName, CallerFolder(pCaller), dataFolder);
}

}  // namespace

void CCmdCode::LoadFile(const std::string& fileName) {
  LoadPath(DescriptionPath(fileName, __builtin_return_address(0)));
}

void CErrorCode::LoadFile(const std::string& fileName) {
  LoadPath(DescriptionPath(fileName, __builtin_return_address(0)));
}
