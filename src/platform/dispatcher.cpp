#include "platform/dispatcher.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <tavric/message_window.h>

namespace {

using Clock = std::chrono::steady_clock;

const QEvent::Type kWakeEvent = QEvent::Type(QEvent::registerEventType());
const QEvent::Type kArmTimerEvent = QEvent::Type(QEvent::registerEventType());
// A drain looks at the time after this many messages.
constexpr std::size_t kMessagesPerClockCheck = 8;

// A thread blocked in a cross-thread send. It lives on that thread's stack;
// Release notifies while holding the lock, so the sender cannot return and
// destroy it before the notification is done.
struct SendWaiter {
  std::mutex m_mutex;
  std::condition_variable m_cv;
  bool m_bDone = false;
  tvr::LRESULT m_result = 0;

  void Release(tvr::LRESULT result) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_result = result;
    m_bDone = true;
    m_cv.notify_one();
  }
  tvr::LRESULT Wait() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cv.wait(lock, [this] { return m_bDone; });
    return m_result;
  }
};

struct Message {
  tvr::HWND m_hWnd = 0;
  tvr::UINT m_message = 0;
  tvr::WPARAM m_wParam = 0;
  tvr::LPARAM m_lParam = 0;
  CTVRDispatcher::COwned m_data;    // released with the message
  SendWaiter* m_pWaiter = nullptr;  // a blocked sender, or null for a post
  // The window, found under the queue lock when the message was queued. A
  // window's destructor purges its messages under that lock, and windows go
  // on the UI thread, where messages are handled: a message still queued, or
  // taken out to be handled, has a live window.
  CTVRMessageWindow* m_pWnd = nullptr;
};

}  // namespace

struct CTVRDispatcher::Impl {
  // Lives on the UI thread: turns our two private Qt events into a drain and a
  // re-arm of the timer of timed posts.
  class Waker : public QObject {
   public:
    // A board's thread may make the waker (its first post); the UI thread
    // reads it. The pointer is handed over as an atomic, so that reading it
    // follows its making for a race detector too.
    explicit Waker(Impl* pImpl) { m_pImpl.store(pImpl, std::memory_order_release); }
    bool event(QEvent* e) override {
      Impl* pImpl = m_pImpl.load(std::memory_order_acquire);
      // Our events were made and posted under the post lock: taking it here
      // shows a race detector the hand-over that Qt's own queue hides.
      { std::lock_guard<std::mutex> lock(pImpl->m_postMutex); }
      if (e->type() == kWakeEvent) {
        pImpl->OnWake();
        return true;
      }
      if (e->type() == kArmTimerEvent) {
        pImpl->ArmTimer();
        return true;
      }
      return QObject::event(e);
    }
    QTimer* m_pTimer = nullptr;

   private:
    std::atomic<Impl*> m_pImpl;
  };

  mutable std::mutex m_mutex;
  std::deque<Message> m_queue;
  // Counts the messages queued, so that a thread waiting awake for one need
  // not take the lock.
  std::atomic<std::uint64_t> m_nQueued{0};
  // Equal due times keep their posting order: multimap inserts at the end of
  // an equal range.
  std::multimap<Clock::time_point, Message> m_timed;
  bool m_bWakePosted = false;  // a wake event sits in Qt's queue
  bool m_bDraining = false;    // a drain runs on the UI thread
  bool m_bAwake = false;       // the UI thread waits awake for a post (DrainAwake): no wake is needed

  std::mutex m_firstThreadMutex;
  bool m_bHaveFirstThread = false;
  std::thread::id m_firstThread;

  // The condition of the RunUntil in progress (UI thread only): looked at after
  // every message, so a run stops exactly where its caller asked.
  const std::function<bool()>* m_pUntil = nullptr;

  std::mutex m_wakerMutex;
  std::mutex m_postMutex;  // held while one of our events is made and posted
  Waker* m_pWaker = nullptr;
  QCoreApplication* m_pWakerApp = nullptr;

  bool IsUiThread() {
    if (QCoreApplication* app = QCoreApplication::instance()) return QThread::currentThread() == app->thread();
    std::lock_guard<std::mutex> lock(m_firstThreadMutex);
    if (!m_bHaveFirstThread) {
      m_bHaveFirstThread = true;
      m_firstThread = std::this_thread::get_id();
    }
    return m_firstThread == std::this_thread::get_id();
  }

