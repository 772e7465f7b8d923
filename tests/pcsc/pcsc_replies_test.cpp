// What the PC/SC board makes of the daemon's buffers: the reader names of a
// list, and the answer of a buffer with the length the call reported.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pcsc_replies.h"

namespace {

TEST(PcscReplies, ReaderNamesStayInsideTheList) {
  struct Case {
    const char* what;
    std::string list;
    std::vector<std::string> names;
  } cases[] = {
      {"two names and the closing zero", std::string("A 00\0B 01\0\0", 11), {"A 00", "B 01"}},
      {"what follows the closing zero is no name", std::string("A\0\0junk", 7), {"A"}},
      {"an empty list", std::string("\0", 1), {}},
      {"no bytes at all", std::string(), {}},
      {"the last zero missing: the name ends with the buffer", std::string("A\0Bcut", 6), {"A", "Bcut"}},
  };
  for (const Case& c : cases) {
    // In a buffer of exactly its length, so that the sanitizer build sees a read past it.
    std::vector<char> buffer(c.list.begin(), c.list.end());
    EXPECT_EQ(CTVRPcscReplies::ReaderNames(buffer.data(), buffer.size()), c.names) << c.what;
  }
}

TEST(PcscReplies, AnAnswerHoldsTheBytesReportedAndNoneFromPastTheBuffer) {
  const tvr::BYTE buffer[] = {0x90, 0x00, 0x6A};
  EXPECT_EQ(CTVRPcscReplies::CardAnswer(0x00, buffer, 3, 2), (std::vector<tvr::BYTE>{0x60, 0x00, 0x90, 0x00}));
  EXPECT_EQ(CTVRPcscReplies::CardAnswer(0x6E, buffer, 3, 600), (std::vector<tvr::BYTE>{0x60, 0x6E, 0x90, 0x00, 0x6A}));
}

// A reader plugged in again may come back under another index ("NAME XX
// YY"): the slot must still match, and a reader listed by its exact name wins.
TEST(PcscReplies, AReaderIsFoundByItsNameWithoutItsIndex) {
  const std::vector<std::string> readers = {"Virtual PCD 01 00", "Virtual PCD 01 01", "Other 00 00"};
  const struct {
    const char* wanted;
    const char* found;
  } cases[] = {
      {"Virtual PCD 01 01", "Virtual PCD 01 01"},
      {"Virtual PCD 00 01", "Virtual PCD 01 01"},
      {"Virtual PCD 00 00", "Virtual PCD 01 00"},
      {"Virtual PCD 00 02", ""},
      {"Virtual PCD", ""},
      {"Other 0A 00", "Other 00 00"},
      {"Virtual PCD 0G 00", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CTVRPcscReplies::FindReader(readers, c.wanted), c.found) << c.wanted;
  EXPECT_EQ(CTVRPcscReplies::FindReader({"Virtual PCD 01 00", "Virtual PCD 00 00"}, "Virtual PCD 00 00"),
            "Virtual PCD 00 00");
}

}  // namespace
