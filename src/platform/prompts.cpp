#include <tavric/prompts.h>

#include "platform/user_prompts.h"

TVR_API void TVRMessageBox(const std::string& text) {
  CTVRUserPrompts::Get().MessageBox(text);
}

TVR_API void TVRMessageBeep(tvr::UINT type) {
  CTVRUserPrompts::Get().MessageBeep(type);
}
