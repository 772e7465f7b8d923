#include <tavric/crypto_settings.h>
#include <tavric/prompts.h>

#include "platform/user_prompts.h"

TVR_API void TVRMessageBox(const std::string& text) {
  CTVRUserPrompts::Get().MessageBox(text);
}

TVR_API void TVRMessageBeep(tvr::UINT type) {
  CTVRUserPrompts::Get().MessageBeep(type);
}

TVR_API tvr::BOOL TVRShowCryptoSettings(CTVRCryptoSettings& settings) {
  return CTVRUserPrompts::Get().EditCryptoSettings(settings);
}
