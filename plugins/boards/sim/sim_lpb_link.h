// The loopback host link (lpb_frame.h): every well-formed step comes back
// byte for byte; a step with a wrong length or checksum is refused (NAK).
#pragma once

#include "sim_link.h"

class CTVRSimLpbLink : public CTVRSimLink {
 public:
  std::vector<Frame> Process(CTVRSimFirmware& firmware, const tvr::BYTE* frame, std::size_t length) const override;
  Frame LinkError(const tvr::BYTE* frame, std::size_t length) const override;
  Frame ErrorAnswer(const tvr::BYTE* frame, std::size_t length, tvr::BYTE code) const override;
};
