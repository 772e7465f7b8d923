// A test's own host context: installed while it lives, so the plug-ins' free
// functions reach it, and gone with everything it holds (board types,
// protocols, documents, prompts) when the test ends.
#pragma once

#include "contract/host_context.h"

class CTVRTestContext : public CTVRHostContext {
 public:
  CTVRTestContext() { Install(); }
};
