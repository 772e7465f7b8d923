// What a plug-in may show the user. In the desktop program these are modal
// message boxes; in the runner the text goes to stderr; in tests a recorder
// keeps it. Nothing headless ever blocks on a prompt.
#pragma once

#include <string>

#include <tavric/types.h>

// A modal information box with an OK button.
TVR_API void TVRMessageBox(const std::string& text);

// The system beep: type 0 for a reader event, 10 for a passed loopback test.
TVR_API void TVRMessageBeep(tvr::UINT type);
