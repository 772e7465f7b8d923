// A serial line's byte stream through the serial board's frame cutter: the
// first byte picks the protocol's frame geometry (Verta, "kiro", CCID,
// loopback, or none: frames end at silences), the second the size of the
// reads the line delivers; a read of size 0 is a silence. Nothing may be lost
// or invented: the pieces hold every byte, in order, and every frame passes
// its geometry's check.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ccid_frame.h"
#include "frame_cutter.h"
#include "kiro_frame.h"
#include "lpb_frame.h"
#include "verta_frame.h"

namespace {

void Collect(const std::vector<CTVRFrameCutter::CPiece>& pieces, const CTVRFrameGeometry* pGeometry,
             std::vector<tvr::BYTE>& out) {
  for (const CTVRFrameCutter::CPiece& piece : pieces) {
    if (piece.m_Bytes.empty()) std::abort();
    if (piece.m_eKind == CTVRFrameCutter::CUT_FRAME && pGeometry) {
      const long length = pGeometry->m_pfnMeasure(piece.m_Bytes.data(), piece.m_Bytes.size());
      if (length != long(piece.m_Bytes.size()) || !pGeometry->m_pfnCheck(piece.m_Bytes.data(), piece.m_Bytes.size()))
        std::abort();
    }
    out.insert(out.end(), piece.m_Bytes.begin(), piece.m_Bytes.end());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const CTVRFrameGeometry* geometries[] = {&CTVRVertaFrame::GetGeometry(), &CTVRKiroFrame::GetGeometry(),
                                           &CTVRCcidFrame::GetGeometry(), &CTVRLpbFrame::GetGeometry(), nullptr};
  const CTVRFrameGeometry* pGeometry = geometries[data[0] % 5];
  // Reads of 1 to 16 bytes; every (read size + 1)-th read is a silence instead.
  const std::size_t chunk = std::size_t(data[1] % 16) + 1;
  CTVRFrameCutter cutter(pGeometry);
  std::vector<tvr::BYTE> out;
  std::size_t reads = 0;
  for (std::size_t at = 2; at < size;) {
    if (++reads % (chunk + 1) == 0) {
      Collect(cutter.Flush(), pGeometry, out);
      continue;
    }
    const std::size_t n = at + chunk <= size ? chunk : size - at;
    Collect(cutter.Feed(data + at, n), pGeometry, out);
    at += n;
  }
  Collect(cutter.Flush(), pGeometry, out);
  if (cutter.IsPending() || out.size() != size - 2 || !std::equal(out.begin(), out.end(), data + 2)) std::abort();
  return 0;
}
