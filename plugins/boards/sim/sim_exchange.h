// One frame from the host to the simulated reader and what the reader makes
// of it, as a fault on cue (sim_faults.h) may change it.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include <tavric/types.h>

#include "sim_firmware.h"
#include "sim_link.h"

struct CTVRSimExchange {
  using Frame = CTVRSimFirmware::Frame;

  CTVRSimFirmware& m_Firmware;
  const CTVRSimLink& m_Link;
  const tvr::BYTE* m_pFrame;
  std::size_t m_nLength;
  std::vector<Frame> m_Answers;  // in the order the reader sends them
  unsigned m_uDelayMs = 0;       // on top of the reader's latency
  bool m_bDisconnect = false;    // the reader goes away instead of answering

  // The reader's own answers to the frame, after what is there already.
  void Process() {
    for (Frame& frame : m_Link.Process(m_Firmware, m_pFrame, m_nLength)) m_Answers.push_back(std::move(frame));
  }
};
