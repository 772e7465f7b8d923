// The placement record of a reader window in the settings: its exact bytes,
// records of another length, and rectangles no window can be given.
#include <climits>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "document/window_placement.h"

namespace {

TEST(WindowPlacement, ElevenLittleEndianFieldsAndOnlyARecordOfTheirLengthDecodes) {
  CTVRWindowPlacement placement;
  placement.m_nShow = CTVRWindowPlacement::SHOW_MAXIMIZED;
  placement.m_nLeft = 30;
  placement.m_nTop = 40;
  placement.m_nRight = 530;
  placement.m_nBottom = 0x01020304;
  const std::vector<tvr::BYTE> expected = {44,   0,    0,    0,    0,    0,    0,    0,    3,    0,    0,
                                           0,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                           0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 30,   0,    0,    0,    40,
                                           0,    0,    0,    0x12, 0x02, 0,    0,    4,    3,    2,    1};
  EXPECT_EQ(placement.Encode(), expected);

  CTVRWindowPlacement back;
  ASSERT_TRUE(back.Decode(expected));
  EXPECT_EQ(back.Encode(), expected);  // every field read back
  // A record of another length changes nothing.
  for (std::size_t size : {std::size_t(0), std::size_t(43), std::size_t(45), std::size_t(88)}) {
    EXPECT_FALSE(placement.Decode(std::vector<tvr::BYTE>(size, 0x55))) << size;
    EXPECT_EQ(placement.Encode(), expected) << size;
  }
}

TEST(WindowPlacement, OnlyARectangleAWindowCanTakeIsUsable) {
  struct Row {
    int left, top, right, bottom;
    bool usable;
  } rows[] = {
      {30, 40, 530, 420, true},                     // an ordinary window
      {-200, -50, 300, 400, true},                  // partly off the top left: still reachable
      {30, 40, 30, 420, false},                     // no width
      {30, 40, 530, 40, false},                     // no height
      {530, 40, 30, 420, false},                    // turned inside out
      {200000, 40, 200500, 420, false},             // far off to the right
      {30, 40, 30 + 100000, 420, false},            // wider than any screen
      {INT_MIN, INT_MIN, INT_MAX, INT_MAX, false},  // the extremes
      {INT_MAX, 0, INT_MIN, 10, false},             // the extremes the other way round
  };
  for (const Row& r : rows) {
    CTVRWindowPlacement placement;
    std::tie(placement.m_nLeft, placement.m_nTop, placement.m_nRight, placement.m_nBottom) =
        std::tuple(r.left, r.top, r.right, r.bottom);
    EXPECT_EQ(placement.HasUsableRect() != FALSE, r.usable)
        << r.left << "," << r.top << " " << r.right << "," << r.bottom;
  }
}

}  // namespace
