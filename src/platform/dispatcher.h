// The UI thread's message queue over the Qt event loop.
//
// Posted messages go into one FIFO of our own, guarded by a mutex. The Qt loop
// is woken with a single posted event when the FIFO goes from empty to
// non-empty; the FIFO is then drained, one message at a time and in order, for
// a few milliseconds before the loop gets control back, so a Stop click or a
// repaint waits at most that long. A message posted by a handler is handled
// after that handler has returned, never inside it.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include <tavric/types.h>

class CTVRDispatcher {
 public:
  // Made by the program's host context (and by each test's), which installs
  // it: the message functions of the plug-in SDK (PostMessage, SendMessage...)
  // take no dispatcher and reach the installed one.
  CTVRDispatcher();
  // Drops what is still queued (releasing its data and any blocked sender)
  // and uninstalls itself if it is installed.
  ~CTVRDispatcher();
  CTVRDispatcher(const CTVRDispatcher&) = delete;
  CTVRDispatcher& operator=(const CTVRDispatcher&) = delete;

  // Makes this the dispatcher the message functions reach until it is
  // destroyed; the one installed before comes back then.
  void Install();
  // The installed dispatcher; null while none is.
  static CTVRDispatcher* GetInstalled();

  // The thread that created the QCoreApplication (or, before there is one, the
  // thread that first asked).
  bool IsUiThread() const;

  // What a queued message owns (the copy of a board's answer) is given back
  // by the function named here once the message has been handled or dropped.
  // One owner, so no count of owners to keep in step between threads.
  struct CRelease {
    void (*m_pfnRelease)(void*);
    void operator()(void* p) const noexcept { m_pfnRelease(p); }
  };
  using COwned = std::unique_ptr<void, CRelease>;

  // Queues a message; `data` (optional) is released once the message has been
  // handled or dropped. FALSE for a null handle.
  tvr::BOOL Post(tvr::HWND hWnd, tvr::UINT message, tvr::WPARAM wParam, tvr::LPARAM lParam, COwned data = {});
  tvr::BOOL PostDelayed(tvr::HWND hWnd, tvr::UINT message, tvr::WPARAM wParam, tvr::LPARAM lParam, unsigned delayMs,
                        COwned data = {});
  // Handled at once on the UI thread; from another thread, blocks until the UI
  // thread has handled it.
  tvr::LRESULT Send(tvr::HWND hWnd, tvr::UINT message, tvr::WPARAM wParam, tvr::LPARAM lParam);

  // Handles every message queued now and those they post, up to `budget`.
  // Returns the number handled. Used by the Qt wake-up event and by tests.
  std::size_t Drain(std::chrono::microseconds budget = std::chrono::milliseconds(5));
  // Waits awake, up to `budget`, for a message to be posted (at once when one
  // is queued), then drains; returns the number handled, 0 when none came.
  // For a UI thread about to sleep while an answer is due within
  // microseconds: the post finds it awake, and neither wakes the Qt loop nor
  // goes through it. From the UI thread only, outside a drain.
  std::size_t DrainAwake(std::chrono::microseconds budget);
  // Number of messages queued (timed posts not yet due excluded).
  std::size_t PendingCount() const;
  // Number of timed posts not yet due.
  std::size_t PendingTimedCount() const;

  // For tests and the runner: runs the Qt event loop until no message is
  // queued and no timed post is pending, or until the timeout. TRUE when idle.
  bool RunUntilIdle(std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Runs the Qt event loop until pred() is true or the timeout; returns pred().
  bool RunUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout);

 private:
  friend class CTVRMessageWindow;

  // A window is going away: drop its queued and timed messages (releasing
  // their data) and release with 0 any thread blocked in a send to it.
  void DropMessagesFor(tvr::HWND hWnd);
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
  CTVRDispatcher* m_pPreviousInstalled = nullptr;
  bool m_bInstalled = false;
};
