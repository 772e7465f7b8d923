// Faults on cue in the simulated reader: what a reader of the field does
// wrong (a mute link, a cut or corrupt answer, a late one, an error, a card
// pulled out, the reader gone, a storm of events), armed by a script's
// .escape( or .config( or by tavric-run's --sim-fault, and done to the
// frames the host sends after it. Each fault is one row of one table
// (GetTable): its escape code, its name on the command line, its argument
// and what it does to one exchange; adding a fault is adding a row.
//
// Armed faults wait in order; each frame the host sends (Send, not the board
// services) takes the first one that is due, so faults armed together hit
// consecutive frames.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include <tavric/types.h>

#include "sim_exchange.h"

class CTVRSimFaults {
 public:
  struct CRow {
    tvr::DWORD m_dwEscape;   // .escape(code, argument); .config(FA, code, argument)
    const char* m_pszName;   // --sim-fault NAME[:ARGUMENT][@FRAME]
    unsigned m_uDefault;     // the argument when none is given
    unsigned m_uMax;         // the largest argument taken (larger ones are held to it)
    bool m_bPerFrame;        // the argument counts the frames it hits
    const char* m_pszArmed;  // the comment once armed; "#" stands for the argument
    void (*m_pfnApply)(CTVRSimExchange& exchange, unsigned argument);
  };

  // The configuration code that arms a fault: .config(FA, code, argument).
  static constexpr tvr::BYTE CONFIG_FAULT = 0xFA;

  static const std::vector<CRow>& GetTable();
  static const CRow* Find(tvr::DWORD escape);

  // Arms the row's fault for the next frame (`frame` frames on with a
  // command line's "@FRAME"); the argument is big-endian, up to four bytes.
  // Returns the comment that says so.
  std::string Arm(const CRow& row, const tvr::BYTE* argument, tvr::DWORD length);
  // The faults of tavric-run's --sim-fault, "NAME[:ARGUMENT][@FRAME]" separated
  // by blanks, counted from the connection, with the comment of each: empty
  // when read, else why not.
  std::string ArmFromText(const std::string& text, std::vector<std::string>& armed);

  // Starts the frame count over and drops every armed fault (a connection).
  void Reset();
  // The host sends a frame: it goes to the due fault, or through unharmed.
  void Apply(CTVRSimExchange& exchange);

 private:
  struct CArmed {
    const CRow* m_pRow;
    unsigned m_uArgument;
    unsigned long long m_nDue;  // the frame it hits, counted from the connection
  };

  std::string Arm(const CRow& row, unsigned argument, unsigned long long due);

  std::deque<CArmed> m_Armed;
  unsigned long long m_nFrames = 0;  // frames the host sent since the connection
};
