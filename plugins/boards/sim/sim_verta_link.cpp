#include "sim_verta_link.h"

#include "verta_frame.h"

CTVRSimLink::Frame CTVRSimVertaLink::LinkError(const tvr::BYTE* frame, std::size_t length) const {
  return ErrorAnswer(frame, length, VERTA_ERR_CHECKSUM);
}

CTVRSimLink::Frame CTVRSimVertaLink::ErrorAnswer(const tvr::BYTE* frame, std::size_t length, tvr::BYTE code) const {
  const tvr::BYTE opcode =
      frame && length > CTVRVertaFrame::HEADER_LENGTH ? frame[CTVRVertaFrame::HEADER_LENGTH] : tvr::BYTE(VERTA_OP_NONE);
  return CTVRVertaFrame::Make(VERTA_FRAME_ERROR, opcode, &code, 1);
}
