#include "decode/loopback_family.h"

#include <tavric/messages.h>

namespace {
constexpr tvr::BYTE STEP_COMPLETE = 2;
}

CTVRAnswerVerdict CTVRLoopbackFamily::DecodeAnswer(CTVRAnswerSink&, CTVRProtocol&, CTVRAnswerFrame& a) const {
  if (a.GetLength() > 0 && a.At(0) == STEP_COMPLETE) PostMessageDelayed(GetActiveBoard(), WM_LPB, 0, 0, STEP_DELAY_MS);
  return {};
}
