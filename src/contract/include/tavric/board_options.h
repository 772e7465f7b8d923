// Options that the program hands to the board it opens, by name: what a
// command line says for one run ("reader" for tavric-run's --reader), before
// whatever the board stored in the document's section. Empty when not given.
#pragma once

#include <string>

#include <tavric/types.h>

TVR_API void SetBoardOption(const std::string& name, const std::string& value);
TVR_API std::string GetBoardOption(const std::string& name);
