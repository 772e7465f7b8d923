// The message-code layout: every protocol the table names no other family for
// (the CCID protocol, 184, among them). The protocol plug-in reads its own
// frames: GetMsgCode gives a message code whose high byte is a class (0 an
// error, 1 an intermediate message, anything else a command table class) and
// whose low byte is a value; GetExtraMsgCode a second code named after it.
#pragma once

#include "decode/protocol_family.h"

class CTVRMessageCodeFamily : public CTVRProtocolFamily {
 public:
  CTVRMessageCodeFamily(const char* pszCommandFile, const char* pszErrorFile)
      : CTVRProtocolFamily(pszCommandFile, pszErrorFile) {}

  // Named from GetMsgCode on the statement's bytes before framing, whatever
  // the script type: class 0 is the error table's code 0.
  void NameSentFrame(CTVRAnswerSink& doc, CTVRProtocol& protocol, const CTVRSentFrame& sent) const override;
  CTVRAnswerVerdict DecodeAnswer(CTVRAnswerSink& doc, CTVRProtocol& protocol, CTVRAnswerFrame& a) const override;
};
