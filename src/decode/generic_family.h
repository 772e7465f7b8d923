// The generic layout (menu identifiers 180 and 181): the protocols that use
// Command.txt and Error.txt. Frames carry their opcode at the header length
// and its first data byte after it; the first byte of an answer is 0x60 for a
// command answer or the protocol's error code for an error answer.
#pragma once

#include "decode/protocol_family.h"

class CTVRGenericFamily : public CTVRProtocolFamily {
 public:
  CTVRGenericFamily() : CTVRProtocolFamily("Command.txt", "Error.txt") {}

  // Class and code are frame bytes 3 and 4; the expected answer opcode is
  // byte 3, and a card selection is recorded so that it can be undone.
  void NameSentFrame(CTVRAnswerSink& doc, CTVRProtocol& protocol, const CTVRSentFrame& sent) const override;
  CTVRAnswerVerdict DecodeAnswer(CTVRAnswerSink& doc, CTVRProtocol& protocol, CTVRAnswerFrame& a) const override;
};
