// The PC/SC host link: command APDUs for the selected card, and the reader's
// pseudo-APDUs of class FF (FF 0A 00 00 the mask, FF 10 00 00 power up and
// answer to reset, FF 11 00 00 power down), answered as pcsc_frame.h says.
// Reader-side errors carry their own text.
#pragma once

#include "sim_link.h"

class CTVRSimPcscLink : public CTVRSimLink {
 public:
  std::vector<Frame> Process(CTVRSimFirmware& firmware, const tvr::BYTE* frame, std::size_t length) const override;
  Frame LinkError(const tvr::BYTE* frame, std::size_t length) const override;
  Frame ErrorAnswer(const tvr::BYTE* frame, std::size_t length, tvr::BYTE code) const override;
};
