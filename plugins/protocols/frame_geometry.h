// How the frames of a protocol are told apart in a stream of bytes, as a
// serial line delivers them: where a frame may begin, how long it is once its
// header has arrived, and whether its checksums hold. Each protocol's frame
// class describes its own layout once (GetGeometry()); whoever cuts frames out
// of a byte stream asks it instead of knowing the layouts itself.
#pragma once

#include <cstddef>

#include <tavric/types.h>

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
