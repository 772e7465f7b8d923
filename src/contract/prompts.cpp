// The SDK's prompts go to the installed context's; without one, to headless
// prompts (the text on stderr, the default answer).
#include <tavric/crypto_settings.h>
#include <tavric/prompts.h>

#include "contract/host_context.h"

namespace {

template <typename Fn>
auto WithPrompts(Fn fn) {
  if (CTVRHostContext* pContext = CTVRHostContext::GetInstalled()) return fn(pContext->Prompts());
  CTVRHeadlessPrompts headless;
  return fn(headless);
}

}  // namespace

TVR_API void TVRMessageBox(const std::string& text) {
  WithPrompts([&](CTVRUserPrompts& prompts) { prompts.MessageBox(text); });
}

TVR_API void TVRMessageBeep(tvr::UINT type) {
  WithPrompts([&](CTVRUserPrompts& prompts) { prompts.MessageBeep(type); });
}

TVR_API tvr::BOOL TVRShowCryptoSettings(CTVRCryptoSettings& settings) {
  return WithPrompts([&](CTVRUserPrompts& prompts) { return prompts.EditCryptoSettings(settings); });
}
