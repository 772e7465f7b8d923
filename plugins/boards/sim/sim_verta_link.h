// The Verta host link: the firmware's own frames (verta_frame.h).
#pragma once

#include "sim_link.h"

class CTVRSimVertaLink : public CTVRSimLink {
 public:
  std::vector<Frame> Process(CTVRSimFirmware& firmware, const tvr::BYTE* frame, std::size_t length) const override {
    return firmware.ProcessFrame(frame, length);
  }
  std::vector<Frame> CardEvent(CTVRSimFirmware&, int, bool, const std::vector<Frame>& vertaEvents) const override {
    return vertaEvents;
  }
  // A checksum error on the frame's opcode.
  Frame LinkError(const tvr::BYTE* frame, std::size_t length) const override;
  Frame ErrorAnswer(const tvr::BYTE* frame, std::size_t length, tvr::BYTE code) const override;
};