  // The waker of the current QCoreApplication, made on first need; null while
  // there is no application. A waker left from an earlier application is
  // abandoned rather than deleted: it may belong to a thread that is gone.
  Waker* GetWaker() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) return nullptr;
    std::lock_guard<std::mutex> lock(m_wakerMutex);
    if (m_pWaker == nullptr || m_pWakerApp != app) {
      m_pWaker = new Waker(this);
      if (m_pWaker->thread() != app->thread()) m_pWaker->moveToThread(app->thread());
      m_pWakerApp = app;
    }
    return m_pWaker;
  }

  // False when there is no application to post to.
  bool PostToWaker(QEvent::Type type) {
    Waker* pWaker = GetWaker();
    if (pWaker == nullptr) return false;
    std::lock_guard<std::mutex> lock(m_postMutex);
    QCoreApplication::postEvent(pWaker, new QEvent(type));
    return true;
  }

  void PostWake() {
    if (!PostToWaker(kWakeEvent)) {
      // No loop to wake yet: the next post, or RunUntil, tries again.
      std::lock_guard<std::mutex> lock(m_mutex);
      m_bWakePosted = false;
    }
  }

  // Must be called with m_mutex held. TRUE when the caller is to post a wake.
  bool NeedWakeLocked() {
    if (m_bWakePosted || m_bDraining || m_bAwake || m_queue.empty()) return false;
    m_bWakePosted = true;
    return true;
  }

  tvr::BOOL Enqueue(Message&& msg) {
    bool wake = false;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      // Checked under the queue lock: a window's destructor leaves the live
      // table before it purges the queue, so a message either is refused here
      // or is purged there, never left behind for a blocked sender.
      msg.m_pWnd = CTVRMessageWindow::FromHandle(msg.m_hWnd);
      if (msg.m_pWnd == nullptr) return FALSE;
      m_queue.push_back(std::move(msg));
      m_nQueued.fetch_add(1, std::memory_order_release);
      wake = NeedWakeLocked();
    }
    if (wake) PostWake();
    return TRUE;
  }

  static void Dispatch(Message& msg) {
    // Releases a blocked sender even if the handler throws.
    struct Completion {
      SendWaiter* m_pWaiter;
      tvr::LRESULT m_result = 0;
      ~Completion() {
        if (m_pWaiter != nullptr) m_pWaiter->Release(m_result);
      }
    } completion{msg.m_pWaiter};
    completion.m_result = msg.m_pWnd->WindowProc(msg.m_message, msg.m_wParam, msg.m_lParam);
  }

  std::size_t Drain(std::chrono::microseconds budget) {
    if (!IsUiThread()) return 0;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      // A nested event loop inside a handler (a modal dialog) must not run the
      // next message inside the current one.
      if (m_bDraining) return 0;
      m_bDraining = true;
    }
    struct EndOfDrain {
      Impl* m_pImpl;
      ~EndOfDrain() {
        bool wake;
        {
          std::lock_guard<std::mutex> lock(m_pImpl->m_mutex);
          m_pImpl->m_bDraining = false;
          wake = m_pImpl->NeedWakeLocked();
        }
        // Messages left over after the budget: the Qt loop gets its turn
        // (input, repaint, timers) and wakes us again afterwards.
        if (wake) m_pImpl->PostWake();
      }
    } endOfDrain{this};

    const Clock::time_point deadline = Clock::now() + budget;
    std::size_t handled = 0;
    for (;;) {
      Message msg;
      {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_queue.empty()) break;
        msg = std::move(m_queue.front());
        m_queue.pop_front();
      }
      Dispatch(msg);
      ++handled;
      if (m_pUntil != nullptr && (*m_pUntil)()) break;
      // Read after every message, the clock took 6 % of a script run's time;
      // read once every few messages, the budget may be overrun by that many
      // messages, a few microseconds in a run.
      if (handled % kMessagesPerClockCheck == 0 && Clock::now() >= deadline) break;
    }
    return handled;
  }

  void OnWake() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_bWakePosted = false;
    }
    Drain(std::chrono::milliseconds(5));
  }

  // Moves the timed posts that are due into the queue, in due order.
  void MoveDueTimed() {
    bool wake;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      const Clock::time_point now = Clock::now();
      while (!m_timed.empty() && m_timed.begin()->first <= now) {
        m_queue.push_back(std::move(m_timed.begin()->second));
        m_timed.erase(m_timed.begin());
      }
      wake = NeedWakeLocked();
    }
    if (wake) PostWake();
  }

  // UI thread only: points the timer at the earliest timed post.
  void ArmTimer() {
    Waker* pWaker = GetWaker();
    if (pWaker == nullptr) return;
    Clock::time_point next;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_timed.empty()) {
        if (pWaker->m_pTimer != nullptr) pWaker->m_pTimer->stop();
        return;
      }
      next = m_timed.begin()->first;
    }
    if (pWaker->m_pTimer == nullptr) {
      pWaker->m_pTimer = new QTimer(pWaker);
      pWaker->m_pTimer->setSingleShot(true);
      pWaker->m_pTimer->setTimerType(Qt::PreciseTimer);
      QObject::connect(pWaker->m_pTimer, &QTimer::timeout, pWaker, [this] {
        MoveDueTimed();
        ArmTimer();
      });
    }
    auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
    pWaker->m_pTimer->start(int(std::max<long long>(0, std::min<long long>(wait.count(), 0x7FFFFFFF))));
  }

  void RequestArmTimer() {
    if (IsUiThread()) {
      ArmTimer();
    } else {
      PostToWaker(kArmTimerEvent);
    }
  }

  bool IsIdle() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.empty() && m_timed.empty();
  }

  // The dispatcher goes: what is queued is dropped (a blocked sender gets 0)
  // and the waker goes with it, taking its wake events out of Qt's queue.
  void Shutdown() {
    std::vector<Message> dropped;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      for (Message& msg : m_queue) dropped.push_back(std::move(msg));
      for (auto& timed : m_timed) dropped.push_back(std::move(timed.second));
      m_queue.clear();
      m_timed.clear();
    }
    for (Message& msg : dropped) {
      if (msg.m_pWaiter != nullptr) msg.m_pWaiter->Release(0);
    }
    std::lock_guard<std::mutex> lock(m_wakerMutex);
    // A waker of an application that is gone, or of another thread, is
    // abandoned: it can receive nothing more from this dispatcher.
    if (m_pWaker != nullptr && m_pWakerApp == QCoreApplication::instance() &&
        m_pWaker->thread() == QThread::currentThread())
      delete m_pWaker;
    m_pWaker = nullptr;
  }

  void DropMessagesFor(tvr::HWND hWnd) {
    std::vector<Message> dropped;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      std::deque<Message> kept;
      bool any = false;
      for (const Message& msg : m_queue) {
        if (msg.m_hWnd == hWnd) {
          any = true;
          break;
        }
      }
      if (any) {
        for (Message& msg : m_queue) {
          if (msg.m_hWnd == hWnd)
            dropped.push_back(std::move(msg));
          else
            kept.push_back(std::move(msg));
        }
        m_queue.swap(kept);
      }
      for (auto it = m_timed.begin(); it != m_timed.end();) {
        if (it->second.m_hWnd == hWnd) {
          dropped.push_back(std::move(it->second));
          it = m_timed.erase(it);
        } else {
          ++it;
        }
      }
    }
    // Outside the lock: a data deleter or a woken sender may post again.
    for (Message& msg : dropped) {
      if (msg.m_pWaiter != nullptr) msg.m_pWaiter->Release(0);
    }
  }

  bool RunUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    if (pred()) return true;
    struct UntilScope {
      Impl* m_pImpl;
      const std::function<bool()>* m_pPrevious;
      ~UntilScope() { m_pImpl->m_pUntil = m_pPrevious; }
    } untilScope{this, m_pUntil};
    m_pUntil = &pred;
    if (QCoreApplication::instance() == nullptr || !IsUiThread()) return RunWithoutLoop(pred, deadline);

    // Messages queued before the application existed have not woken anyone.
    bool wake;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      wake = NeedWakeLocked();
    }
    if (wake) PostWake();
    ArmTimer();

    // A ticking timer bounds each wait, so a predicate that turns true without
    // an event (another thread's flag) is still seen, and the timeout holds.
    QTimer tick;
    tick.setInterval(5);
    tick.start();
    while (!pred()) {
      if (Clock::now() >= deadline) return pred();
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
  }

  // Without a QCoreApplication (or off the UI thread) there is no loop to
  // run: drain by hand and wait for timed posts with a short sleep.
  bool RunWithoutLoop(const std::function<bool()>& pred, Clock::time_point deadline) {
    while (!pred()) {
      if (Clock::now() >= deadline) return pred();
      MoveDueTimed();
      if (Drain(std::chrono::milliseconds(5)) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }
};

namespace {

// The dispatcher the message functions reach; set by the host context.
std::atomic<CTVRDispatcher*> g_pInstalledDispatcher{nullptr};

}  // namespace

CTVRDispatcher::CTVRDispatcher() : m_pImpl(std::make_unique<Impl>()) {}

CTVRDispatcher::~CTVRDispatcher() {
  if (m_bInstalled) {
    CTVRDispatcher* pSelf = this;
    g_pInstalledDispatcher.compare_exchange_strong(pSelf, m_pPreviousInstalled, std::memory_order_acq_rel);
  }
  m_pImpl->Shutdown();
}

void CTVRDispatcher::Install() {
  CTVRDispatcher* pPrevious = g_pInstalledDispatcher.exchange(this, std::memory_order_acq_rel);
  if (pPrevious == this) return;
  m_pPreviousInstalled = pPrevious;
  m_bInstalled = true;
}

CTVRDispatcher* CTVRDispatcher::GetInstalled() {
  return g_pInstalledDispatcher.load(std::memory_order_acquire);
}

bool CTVRDispatcher::IsUiThread() const {
  return m_pImpl->IsUiThread();
}

tvr::BOOL CTVRDispatcher::Post(tvr::HWND hWnd, tvr::UINT message, tvr::WPARAM wParam, tvr::LPARAM lParam, COwned data) {
  if (hWnd == 0) return FALSE;
  return m_pImpl->Enqueue(Message{hWnd, message, wParam, lParam, std::move(data), nullptr});
}

tvr::BOOL CTVRDispatcher::PostDelayed(tvr::HWND hWnd, tvr::UINT message, tvr::WPARAM wParam, tvr::LPARAM lParam,
                                      unsigned delayMs, COwned data) {
  if (hWnd == 0) return FALSE;
  if (delayMs == 0) return Post(hWnd, message, wParam, lParam, std::move(data));
  {
    std::lock_guard<std::mutex> lock(m_pImpl->m_mutex);
    CTVRMessageWindow* pWnd = CTVRMessageWindow::FromHandle(hWnd);
    if (pWnd == nullptr) return FALSE;
    m_pImpl->m_timed.emplace(Clock::now() + std::chrono::milliseconds(delayMs),
                             Message{hWnd, message, wParam, lParam, std::move(data), nullptr, pWnd});
  }
  m_pImpl->RequestArmTimer();
  return TRUE;
}

tvr::LRESULT CTVRDispatcher::Send(tvr::HWND hWnd, tvr::UINT message, tvr::WPARAM wParam, tvr::LPARAM lParam) {
  if (hWnd == 0) return 0;
  if (m_pImpl->IsUiThread()) {
    CTVRMessageWindow* pWnd = CTVRMessageWindow::FromHandle(hWnd);
    return pWnd != nullptr ? pWnd->WindowProc(message, wParam, lParam) : 0;
  }
  // Queued behind what this thread posted before, so a board's comment and
  // its answer arrive in the order it sent them.
  SendWaiter waiter;
  if (!m_pImpl->Enqueue(Message{hWnd, message, wParam, lParam, nullptr, &waiter})) return 0;
  return waiter.Wait();
}

std::size_t CTVRDispatcher::Drain(std::chrono::microseconds budget) {
  return m_pImpl->Drain(budget);
}

std::size_t CTVRDispatcher::DrainAwake(std::chrono::microseconds budget) {
  if (!m_pImpl->IsUiThread()) return 0;
  const std::uint64_t seen = m_pImpl->m_nQueued.load(std::memory_order_acquire);
  {
    std::lock_guard<std::mutex> lock(m_pImpl->m_mutex);
    if (m_pImpl->m_bDraining) return 0;
    // Posts from now on wake no loop: this thread handles them below.
    m_pImpl->m_bAwake = m_pImpl->m_queue.empty();
  }
  if (m_pImpl->m_bAwake) {
    const Clock::time_point until = Clock::now() + budget;
    // Not a pause: the daemon or the card this thread waits for may need
    // this core.
    while (m_pImpl->m_nQueued.load(std::memory_order_acquire) == seen && Clock::now() < until)
      std::this_thread::yield();
    std::lock_guard<std::mutex> lock(m_pImpl->m_mutex);
    m_pImpl->m_bAwake = false;
  }
  // Whatever came meanwhile, woken for or not, is handled here.
  return Drain();
}

std::size_t CTVRDispatcher::PendingCount() const {
  std::lock_guard<std::mutex> lock(m_pImpl->m_mutex);
  return m_pImpl->m_queue.size();
}

std::size_t CTVRDispatcher::PendingTimedCount() const {
  std::lock_guard<std::mutex> lock(m_pImpl->m_mutex);
  return m_pImpl->m_timed.size();
}

bool CTVRDispatcher::RunUntilIdle(std::chrono::milliseconds timeout) {
  return m_pImpl->RunUntil([this] { return m_pImpl->IsIdle(); }, timeout);
}

bool CTVRDispatcher::RunUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
  if (!pred) return false;
  return m_pImpl->RunUntil(pred, timeout);
}

void CTVRDispatcher::DropMessagesFor(tvr::HWND hWnd) {
  m_pImpl->DropMessagesFor(hWnd);
}
