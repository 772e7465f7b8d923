// The CCID host link (ccid_frame.h): a slot per card of the reader, a time
// extension before the answer to the card's slow commands (GET CHALLENGE,
// EXTERNAL and INTERNAL AUTHENTICATE), and a slot change message for a card
// inserted or removed.
#pragma once

#include "sim_link.h"

class CTVRSimCcidLink : public CTVRSimLink {
 public:
  std::vector<Frame> Process(CTVRSimFirmware& firmware, const tvr::BYTE* frame, std::size_t length) const override;
  std::vector<Frame> CardEvent(CTVRSimFirmware& firmware, int slot, bool inserted,
                               const std::vector<Frame>& vertaEvents) const override;
  Frame LinkError(const tvr::BYTE* frame, std::size_t length) const override;
  Frame ErrorAnswer(const tvr::BYTE* frame, std::size_t length, tvr::BYTE code) const override;
  bool EndsStatement() const override { return true; }
};
