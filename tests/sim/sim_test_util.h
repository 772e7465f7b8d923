// Frame helpers shared by the simulated reader's tests.
#pragma once

#include <string>
#include <vector>

#include <tavric/types.h>

#include "sim_firmware.h"
#include "verta_frame.h"

namespace simtest {

using Bytes = std::vector<tvr::BYTE>;

inline Bytes CommandFrame(tvr::BYTE opcode, const Bytes& data = {}) {
  return CTVRVertaFrame::Make(VERTA_FRAME_COMMAND, opcode, data);
}

// The single answer the firmware gives to a well-formed command.
inline Bytes Exchange(CTVRSimFirmware& firmware, tvr::BYTE opcode, const Bytes& data = {}) {
  const Bytes frame = CommandFrame(opcode, data);
  const auto answers = firmware.ProcessFrame(frame.data(), frame.size());
  return answers.size() == 1 ? answers[0] : Bytes{};
}

inline Bytes AnswerFrame(tvr::BYTE opcode, const Bytes& data = {}) {
  return CTVRVertaFrame::Make(VERTA_FRAME_ANSWER, opcode, data);
}

inline Bytes ErrorFrame(tvr::BYTE opcode, tvr::BYTE error) {
  return CTVRVertaFrame::Make(VERTA_FRAME_ERROR, opcode, {error});
}

// The data bytes of an answer frame (between the opcode and the checksum).
inline Bytes DataOf(const Bytes& frame) {
  if (frame.size() < CTVRVertaFrame::OVERHEAD) return {};
  return Bytes(frame.begin() + 4, frame.end() - 1);
}

inline Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

}  // namespace simtest
