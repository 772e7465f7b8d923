// The "kiro" layout (menu identifier 189). A frame starts with 00 00 FF, then
// its length and the length's checksum, the frame identifier (D4 from the
// host, D5 from the reader), the command code, the data, the data checksum and
// 00. A frame too long for one length byte has FF FF in the length's place and
// a two-byte length with its checksum after it, three bytes more of header.
// An error frame has the protocol's error code in place of the identifier.
// A reader answers with identifier and code one more than its command's, and
// the command table is keyed by the command's.
#pragma once

#include "decode/protocol_family.h"

class CTVRKiroFamily : public CTVRProtocolFamily {
 public:
  CTVRKiroFamily() : CTVRProtocolFamily("kirocmd.txt", "kiroerr.txt") {}

  // Class and code are frame bytes 5 and 6, or 8 and 9 for a frame longer
  // than the protocol's standard frame; the class is the expected opcode.
  void NameSentFrame(CTVRAnswerSink& doc, CTVRProtocol& protocol, const CTVRSentFrame& sent) const override;
  CTVRAnswerVerdict DecodeAnswer(CTVRAnswerSink& doc, CTVRProtocol& protocol, CTVRAnswerFrame& a) const override;

 private:
  static void NameCommand(CTVRAnswerSink& doc, CTVRProtocol& protocol, const CTVRAnswerFrame& a);
};
