// The loopback layout (menu identifier 200): link tests run step by step. An
// answer whose first byte is 2 completes a step; one second later the active
// document gets WM_LPB and the protocol's StartLpb sends the next step. The
// pause is a timed post: the user-interface thread never sleeps. Frames sent
// are named as in the message-code layout; no description file is loaded.
#pragma once

#include "decode/message_code_family.h"

class CTVRLoopbackFamily : public CTVRMessageCodeFamily {
 public:
  static constexpr unsigned STEP_DELAY_MS = 1000;

  CTVRLoopbackFamily() : CTVRMessageCodeFamily(nullptr, nullptr) {}

  CTVRAnswerVerdict DecodeAnswer(CTVRAnswerSink& doc, CTVRProtocol& protocol, CTVRAnswerFrame& a) const override;
};
