// The UI thread's message queue: order, threads, synchronous sends, dropped
// messages, timed posts and fairness towards the rest of the Qt loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QTimer>

#include <tavric/messages.h>

#include "platform/dispatcher.h"
#include "test_window.h"

using namespace std::chrono_literals;

namespace {

class DispatcherTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Dispatcher().RunUntilIdle(2s)); }
  void TearDown() override { EXPECT_TRUE(Dispatcher().RunUntilIdle(2s)); }

  static CTVRDispatcher& Dispatcher() { return CTVRDispatcher::Instance(); }

  // Waits for another thread's message to be queued, without running the
  // loop that would handle it.
  static bool WaitQueuedWithoutLoop(std::size_t count) {
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (Dispatcher().PendingCount() < count && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(1ms);
    return Dispatcher().PendingCount() == count;
  }

  const tvr::UINT m_msgA = RegisterMessage("Test::Dispatcher::A");
  const tvr::UINT m_msgB = RegisterMessage("Test::Dispatcher::B");
};

}  // namespace

TEST_F(DispatcherTest, TheTestThreadIsTheUiThread) {
  EXPECT_TRUE(Dispatcher().IsUiThread());
  bool other = true;
  std::thread([&] { other = Dispatcher().IsUiThread(); }).join();
  EXPECT_FALSE(other);
}

TEST_F(DispatcherTest, NullAndDestroyedHandlesAreRefused) {
  EXPECT_FALSE(PostMessage(0, m_msgA, 0, 0));
  EXPECT_FALSE(PostMessageDelayed(0, m_msgA, 0, 0, 10));
  EXPECT_EQ(SendMessage(0, m_msgA, 0, 0), 0);
  tvr::HWND gone;
  {
    CTestWindow window;
    gone = window.GetSafeHwnd();
  }
  EXPECT_FALSE(PostMessage(gone, m_msgA, 0, 0));
  EXPECT_FALSE(PostMessageDelayed(gone, m_msgA, 0, 0, 10));
  EXPECT_EQ(SendMessage(gone, m_msgA, 0, 0), 0);
  EXPECT_EQ(Dispatcher().PendingCount(), 0u);
  EXPECT_EQ(Dispatcher().PendingTimedCount(), 0u);
}

TEST_F(DispatcherTest, PostedMessagesWaitForTheLoopAndKeepTheirOrder) {
  CTestWindow window;
  std::vector<tvr::WPARAM> seen;
  window.On(m_msgA, [&](tvr::WPARAM w, tvr::LPARAM l) {
    seen.push_back(w);
    EXPECT_EQ(l, tvr::LPARAM(w) * 10);
    return tvr::LRESULT(0);
  });
  for (tvr::WPARAM i = 0; i < 100; ++i) ASSERT_TRUE(PostMessage(window.GetSafeHwnd(), m_msgA, i, tvr::LPARAM(i) * 10));
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(Dispatcher().PendingCount(), 100u);
  ASSERT_TRUE(Dispatcher().RunUntilIdle(2s));
  ASSERT_EQ(seen.size(), 100u);
  for (tvr::WPARAM i = 0; i < 100; ++i) EXPECT_EQ(seen[i], i);
}

TEST_F(DispatcherTest, PostsFromSeveralThreadsAllArriveEachThreadInItsOwnOrder) {
  constexpr int kThreads = 4;
  constexpr int kPerThread = 2000;
  CTestWindow window;
  std::vector<std::vector<int>> seen(kThreads);
  std::thread::id handlerThread;
  window.On(m_msgA, [&](tvr::WPARAM thread, tvr::LPARAM seq) {
    handlerThread = std::this_thread::get_id();
    seen[thread].push_back(int(seq));
    return tvr::LRESULT(0);
  });
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i) PostMessage(window.GetSafeHwnd(), m_msgA, tvr::WPARAM(t), i);
    });
  }
  auto total = [&] {
    std::size_t n = 0;
    for (const auto& s : seen) n += s.size();
    return n;
  };
  ASSERT_TRUE(Dispatcher().RunUntil([&] { return total() == std::size_t(kThreads * kPerThread); }, 10s));
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(handlerThread, std::this_thread::get_id());
  for (int t = 0; t < kThreads; ++t) {
    ASSERT_EQ(seen[t].size(), std::size_t(kPerThread));
    for (int i = 0; i < kPerThread; ++i) ASSERT_EQ(seen[t][i], i) << "thread " << t;
  }
}

