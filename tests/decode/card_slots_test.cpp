// The six card slots of the card parameters bar and what they ask a listener to show.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "decode/card_slots.h"

namespace {

class RecordingListener : public CTVRCardSlots::Listener {
 public:
  void OnShowAtr(int slot) override { m_Shown.push_back("atr" + std::to_string(slot)); }
  void OnShowMask(int slot) override { m_Shown.push_back("mask" + std::to_string(slot)); }
  std::vector<std::string> m_Shown;
};

class CardSlots : public ::testing::Test {
 protected:
  void SetUp() override { m_Slots.SetListener(&m_Listener); }
  CTVRCardSlots m_Slots;
  RecordingListener m_Listener;
};

const std::vector<BYTE> kAtr = {0x3B, 0x02, 0x14, 0x50};

TEST_F(CardSlots, AnswerToResetIsCopiedIntoItsSlotAndShown) {
  std::vector<BYTE> bytes = kAtr;
  m_Slots.SetAtr(bytes.data(), DWORD(bytes.size()), 3);
  bytes[0] = 0;  // the slot keeps its own copy
  EXPECT_TRUE(m_Slots.HasAtr(3));
  EXPECT_EQ(m_Slots.GetAtr(3), kAtr);
  EXPECT_FALSE(m_Slots.HasAtr(0));
  EXPECT_EQ(m_Slots.GetShownSlot(), 3);
  EXPECT_EQ(m_Listener.m_Shown, (std::vector<std::string>{"atr3"}));
}

TEST_F(CardSlots, MaskIsOneForAllSlots) {
  const BYTE mask[] = {'M', '1', '.', '2'};
  m_Slots.SetMask(mask, 4, 2);
  EXPECT_EQ(m_Listener.m_Shown, (std::vector<std::string>{"mask2"}));
  m_Slots.ShowSlot(0);
  EXPECT_EQ(m_Slots.GetMask(0), "M1.2");
  EXPECT_EQ(m_Slots.GetMask(5), "M1.2");
  EXPECT_EQ(m_Slots.GetShownSlot(), 0);
  EXPECT_EQ(m_Listener.m_Shown, (std::vector<std::string>{"mask2", "atr0", "mask0"}));
}

TEST_F(CardSlots, MaskEndsAtItsFirstZeroByte) {
  const BYTE mask[] = {'A', 'B', 0, 'C'};
  m_Slots.SetMask(mask, 4, 0);
  EXPECT_EQ(m_Slots.GetMask(0), "AB");
  EXPECT_EQ(m_Slots.GetMask(1), "AB");
}

TEST_F(CardSlots, ClearAtrEmptiesTheSlotAndShowsIt) {
  m_Slots.SetAtr(kAtr.data(), DWORD(kAtr.size()), 1);
  m_Slots.SetAtr(kAtr.data(), DWORD(kAtr.size()), 2);
  m_Listener.m_Shown.clear();
  m_Slots.ClearAtr(1);
  EXPECT_FALSE(m_Slots.HasAtr(1));
  EXPECT_TRUE(m_Slots.GetAtr(1).empty());
  EXPECT_TRUE(m_Slots.HasAtr(2));
  EXPECT_EQ(m_Slots.GetShownSlot(), 1);
  EXPECT_EQ(m_Listener.m_Shown, (std::vector<std::string>{"atr1", "mask1"}));
}

TEST_F(CardSlots, SlotSixOrMoreIsIgnoredByEveryOperation) {
  m_Slots.ShowSlot(4);
  m_Listener.m_Shown.clear();
  m_Slots.SetAtr(kAtr.data(), DWORD(kAtr.size()), 6);
  m_Slots.SetMask(kAtr.data(), DWORD(kAtr.size()), 7);
  m_Slots.ShowSlot(255);
  m_Slots.ClearAtr(6);
  EXPECT_TRUE(m_Listener.m_Shown.empty());
  EXPECT_EQ(m_Slots.GetShownSlot(), 4);
  for (int slot = 0; slot < CTVRCardSlots::SLOT_COUNT; ++slot) {
    EXPECT_FALSE(m_Slots.HasAtr(slot));
    EXPECT_EQ(m_Slots.GetMask(slot), "");
  }
  // Queries outside the slots answer "nothing" too.
  EXPECT_FALSE(m_Slots.HasAtr(-1));
  EXPECT_TRUE(m_Slots.GetAtr(6).empty());
  EXPECT_EQ(m_Slots.GetMask(99), "");
}

}  // namespace
