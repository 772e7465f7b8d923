// The card slots behind the card parameters bar, where the bar's own test
// (CardParamsBarTest.TheBarFollowsTheSlotsAsTheyChange: a slot set, shown and
// cleared, the mask, an answer to reset past the sixth slot) does not look.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "decode/card_slots.h"

namespace {

using Lines = std::vector<std::string>;

TEST(CardSlots, AFreshSetShowsNothingEachSlotKeepsACopyAndSlotsPastTheSixthAreIgnored) {
  CTVRCardSlots slots;
  EXPECT_EQ(slots.GetShownSlot(), 0);
  EXPECT_EQ(slots.GetShownAtrLines(), Lines{"no data"});
  EXPECT_EQ(slots.GetShownMaskLine(), " Mask :");

  BYTE changing[] = {0x3F, 0x00};
  slots.SetAtr(changing, sizeof changing, 1);
  changing[0] = 0x3B;
  EXPECT_EQ(slots.GetAtrLines(1)[1], "         Inverse Conv.");
  slots.SetAtr(changing, 0, 4);  // no bytes: no answer to reset
  EXPECT_EQ(slots.GetAtrLines(4), Lines{"no data"});
  EXPECT_EQ(slots.GetShownSlot(), 4);
  // Slots past the sixth are left alone by every operation.
  for (BYTE slot : {BYTE(6), BYTE(0xFF)}) {
    slots.SetAtr(changing, sizeof changing, slot);
    slots.SetMask(changing, sizeof changing, slot);
    slots.ShowSlot(slot);
    slots.ClearAtr(slot);
  }
  EXPECT_EQ(slots.GetShownSlot(), 4);
  EXPECT_EQ(slots.GetShownMaskLine(), " Mask :");
}

}  // namespace
