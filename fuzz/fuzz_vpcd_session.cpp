// Any bytes on the card program's socket, cut at any place: every answer is a
// well-formed message (2-byte length, then exactly that many bytes), and a cut
// never changes what is answered, with chained answers and extended lengths
// on or off (the second byte chooses).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_support.h"
#include "sim_card.h"
#include "vpcd_session.h"

namespace {

void CheckMessages(const std::vector<tvr::BYTE>& out) {
  std::size_t at = 0;
  while (at < out.size()) {
    if (out.size() - at < 2) std::abort();
    const std::size_t length = std::size_t(out[at]) << 8 | out[at + 1];
    at += 2 + length;
  }
  if (at != out.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // The first byte chooses where the stream is cut in two; the second the
  // chunk of chained answers (its low 5 bits, 0 off) and extended lengths (its top bit).
  const std::size_t cut = data[0] % size;
  const std::size_t chunk = data[1] & 0x1F;
  const bool extended = (data[1] & 0x80) != 0;
  const tvr::BYTE* stream = data + 2;
  const std::size_t length = size - 2;
  CTVRSimCard wholeCard, cutCard;
  CTVRVpcdSession whole(wholeCard), pieces(cutCard);
  for (CTVRVpcdSession* session : {&whole, &pieces}) {
    session->SetChunk(chunk);
    session->SetExtended(extended);
  }
  std::vector<tvr::BYTE> outWhole, outPieces;
  whole.Feed(stream, length, outWhole);
  const std::size_t first = cut < length ? cut : length;
  pieces.Feed(stream, first, outPieces);
  pieces.Feed(stream + first, length - first, outPieces);
  CheckMessages(outWhole);
  if (outWhole != outPieces) std::abort();
  return 0;
}
