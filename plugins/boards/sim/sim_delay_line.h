// Late delivery for the simulated reader: answers, comments and end-of-command
// messages wait on a thread of their own for the reader's latency, then are
// posted to the document, in the order they were queued.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include <tavric/types.h>

class CTVRSimDelayLine {
 public:
  enum EKind { KIND_ANSWER, KIND_COMMENT, KIND_END_COMMAND, KIND_DISCONNECTED };

  CTVRSimDelayLine();
  ~CTVRSimDelayLine();
  CTVRSimDelayLine(const CTVRSimDelayLine&) = delete;
  CTVRSimDelayLine& operator=(const CTVRSimDelayLine&) = delete;

  using Clock = std::chrono::steady_clock;

  // Posts at once, from the calling thread. A comment's bytes are its text.
  // An answer to a frame (`sent`, when the frame was handed to the reader,
  // not the clock's epoch) is posted with its round-trip time: until now.
  static void Deliver(tvr::HWND hWnd, EKind kind, const std::vector<tvr::BYTE>& bytes,
                      Clock::time_point sent = Clock::time_point());

  // Due delayMs from now, and never before anything queued earlier.
  void Push(tvr::HWND hWnd, EKind kind, std::vector<tvr::BYTE> bytes, unsigned delayMs,
            Clock::time_point sent = Clock::time_point());
  // Drops everything not yet posted.
  void Clear();
  // Nothing queued and nothing being posted: a direct post cannot overtake.
  bool IsIdle() const;

 private:
  struct CItem {
    std::chrono::steady_clock::time_point m_Due;
    tvr::HWND m_hWnd;
    EKind m_eKind;
    std::vector<tvr::BYTE> m_Bytes;
    std::chrono::steady_clock::time_point m_Sent;  // the epoch: not an answer to a frame
  };

  void Run();

  mutable std::mutex m_Mutex;
  std::condition_variable m_Wake;
  std::deque<CItem> m_Queue;
  bool m_bStop = false;
  std::thread m_Thread;  // started with the first late delivery
};