TEST_F(DispatcherTest, APostedMessageRunsAfterTheHandlerThatPostedItReturns) {
  CTestWindow window;
  std::vector<std::string> events;
  window.On(m_msgA, [&](tvr::WPARAM, tvr::LPARAM) {
    events.push_back("A begins");
    PostMessage(window.GetSafeHwnd(), m_msgB, 0, 0);
    // A send, unlike a post, is handled at once, inside this handler.
    SendMessage(window.GetSafeHwnd(), m_msgB, 1, 0);
    events.push_back("A ends");
    return tvr::LRESULT(0);
  });
  window.On(m_msgB, [&](tvr::WPARAM w, tvr::LPARAM) {
    events.push_back(w == 1 ? "B sent" : "B posted");
    return tvr::LRESULT(0);
  });
  PostMessage(window.GetSafeHwnd(), m_msgA, 0, 0);
  ASSERT_TRUE(Dispatcher().RunUntilIdle(2s));
  EXPECT_EQ(events, (std::vector<std::string>{"A begins", "B sent", "A ends", "B posted"}));
}

TEST_F(DispatcherTest, ADrainThatIsAlreadyRunningIsNotEnteredAgain) {
  CTestWindow window;
  std::vector<int> order;
  std::size_t nested = 99;
  window.On(m_msgA, [&](tvr::WPARAM w, tvr::LPARAM) {
    order.push_back(int(w));
    // What a modal dialog's nested loop would do: it must not run message 2
    // inside message 1.
    if (w == 1) nested = Dispatcher().Drain();
    return tvr::LRESULT(0);
  });
  PostMessage(window.GetSafeHwnd(), m_msgA, 1, 0);
  PostMessage(window.GetSafeHwnd(), m_msgA, 2, 0);
  EXPECT_EQ(Dispatcher().Drain(), 2u);
  EXPECT_EQ(nested, 0u);
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST_F(DispatcherTest, SendFromTheUiThreadReturnsTheHandlersResultAtOnce) {
  CTestWindow window;
  window.On(m_msgA, [](tvr::WPARAM w, tvr::LPARAM l) { return tvr::LRESULT(w) + l; });
  EXPECT_EQ(SendMessage(window.GetSafeHwnd(), m_msgA, 40, 2), 42);
  EXPECT_EQ(SendMessage(window.GetSafeHwnd(), m_msgB, 40, 2), 0);  // no handler
  EXPECT_EQ(Dispatcher().PendingCount(), 0u);
}

TEST_F(DispatcherTest, SendFromAnotherThreadBlocksUntilTheUiThreadHandledIt) {
  CTestWindow window;
  std::thread::id handlerThread;
  std::atomic<bool> handled{false};
  window.On(m_msgA, [&](tvr::WPARAM w, tvr::LPARAM) {
    handlerThread = std::this_thread::get_id();
    handled = true;
    return tvr::LRESULT(w * 2);
  });
  std::atomic<bool> returned{false};
  std::atomic<bool> handledWhenReturned{false};
  tvr::LRESULT result = 0;
  std::thread board([&] {
    result = SendMessage(window.GetSafeHwnd(), m_msgA, 21, 0);
    handledWhenReturned = handled.load();
    returned = true;
  });
  // The UI thread has not run its loop yet: the board must still be waiting.
  ASSERT_TRUE(WaitQueuedWithoutLoop(1));
  std::this_thread::sleep_for(30ms);
  EXPECT_FALSE(returned.load());
  ASSERT_TRUE(Dispatcher().RunUntil([&] { return returned.load(); }, 5s));
  board.join();
  EXPECT_TRUE(handledWhenReturned.load());
  EXPECT_EQ(result, 42);
  EXPECT_EQ(handlerThread, std::this_thread::get_id());
}

TEST_F(DispatcherTest, ABoardThreadsPostAndSendArriveInTheOrderItIssuedThem) {
  CTestWindow window;
  std::vector<std::string> order;
  window.On(WM_RECV_COMMENTS, [&](tvr::WPARAM w, tvr::LPARAM) {
    order.push_back(reinterpret_cast<const char*>(w));
    return tvr::LRESULT(1);
  });
  window.On(WM_RECV_ANSWER, [&](tvr::WPARAM, tvr::LPARAM) {
    order.push_back("answer");
    return tvr::LRESULT(1);
  });
  std::thread board([&] {
    PostComment(window.GetSafeHwnd(), "first", 2);
    tvr::BYTE answer[] = {0x90, 0x00};
    SendMessage(window.GetSafeHwnd(), WM_RECV_ANSWER, reinterpret_cast<tvr::WPARAM>(answer), 2);
    PostComment(window.GetSafeHwnd(), "last", 2);
  });
  ASSERT_TRUE(Dispatcher().RunUntil([&] { return order.size() == 3; }, 5s));
  board.join();
  EXPECT_EQ(order, (std::vector<std::string>{"first", "answer", "last"}));
}

TEST_F(DispatcherTest, ASenderWaitingOnAWindowThatIsDestroyedIsReleasedWithZero) {
  auto window = std::make_unique<CTestWindow>();
  bool ran = false;
  window->On(m_msgA, [&](tvr::WPARAM, tvr::LPARAM) {
    ran = true;
    return tvr::LRESULT(5);
  });
  std::atomic<bool> returned{false};
  tvr::LRESULT result = -1;
  const tvr::HWND hWnd = window->GetSafeHwnd();
  std::thread board([&] {
    result = SendMessage(hWnd, m_msgA, 0, 0);
    returned = true;
  });
  ASSERT_TRUE(WaitQueuedWithoutLoop(1));
  window.reset();
  board.join();  // would hang if the waiter were not released
  EXPECT_TRUE(returned.load());
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(ran);
  EXPECT_EQ(Dispatcher().PendingCount(), 0u);
}

TEST_F(DispatcherTest, MessagesForADestroyedWindowAreDroppedAndTheirDataReleased) {
  auto window = std::make_unique<CTestWindow>();
  int handled = 0;
  window->On(m_msgA, [&](tvr::WPARAM, tvr::LPARAM) { return tvr::LRESULT(++handled); });
  auto released = std::make_shared<int>(0);
  {
    std::shared_ptr<void> data(new int(1), [released](void* p) {
      ++*released;
      delete static_cast<int*>(p);
    });
    ASSERT_TRUE(Dispatcher().Post(window->GetSafeHwnd(), m_msgA, 0, 0, std::move(data)));
  }
  const char text[] = "comment";
  ASSERT_TRUE(PostComment(window->GetSafeHwnd(), text, 2));
  ASSERT_TRUE(PostMessageDelayed(window->GetSafeHwnd(), m_msgA, 0, 0, 20));
  EXPECT_EQ(Dispatcher().PendingCount(), 2u);
  EXPECT_EQ(Dispatcher().PendingTimedCount(), 1u);
  EXPECT_EQ(*released, 0);

  window.reset();
  EXPECT_EQ(*released, 1);  // at once, not when the loop next runs
  EXPECT_EQ(Dispatcher().PendingCount(), 0u);
  EXPECT_EQ(Dispatcher().PendingTimedCount(), 0u);
  ASSERT_TRUE(Dispatcher().RunUntilIdle(2s));
  EXPECT_EQ(handled, 0);
}

TEST_F(DispatcherTest, PostedDataLivesUntilItsHandlerHasReturned) {
  CTestWindow window;
  auto released = std::make_shared<int>(0);
  int releasedDuringHandler = -1;
  window.On(m_msgA, [&](tvr::WPARAM, tvr::LPARAM) {
    releasedDuringHandler = *released;
    return tvr::LRESULT(0);
  });
  Dispatcher().Post(window.GetSafeHwnd(), m_msgA, 0, 0, std::shared_ptr<void>(new int(0), [released](void* p) {
                      ++*released;
                      delete static_cast<int*>(p);
                    }));
  ASSERT_TRUE(Dispatcher().RunUntilIdle(2s));
  EXPECT_EQ(releasedDuringHandler, 0);
  EXPECT_EQ(*released, 1);
}

TEST_F(DispatcherTest, PostBytesHandsTheHandlerAZeroTerminatedCopy) {
  CTestWindow window;
  std::vector<std::vector<tvr::BYTE>> answers;
  std::vector<tvr::LPARAM> lengths;
  std::vector<std::string> comments;
  std::vector<tvr::LPARAM> kinds;
  window.On(WM_RECV_ANSWER, [&](tvr::WPARAM w, tvr::LPARAM l) {
    const auto* bytes = reinterpret_cast<const tvr::BYTE*>(w);
    answers.emplace_back(bytes, bytes + l);
    EXPECT_EQ(bytes[l], 0);
    lengths.push_back(l);
    return tvr::LRESULT(1);
  });
  window.On(WM_RECV_COMMENTS, [&](tvr::WPARAM w, tvr::LPARAM l) {
    comments.emplace_back(reinterpret_cast<const char*>(w));
    kinds.push_back(l);
    return tvr::LRESULT(1);
  });
  tvr::BYTE buffer[3] = {0x60, 0x01, 0xFF};
  ASSERT_TRUE(PostAnswer(window.GetSafeHwnd(), buffer, 3));
  std::memset(buffer, 0xAA, sizeof(buffer));  // the board reuses its buffer at once
  char text[] = "reader says hi";
  ASSERT_TRUE(PostComment(window.GetSafeHwnd(), text, 12));
  std::strcpy(text, "overwritten");
  ASSERT_TRUE(PostAnswer(window.GetSafeHwnd(), nullptr, 0));  // an empty answer is still an answer

  EXPECT_FALSE(PostBytes(window.GetSafeHwnd(), WM_RECV_ANSWER, nullptr, 4, 4));
  EXPECT_FALSE(PostComment(window.GetSafeHwnd(), nullptr, 2));
  EXPECT_FALSE(PostAnswer(0, buffer, 3));

  ASSERT_TRUE(Dispatcher().RunUntilIdle(2s));
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0], (std::vector<tvr::BYTE>{0x60, 0x01, 0xFF}));
  EXPECT_EQ(lengths[0], 3);
  EXPECT_TRUE(answers[1].empty());
  EXPECT_EQ(comments, std::vector<std::string>{"reader says hi"});
  EXPECT_EQ(kinds, std::vector<tvr::LPARAM>{12});
}

