// The simulated reader at the far end of a serial line: the firmware of the
// simulated reader board behind the host link of a protocol, fed with the
// bytes the host writes. The protocol's descriptor chooses the link, as the
// simulated reader board does, and frames are cut out of those bytes with the
// same cutter and frame geometry as the serial board's; what the host garbled is
// answered with the link's error answer, as the board-side simulation does.
//
// For the serial board's tests it can also garble one of its own answers on
// the way back: before the N-th answer a copy of it with its last byte
// flipped goes out, as line noise that looks like a frame would, and the
// answer itself follows intact.
#pragma once

#include <cstddef>
#include <vector>

#include <tavric/protocol_descriptor.h>
#include <tavric/types.h>

#include "frame_cutter.h"
#include "sim_firmware.h"
#include "sim_link.h"

class CTVRPtyReader {
 public:
  using Frame = CTVRSimFirmware::Frame;

  // garbleAnswer: the answer preceded by a garbled copy, from 1; 0 for none.
  CTVRPtyReader(const CTVRProtocolDescriptor& protocol, std::size_t garbleAnswer);

  // Bytes from the host: what the reader writes back, in order.
  std::vector<Frame> Feed(const tvr::BYTE* bytes, std::size_t count);
  // The host's line fell silent: an unfinished frame is answered now.
  std::vector<Frame> Flush();
  bool IsPending() const { return m_Cutter.IsPending(); }
  // Answers written so far (garbled copies not counted).
  std::size_t GetAnswerCount() const { return m_nAnswers; }

 private:
  std::vector<Frame> Answer(const std::vector<CTVRFrameCutter::CPiece>& pieces);

  CTVRSimFirmware m_Firmware;
  const CTVRSimLink& m_Link;
  CTVRFrameCutter m_Cutter;
  std::size_t m_nGarbleAnswer;
  std::size_t m_nAnswers = 0;
};
