// Message names: fixed ids for the program's own names, fresh ones for others.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include <tavric/messages.h>

TEST(MessageNames, TheProgramsTwelveNamesHoldTheirIdsFrom0xC000InOrder) {
  const char* names[] = {"SendCommand",     "CommandType",  "EndCommand",
                         "SendApdu",        "SendRawdata",  "ReceiveAnswer",
                         "ReceiveComments", "ReceiveError", "ReceiveBoardDisconnected",
                         "ReceiveATR",      "OnLpbMsg",     "ReceiveCardRemoved"};
  for (tvr::UINT i = 0; i < 12; ++i)
    EXPECT_EQ(RegisterMessage((std::string("Tavric::") + names[i]).c_str()), 0xC000 + i) << names[i];
  const tvr::UINT exported[] = {WM_SEND_COMMAND,  WM_COMMAND_TYPE, WM_END_COMMAND,
                                WM_SEND_APDU,     WM_SEND_RAWDATA, WM_RECV_ANSWER,
                                WM_RECV_COMMENTS, WM_RECV_ERROR,   WM_RECV_BOARD_DISCONNECTED};
  for (tvr::UINT i = 0; i < 9; ++i) EXPECT_EQ(exported[i], 0xC000 + i) << names[i];
  EXPECT_EQ(WM_LPB, 0xC00Au);  // "ReceiveATR" has no variable of its own
  EXPECT_EQ(WM_RECV_CARD_REMOVED, 0xC00Bu);
}

// Two names, two ids: the dispatcher's test, whose two messages have handlers of their own.
TEST(MessageNames, OtherNamesGetFreshStableIdsWhateverTheirLetterCase) {
  const tvr::UINT alpha = RegisterMessage("Test::Names::Alpha");
  EXPECT_GT(alpha, WM_RECV_CARD_REMOVED);
  EXPECT_EQ(RegisterMessage("TEST::NAMES::ALPHA"), alpha);
  EXPECT_EQ(RegisterMessage("tavric::sendcommand"), WM_SEND_COMMAND);
  EXPECT_EQ(RegisterMessage(nullptr), 0u);
  EXPECT_EQ(RegisterMessage(""), 0u);
}

TEST(MessageNames, ThreadsRegisteringTheSameNamesAgreeOnEveryId) {
  constexpr int kNames = 200;
  std::vector<std::vector<tvr::UINT>> ids(4, std::vector<tvr::UINT>(kNames));
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t, &ids] {
      for (int i = 0; i < kNames; ++i) {  // every other thread walks backwards, to collide on first use
        const int n = t % 2 == 0 ? i : kNames - 1 - i;
        ids[t][n] = RegisterMessage(("Test::Threads::" + std::to_string(n)).c_str());
      }
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(std::set<tvr::UINT>(ids[0].begin(), ids[0].end()).size(), std::size_t(kNames));
  for (int t = 1; t < 4; ++t) EXPECT_EQ(ids[t], ids[0]);
}
