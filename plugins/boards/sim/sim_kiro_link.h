// The "kiro" host link (kiro_frame.h): DIAGNOSE, GET RELEASE, the registers,
// and the cards reached by number (ACTIVATE CARD, EXCHANGE APDU, RELEASE
// CARD). A frame the reader cannot read, or a command it does not know, gets
// the error frame. The host does not end a statement on a kiro answer, whose
// identifier is the command's plus one: the board ends it.
#pragma once

#include "sim_link.h"

class CTVRSimKiroLink : public CTVRSimLink {
 public:
  std::vector<Frame> Process(CTVRSimFirmware& firmware, const tvr::BYTE* frame, std::size_t length) const override;
  Frame LinkError(const tvr::BYTE* frame, std::size_t length) const override;
  bool EndsStatement() const override { return true; }
};
