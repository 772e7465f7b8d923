// The document's private message: the next statement of a run, posted when a
// directive ended at once inside another statement's EndCommand.
#pragma once

#include <tavric/messages.h>

inline tvr::UINT GetContinueRunMessage() {
  static const tvr::UINT id = RegisterMessage("Tavric::Continue");
  return id;
}
