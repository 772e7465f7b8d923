// The host's own view hint, beside the numbered hints of document.h: a run
// ends before its end, and why. Sent just before the run is stopped, so the
// next-statement mark is still on the statement that was running. Views that
// do not know it ignore it.
#pragma once

#include <tavric/types.h>

// Not a bit of the trace record hint (16), so trace views pass it by.
inline constexpr tvr::LPARAM HINT_RUN_ENDED_EARLY = 64;

// The object sent with the hint: a pointer to one of these.
enum ERunEndCause : int {
  RUN_END_READER_ERROR = 1,  // the reader reported an error and the run stopped on it
  RUN_END_PLUGIN_FAULT = 2,  // a call into a board or protocol plug-in threw
};
