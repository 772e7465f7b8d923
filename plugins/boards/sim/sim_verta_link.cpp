#include "sim_verta_link.h"

#include "verta_frame.h"

CTVRSimLink::Frame CTVRSimVertaLink::LinkError(const tvr::BYTE* frame, std::size_t length) const {
  const tvr::BYTE opcode =
      frame && length > CTVRVertaFrame::HEADER_LENGTH ? frame[CTVRVertaFrame::HEADER_LENGTH] : tvr::BYTE(VERTA_OP_NONE);
  const tvr::BYTE error = VERTA_ERR_CHECKSUM;
  return CTVRVertaFrame::Make(VERTA_FRAME_ERROR, opcode, &error, 1);
}
