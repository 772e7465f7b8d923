// Message names and the message-window handle table.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <tavric/messages.h>

#include "test_window.h"

TEST(MessageNames, ContractNamesHoldTheirIdsFrom0xC000InRegistrationOrder) {
  const std::pair<const char*, tvr::UINT> exported[] = {
      {"Tavric::SendCommand", WM_SEND_COMMAND},
      {"Tavric::CommandType", WM_COMMAND_TYPE},
      {"Tavric::EndCommand", WM_END_COMMAND},
      {"Tavric::SendApdu", WM_SEND_APDU},
      {"Tavric::SendRawdata", WM_SEND_RAWDATA},
      {"Tavric::ReceiveAnswer", WM_RECV_ANSWER},
      {"Tavric::ReceiveComments", WM_RECV_COMMENTS},
      {"Tavric::ReceiveError", WM_RECV_ERROR},
      {"Tavric::ReceiveBoardDisconnected", WM_RECV_BOARD_DISCONNECTED},
  };
  tvr::UINT expected = 0xC000;
  for (const auto& [name, id] : exported) {
    EXPECT_EQ(id, expected) << name;
    EXPECT_EQ(RegisterMessage(name), id) << name;
    ++expected;
  }
  // The tenth name is registered but has no exported variable.
  EXPECT_EQ(RegisterMessage("Tavric::ReceiveATR"), 0xC009u);
  EXPECT_EQ(WM_LPB, 0xC00Au);
  EXPECT_EQ(RegisterMessage("Tavric::OnLpbMsg"), WM_LPB);
}

TEST(MessageNames, NewNamesGetFreshStableIdsAndLetterCaseDoesNotMatter) {
  tvr::UINT a = RegisterMessage("Test::Names::Alpha");
  tvr::UINT b = RegisterMessage("Test::Names::Beta");
  EXPECT_GT(a, WM_LPB);
  EXPECT_NE(a, b);
  EXPECT_EQ(RegisterMessage("Test::Names::Alpha"), a);
  EXPECT_EQ(RegisterMessage("TEST::NAMES::ALPHA"), a);
  EXPECT_EQ(RegisterMessage("tavric::sendcommand"), WM_SEND_COMMAND);
}

TEST(MessageNames, NullOrEmptyNameIsRefused) {
  EXPECT_EQ(RegisterMessage(nullptr), 0u);
  EXPECT_EQ(RegisterMessage(""), 0u);
}

TEST(MessageNames, ThreadsRegisteringTheSameNamesAgreeOnEveryId) {
  constexpr int kThreads = 4;
  constexpr int kNames = 200;
  std::vector<std::vector<tvr::UINT>> ids(kThreads, std::vector<tvr::UINT>(kNames));
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &ids] {
      // Each thread walks the names in another order, to collide on first use.
      for (int i = 0; i < kNames; ++i) {
        int n = (t % 2 == 0) ? i : kNames - 1 - i;
        ids[t][n] = RegisterMessage(("Test::Threads::" + std::to_string(n)).c_str());
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::set<tvr::UINT> distinct(ids[0].begin(), ids[0].end());
  EXPECT_EQ(distinct.size(), std::size_t(kNames));
  for (int t = 1; t < kThreads; ++t) EXPECT_EQ(ids[t], ids[0]);
}

TEST(MessageWindow, HandlesAreUniqueAndNeverComeBackAfterDestruction) {
  tvr::HWND first;
  {
    CTestWindow window;
    first = window.GetSafeHwnd();
    EXPECT_NE(first, 0u);
    EXPECT_EQ(CTVRMessageWindow::FromHandle(first), &window);
  }
  EXPECT_EQ(CTVRMessageWindow::FromHandle(first), nullptr);
  // A new window, likely at the very same address, still gets a new handle.
  CTestWindow second;
  EXPECT_GT(second.GetSafeHwnd(), first);
  EXPECT_EQ(CTVRMessageWindow::FromHandle(first), nullptr);
  EXPECT_EQ(CTVRMessageWindow::FromHandle(0), nullptr);
}

TEST(MessageWindow, WindowProcRunsTheHandlerAndReturnsZeroWithoutOne) {
  CTestWindow window;
  tvr::WPARAM seenW = 0;
  tvr::LPARAM seenL = 0;
  window.On(WM_COMMAND_TYPE, [&](tvr::WPARAM w, tvr::LPARAM l) {
    seenW = w;
    seenL = l;
    return tvr::LRESULT(7);
  });
  EXPECT_EQ(window.WindowProc(WM_COMMAND_TYPE, 1, -3), 7);
  EXPECT_EQ(seenW, 1u);
  EXPECT_EQ(seenL, -3);
  EXPECT_EQ(window.WindowProc(RegisterMessage("Tavric::ReceiveATR"), 1, 2), 0);
  // A later handler for the same message replaces the first.
  window.On(WM_COMMAND_TYPE, [](tvr::WPARAM, tvr::LPARAM) { return tvr::LRESULT(9); });
  EXPECT_EQ(window.WindowProc(WM_COMMAND_TYPE, 0, 0), 9);
}
