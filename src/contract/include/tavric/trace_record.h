// One record of the trace, as views receive it with hint 16. The pointer is
// valid during the notification only.
#pragma once

#include <tavric/types.h>

// Trace record kinds.
enum ETraceKind : int {
  TRACE_SENT = 0,             // bytes sent to the reader
  TRACE_RECEIVED = 1,         // bytes received from the reader
  TRACE_COMMENT = 2,          // script comments, loopback success
  TRACE_ANSWER_TEXT = 3,      // decoded answer, shown after "IFD -> PC :"
  TRACE_COMMAND_NAME = 4,     // command name, shown after "PC -> IFD :"
  TRACE_CLEAR = 5,            // clear the view
  TRACE_KEEP = 6,             // copy the view text into the document's kept text
  TRACE_RELOAD_SENT = 7,      // reloaded line of sent data
  TRACE_RELOAD_RECEIVED = 8,  // reloaded line of received data
  TRACE_RELOAD_COMMENT = 9,   // reloaded comment line
  TRACE_SAVE_LOG = 10,        // save the view text to the log file
  TRACE_SAVE_LOG_AS = 11,     // ask for a name, then save
  TRACE_INFO = 12,            // information texts of the script interpreter
};

struct CTVRTraceRecord {
  int m_nKind;
  const tvr::BYTE* m_pData;
  tvr::DWORD m_dwCount;
};
