// Frames from the host (any bytes, and well-formed Verta frames around any
// data) through the simulated reader's firmware, with cards moving between
// them; every answer must be a well-formed Verta frame.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "sim_firmware.h"
#include "verta_frame.h"

namespace {

void CheckAnswers(const std::vector<CTVRSimFirmware::Frame>& answers) {
  for (const auto& frame : answers) {
    // TYPE LEN(2) OPCODE DATA LRC: the length says what follows, the LRC closes it.
    if (frame.size() < CTVRVertaFrame::OVERHEAD) std::abort();
    const std::size_t length = std::size_t(frame[1]) << 8 | frame[2];
    if (length + CTVRVertaFrame::HEADER_LENGTH + CTVRVertaFrame::LRC_LENGTH != frame.size()) std::abort();
    if (CTVRVertaFrame::Lrc(frame.data(), frame.size() - 1) != frame.back()) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvr_fuzz::CInput input(data, size);
  CTVRSimFirmware firmware;
  while (!input.AtEnd()) {
    const uint8_t op = input.Byte();
    switch (op & 3) {
      case 0: {  // raw bytes
        const std::string bytes = input.Take(input.Byte());
        CheckAnswers(firmware.ProcessFrame(reinterpret_cast<const tvr::BYTE*>(bytes.data()), bytes.size()));
        break;
      }
      case 1: {  // a well-formed command frame
        const tvr::BYTE opcode = input.Byte();
        const std::string bytes = input.Take(input.Byte());
        const auto frame =
            CTVRVertaFrame::Make(0x40, opcode, reinterpret_cast<const tvr::BYTE*>(bytes.data()), bytes.size());
        CheckAnswers(firmware.ProcessFrame(frame.data(), frame.size()));
        break;
      }
      case 2:
        CheckAnswers(firmware.InsertCard(int(op >> 2) % 8));
        break;
      default:
        CheckAnswers(firmware.RemoveCard(int(op >> 2) % 8));
        break;
    }
  }
  return 0;
}
