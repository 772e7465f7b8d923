// The PC/SC layout (menu identifier 187): readers reached through PC/SC. A
// script for them is always raw data. An answer's first byte is 0x60 for a
// card answer, whose kind is the byte at the header length (0x00 a card
// result ending with the status word, 0x0A the reader's mask, 0x6E an answer
// to reset), the protocol's error code for a reader error that carries its own
// text, or 0xE0 for an answer with nothing to show. The trace shows an answer
// without its first two bytes.
#pragma once

#include "decode/protocol_family.h"

class CTVRPcscFamily : public CTVRProtocolFamily {
 public:
  CTVRPcscFamily() : CTVRProtocolFamily("pcsccmd.txt", "pcscerr.txt") {}

  bool IsRawDataOnly() const override { return true; }
  // Class and code are frame bytes 0 and 1 (CLA and INS of a command APDU),
  // named whatever the script type.
  void NameSentFrame(CTVRAnswerSink& doc, CTVRProtocol& protocol, const CTVRSentFrame& sent) const override;
  CTVRAnswerVerdict DecodeAnswer(CTVRAnswerSink& doc, CTVRProtocol& protocol, CTVRAnswerFrame& a) const override;
};
