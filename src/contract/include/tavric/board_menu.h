// The reader menus every board type of ours registers: Reader (Connect,
// Disconnect and, for a board with a settings window, Settings...), Script
// (the run commands and the script types) and Protocol (filled by the host).
// Inline, so it adds nothing to the plug-in interface.
#pragma once

#include <tavric/board_doc.h>
#include <tavric/resources.h>

inline CTVRMenu TVRBoardMenu(bool bWithSettings) {
  CTVRMenuItem reader{0, "&Reader", {{ID_READER_CONNECT, "&Connect", {}}, {ID_READER_DISCONNECT, "&Disconnect", {}}}};
  if (bWithSettings) {
    reader.m_children.push_back({});
    reader.m_children.push_back({ID_READER_SETTINGS, "S&ettings...", {}});
  }
  return {
      reader,
      {0,
       "&Script",
       {{ID_SCRIPT_START, "&Start", {}},
        {ID_SCRIPT_STEP, "S&tep", {}},
        {ID_SCRIPT_STOP, "Sto&p", {}},
        {ID_SCRIPT_LOOP, "&Loop", {}},
        {},
        {ID_SCRIPT_RAWDATA, "&Raw data", {}},
        {ID_SCRIPT_COMMANDS, "&Commands", {}},
        {ID_SCRIPT_APDU, "&APDU", {}}}},
      {0, "&Protocol", {{ID_PROTOCOL_FIRST, "Protocols", {}}}},
  };
}