TEST_F(DispatcherTest, ASelfRepostingHandlerLeavesTheLoopToQtTimers) {
  CTestWindow window;
  long count = 0;
  int depth = 0;
  int maxDepth = 0;
  bool stop = false;
  window.On(m_msgA, [&](tvr::WPARAM, tvr::LPARAM) {
    ++depth;
    maxDepth = std::max(maxDepth, depth);
    ++count;
    if (!stop) PostMessage(window.GetSafeHwnd(), m_msgA, 0, 0);
    --depth;
    return tvr::LRESULT(0);
  });
  bool timerFired = false;
  QTimer::singleShot(30, [&] {
    timerFired = true;
    stop = true;
  });
  PostMessage(window.GetSafeHwnd(), m_msgA, 0, 0);
  EXPECT_TRUE(Dispatcher().RunUntil([&] { return timerFired; }, 3s));
  ASSERT_TRUE(Dispatcher().RunUntilIdle(2s));
  EXPECT_GT(count, 100);   // the cycle really ran while the timer waited
  EXPECT_EQ(maxDepth, 1);  // and never nested
}

TEST_F(DispatcherTest, DrainGivesTheLoopBackWhenItsBudgetIsSpent) {
  CTestWindow window;
  long count = 0;
  window.On(m_msgA, [&](tvr::WPARAM, tvr::LPARAM) {
    ++count;
    PostMessage(window.GetSafeHwnd(), m_msgA, 0, 0);
    return tvr::LRESULT(0);
  });
  PostMessage(window.GetSafeHwnd(), m_msgA, 0, 0);
  auto start = std::chrono::steady_clock::now();
  std::size_t handled = Dispatcher().Drain(2ms);
  auto spent = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(handled, std::size_t(count));
  EXPECT_GE(handled, 1u);
  EXPECT_LT(spent, 500ms);
  EXPECT_EQ(Dispatcher().PendingCount(), 1u);  // the cycle goes on at the next wake-up
  window.On(m_msgA, [](tvr::WPARAM, tvr::LPARAM) { return tvr::LRESULT(0); });
}

