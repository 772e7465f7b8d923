// The host link of the simulated reader: how its firmware reads the frames of
// the protocol that the document selected and frames its answers. One small
// class per protocol, chosen by the answer layout the protocol declares (its
// descriptor); the reader behind them
// (slots, cards, registers) is the one CTVRSimFirmware, driven through its
// Verta commands.
#pragma once

#include <vector>

#include <tavric/protocol_descriptor.h>
#include <tavric/types.h>

#include "sim_firmware.h"

class CTVRSimLink {
 public:
  using Frame = CTVRSimFirmware::Frame;

  virtual ~CTVRSimLink() = default;

  // The link that answers a protocol of this answer layout; Verta for the
  // generic and message-code layouts.
  static const CTVRSimLink& ForLayout(ETVRAnswerLayout layout);

  // One frame from the host: the answers in the order the reader sends them.
  virtual std::vector<Frame> Process(CTVRSimFirmware& firmware, const tvr::BYTE* frame, std::size_t length) const = 0;
  // A card movement, given the Verta card event frames it caused (none when
  // the slot's events are masked): what this link reports of it.
  virtual std::vector<Frame> CardEvent(CTVRSimFirmware& firmware, int slot, bool inserted,
                                       const std::vector<Frame>& vertaEvents) const;
  // The answer to a frame that the link garbled on its way (escape 4).
  virtual Frame LinkError(const tvr::BYTE* frame, std::size_t length) const = 0;
  // The reader's error answer of the code to a frame (a fault on cue): the
  // Verta error code, or what the link answers for that firmware error. A
  // link whose error answers carry no code answers its LinkError.
  virtual Frame ErrorAnswer(const tvr::BYTE* frame, std::size_t length, tvr::BYTE code) const;
  // The host does not end a statement of a commands or APDU script on this
  // protocol's answers: the reader's board ends it after the final answer.
  virtual bool EndsStatement() const { return false; }
};
