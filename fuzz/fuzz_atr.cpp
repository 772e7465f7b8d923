// Answers to reset as a card or a reader may send them: any bytes, parsed,
// written as text, and shown through the card slots as the bar shows them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "decode/atr.h"
#include "decode/card_slots.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CAtr atr;
  atr.Parse(size ? data : nullptr, tvr::DWORD(size));
  const std::string text = atr.Format();
  // Every line ends, and nothing was taken from past the answer.
  if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0) std::abort();
  if (atr.m_nHistoCount > atr.m_byK || std::size_t(atr.m_nHistoCount) > size) std::abort();

  CTVRCardSlots slots;
  slots.SetAtr(data, tvr::DWORD(size), tvr::BYTE(size % 8));
  slots.SetMask(data, tvr::DWORD(size), tvr::BYTE(size % 7));
  std::size_t total = slots.GetShownMaskLine().size();
  for (const std::string& line : slots.GetShownAtrLines()) total += line.size();
  [[maybe_unused]] static volatile std::size_t sink;
  sink = total;
  return 0;
}