TEST_F(DispatcherTest, TimedPostsWaitTheirDelayAndRunInDueOrder) {
  CTestWindow window;
  std::vector<int> order;
  std::vector<std::chrono::steady_clock::duration> when;
  const auto start = std::chrono::steady_clock::now();
  window.On(m_msgA, [&](tvr::WPARAM w, tvr::LPARAM) {
    order.push_back(int(w));
    when.push_back(std::chrono::steady_clock::now() - start);
    return tvr::LRESULT(0);
  });
  ASSERT_TRUE(PostMessageDelayed(window.GetSafeHwnd(), m_msgA, 60, 0, 60));
  ASSERT_TRUE(PostMessageDelayed(window.GetSafeHwnd(), m_msgA, 20, 0, 20));
  ASSERT_TRUE(PostMessageDelayed(window.GetSafeHwnd(), m_msgA, 21, 0, 20));  // same delay: posting order
  ASSERT_TRUE(PostMessage(window.GetSafeHwnd(), m_msgA, 0, 0));
  EXPECT_EQ(Dispatcher().PendingTimedCount(), 3u);
  EXPECT_EQ(Dispatcher().PendingCount(), 1u);
  ASSERT_TRUE(Dispatcher().RunUntilIdle(3s));
  ASSERT_EQ(order, (std::vector<int>{0, 20, 21, 60}));
  EXPECT_GE(when[1], 20ms);
  EXPECT_GE(when[3], 60ms);
}

