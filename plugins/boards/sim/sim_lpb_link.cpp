#include "sim_lpb_link.h"

#include "lpb_frame.h"

namespace {
tvr::BYTE StepOf(const tvr::BYTE* frame, std::size_t length) {
  return frame && length > 2 ? frame[2] : 0;
}
}  // namespace

std::vector<CTVRSimLink::Frame> CTVRSimLpbLink::Process(CTVRSimFirmware&, const tvr::BYTE* frame,
                                                        std::size_t length) const {
  if (const tvr::BYTE error = CTVRLpbFrame::Check(frame, length))
    return {CTVRLpbFrame::Nak(StepOf(frame, length), error)};
  return {Frame(frame, frame + length)};
}

CTVRSimLink::Frame CTVRSimLpbLink::LinkError(const tvr::BYTE* frame, std::size_t length) const {
  return ErrorAnswer(frame, length, LPB_ERR_CHECKSUM);
}

CTVRSimLink::Frame CTVRSimLpbLink::ErrorAnswer(const tvr::BYTE* frame, std::size_t length, tvr::BYTE code) const {
  return CTVRLpbFrame::Nak(StepOf(frame, length), code);
}
