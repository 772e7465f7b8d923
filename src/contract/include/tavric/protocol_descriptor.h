// What a protocol declares of itself, once, in its constructor: how its frames
// are cut out of a byte stream and which answer layout of the host decodes
// them. Boards, the simulated reader and the answer decoder read it from the
// selected protocol (CTVRProtocol::GetDescriptor()) instead of knowing the
// protocols themselves.
#pragma once

#include <cstddef>

#include <tavric/types.h>

// How the frames of a protocol are told apart in a stream of bytes, as a
// serial line delivers them: where a frame may begin, how long it is once its
// header has arrived, and whether its checksums hold.
struct CTVRFrameGeometry {
  // What the bytes at hand say of the frame that would begin at bytes[0].
  static constexpr long FRAME_MORE = 0;   // more bytes are needed to tell
  static constexpr long FRAME_NONE = -1;  // bytes[0] cannot begin a frame
  // FRAME_MORE, FRAME_NONE, or the whole frame's length (which may exceed
  // `available`). Reads only the `available` bytes.
  using MeasureFn = long (*)(const tvr::BYTE* bytes, std::size_t available);
  // TRUE when a whole frame, as Measure sized it, has its checksums and fixed
  // bytes right.
  using CheckFn = bool (*)(const tvr::BYTE* frame, std::size_t length);

  const char* m_pszName;  // the protocol's layout, for messages
  MeasureFn m_pfnMeasure;
  CheckFn m_pfnCheck;
};

// The answer layouts the host decodes, each with its description files:
//
//   ANSWER_MESSAGE_CODE  the message codes of the protocol; no description file
//   ANSWER_GENERIC       header, opcode echoed by the answer; Command.txt, Error.txt
//   ANSWER_CCID          message codes; ccidcmd.txt, cciderr.txt
//   ANSWER_PCSC          PC/SC answers, raw-data scripts only; pcsccmd.txt, pcscerr.txt
//   ANSWER_KIRO          "kiro" frames; kirocmd.txt, kiroerr.txt
//   ANSWER_LOOPBACK      loopback steps; no description file
enum ETVRAnswerLayout : tvr::BYTE {
  ANSWER_MESSAGE_CODE = 0,
  ANSWER_GENERIC,
  ANSWER_CCID,
  ANSWER_PCSC,
  ANSWER_KIRO,
  ANSWER_LOOPBACK,
};

// TRUE when the host matches an answer of this layout to its command and ends
// the statement on it; otherwise the board ends a statement of a commands or
// APDU script once the reader's final answer has come.
inline bool TVRHostEndsStatements(ETVRAnswerLayout layout) {
  return layout == ANSWER_GENERIC || layout == ANSWER_PCSC || layout == ANSWER_LOOPBACK;
}

struct CTVRProtocolDescriptor {
  ETVRAnswerLayout m_eAnswerLayout = ANSWER_MESSAGE_CODE;
  // Null for frames that carry no length (they end where the line falls silent).
  const CTVRFrameGeometry* m_pGeometry = nullptr;
};
