#include "sim_link.h"

#include "sim_ccid_link.h"
#include "sim_kiro_link.h"
#include "sim_lpb_link.h"
#include "sim_pcsc_link.h"
#include "sim_verta_link.h"

std::vector<CTVRSimLink::Frame> CTVRSimLink::CardEvent(CTVRSimFirmware&, int, bool, const std::vector<Frame>&) const {
  return {};
}

CTVRSimLink::Frame CTVRSimLink::ErrorAnswer(const tvr::BYTE* frame, std::size_t length, tvr::BYTE) const {
  return LinkError(frame, length);
}

const CTVRSimLink& CTVRSimLink::ForLayout(ETVRAnswerLayout layout) {
  static const CTVRSimVertaLink verta;
  static const CTVRSimPcscLink pcsc;
  static const CTVRSimCcidLink ccid;
  static const CTVRSimKiroLink kiro;
  static const CTVRSimLpbLink lpb;
  switch (layout) {
    case ANSWER_PCSC:
      return pcsc;
    case ANSWER_CCID:
      return ccid;
    case ANSWER_KIRO:
      return kiro;
    case ANSWER_LOOPBACK:
      return lpb;
    case ANSWER_GENERIC:
    case ANSWER_MESSAGE_CODE:
      break;
  }
  return verta;
}
