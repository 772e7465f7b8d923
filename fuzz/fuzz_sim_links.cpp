// Frames from a host to the simulated reader on every host link but Verta's
// (fuzz_sim_firmware has that one): the first byte picks the link (PC/SC,
// CCID, "kiro", loopback), the second may move a card; the rest is the frame.
// Every answer must be one the link's protocol reads back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ccid_frame.h"
#include "fuzz_support.h"
#include "kiro_frame.h"
#include "lpb_frame.h"
#include "pcsc_frame.h"
#include "sim_firmware.h"
#include "sim_link.h"

namespace {

const ETVRAnswerLayout kLinks[] = {ANSWER_PCSC, ANSWER_CCID, ANSWER_KIRO, ANSWER_LOOPBACK};

// The answer is a frame of the link's own layout.
bool WellFormed(std::size_t link, const std::vector<tvr::BYTE>& a) {
  switch (link) {
    case 0:
      return a.size() >= 2 &&
             (a[0] == PCSC_ANSWER_CARD || a[0] == PCSC_ANSWER_EMPTY || (a[0] == PCSC_ANSWER_ERROR && a.back() == 0));
    case 1:
      return (a.size() >= 1 && a[0] == CCID_RDR_TO_PC_NOTIFY_SLOT_CHANGE) ||
             (a.size() >= CTVRCcidFrame::HEADER_LENGTH &&
              CTVRCcidFrame::DataLength(a.data()) == a.size() - CTVRCcidFrame::HEADER_LENGTH);
    case 2: {
      tvr::BYTE tfi = 0, cmd = 0;
      std::vector<tvr::BYTE> data;
      return a == CTVRKiroFrame::ErrorFrame() ||
             (CTVRKiroFrame::Parse(a.data(), a.size(), tfi, cmd, data) && tfi == KIRO_TFI_READER);
    }
    default:
      return a.size() >= 4 && (a[0] == LPB_NAK || CTVRLpbFrame::Check(a.data(), a.size()) == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static CTVRSimFirmware* firmware = new CTVRSimFirmware;
  const std::size_t link = data[0] % 4;
  const CTVRSimLink& sim = CTVRSimLink::ForLayout(kLinks[link]);
  std::vector<CTVRSimLink::Frame> answers;
  // Bits 0-2 a slot (1 to 6 exist), bit 3 insert or remove, bit 4 move at all.
  if (data[1] & 0x10) {
    const int slot = data[1] & 0x07;
    const bool insert = data[1] & 0x08;
    answers = sim.CardEvent(*firmware, slot, insert, insert ? firmware->InsertCard(slot) : firmware->RemoveCard(slot));
  }
  std::vector<tvr::BYTE> frame(data + 2, data + size);
  for (const CTVRSimLink::Frame& a : sim.Process(*firmware, frame.data(), frame.size())) answers.push_back(a);
  answers.push_back(sim.LinkError(frame.data(), frame.size()));
  for (const CTVRSimLink::Frame& a : answers)
    if (!WellFormed(link, a)) std::abort();
  return 0;
}
