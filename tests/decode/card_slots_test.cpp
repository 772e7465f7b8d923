// The card slots behind the card parameters bar: what each operation stores,
// which slot is shown and the lines of the ATR and mask items.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "decode/card_slots.h"

namespace {

using Lines = std::vector<std::string>;

class RecordingListener : public CTVRCardSlots::Listener {
 public:
  void OnShowAtr(int slot) override { m_Shown.push_back("atr " + std::to_string(slot)); }
  void OnShowMask(int slot) override { m_Shown.push_back("mask " + std::to_string(slot)); }
  std::vector<std::string> m_Shown;
};

const BYTE kAtr[] = {0x3B, 0x02, 0x14, 0x50};
const Lines kAtrLines = {"TS  - 0x3B", "         Direct Conv.", "T0   - 0x02", "         Nbr of histo bytes : 0x02",
                         "Histo bytes : = 0x14 0x50 "};

TEST(CardSlots, AnswersToResetPerSlot) {
  CTVRCardSlots slots;
  // Fresh: slot 0 shown, with no data and an empty mask item.
  EXPECT_EQ(slots.GetShownSlot(), 0);
  EXPECT_EQ(slots.GetShownAtrLines(), Lines{"no data"});
  EXPECT_EQ(slots.GetShownMaskLine(), " Mask :");
  RecordingListener listener;
  slots.SetListener(&listener);
  slots.SetAtr(kAtr, sizeof kAtr, 3);
  EXPECT_EQ(slots.GetShownSlot(), 3);
  EXPECT_EQ(slots.GetShownAtrLines(), kAtrLines);
  EXPECT_EQ(slots.GetAtrLines(2), Lines{"no data"});
  EXPECT_EQ(listener.m_Shown, (std::vector<std::string>{"atr 3"}));  // the mask item is left as it is

  // The bar keeps its own copy.
  BYTE changing[] = {0x3F, 0x00};
  slots.SetAtr(changing, sizeof changing, 1);
  changing[0] = 0x3B;
  EXPECT_EQ(slots.GetAtrLines(1)[1], "         Inverse Conv.");

  slots.ClearAtr(3);
  EXPECT_EQ(slots.GetShownSlot(), 3);
  EXPECT_EQ(slots.GetShownAtrLines(), Lines{"no data"});
  EXPECT_EQ(listener.m_Shown, (std::vector<std::string>{"atr 3", "atr 1", "atr 3", "mask 3"}));

  slots.SetAtr(kAtr, 0, 4);  // no bytes: no answer to reset
  EXPECT_EQ(slots.GetAtrLines(4), Lines{"no data"});
  slots.SetListener(nullptr);
}

TEST(CardSlots, SlotsOfSixAndMoreAreIgnored) {
  CTVRCardSlots slots;
  RecordingListener listener;
  slots.SetListener(&listener);
  slots.SetAtr(kAtr, sizeof kAtr, 1);
  slots.SetMask(kAtr, sizeof kAtr, 1);
  listener.m_Shown.clear();
  for (BYTE slot : {BYTE(6), BYTE(7), BYTE(0xFF)}) {
    slots.SetAtr(kAtr, sizeof kAtr, slot);
    slots.SetMask(reinterpret_cast<const BYTE*>("XX"), 2, slot);
    slots.ShowSlot(slot);
    slots.ClearAtr(slot);
  }
  EXPECT_TRUE(listener.m_Shown.empty());
  EXPECT_EQ(slots.GetShownSlot(), 1);
  EXPECT_EQ(slots.GetShownAtrLines(), kAtrLines);
  EXPECT_EQ(slots.GetShownMaskLine(), " Mask : ;\x02\x14P");
  EXPECT_EQ(slots.GetAtrLines(6), Lines{"no data"});
  slots.SetListener(nullptr);
}

}  // namespace