TEST_F(DispatcherTest, ATimedPostFromABoardThreadArrivesOnTheUiThread) {
  CTestWindow window;
  std::thread::id handlerThread;
  bool handled = false;
  window.On(m_msgA, [&](tvr::WPARAM, tvr::LPARAM) {
    handlerThread = std::this_thread::get_id();
    handled = true;
    return tvr::LRESULT(0);
  });
  std::thread([&] { EXPECT_TRUE(PostMessageDelayed(window.GetSafeHwnd(), m_msgA, 0, 0, 15)); }).join();
  ASSERT_TRUE(Dispatcher().RunUntil([&] { return handled; }, 3s));
  EXPECT_EQ(handlerThread, std::this_thread::get_id());
}

TEST_F(DispatcherTest, RunUntilStopsAtTheMessageThatMadeItsConditionTrue) {
  CTestWindow window;
  int count = 0;
  window.On(m_msgA, [&](tvr::WPARAM, tvr::LPARAM) { return tvr::LRESULT(++count); });
  for (int i = 0; i < 10; ++i) PostMessage(window.GetSafeHwnd(), m_msgA, 0, 0);
  ASSERT_TRUE(Dispatcher().RunUntil([&] { return count == 3; }, 2s));
  EXPECT_EQ(count, 3);
  EXPECT_EQ(Dispatcher().PendingCount(), 7u);
  ASSERT_TRUE(Dispatcher().RunUntilIdle(2s));
  EXPECT_EQ(count, 10);
}

TEST_F(DispatcherTest, RunUntilGivesUpAtItsTimeout) {
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Dispatcher().RunUntil([] { return false; }, 50ms));
  auto spent = std::chrono::steady_clock::now() - start;
  EXPECT_GE(spent, 50ms);
  EXPECT_LT(spent, 2s);
}
