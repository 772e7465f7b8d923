#include "sim_delay_line.h"

#include <string>

#include <tavric/messages.h>
#include <tavric/trace_record.h>

CTVRSimDelayLine::CTVRSimDelayLine() = default;

CTVRSimDelayLine::~CTVRSimDelayLine() {
  {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_bStop = true;
    m_Queue.clear();
  }
  m_Wake.notify_all();
  if (m_Thread.joinable()) m_Thread.join();
}

void CTVRSimDelayLine::Deliver(tvr::HWND hWnd, EKind kind, const std::vector<tvr::BYTE>& bytes,
                               Clock::time_point sent) {
  switch (kind) {
    case KIND_ANSWER:
      if (sent != Clock::time_point())
        PostTimedAnswer(hWnd, bytes.data(), tvr::DWORD(bytes.size()), Clock::now() - sent);
      else
        PostAnswer(hWnd, bytes.data(), tvr::DWORD(bytes.size()));
      break;
    case KIND_COMMENT: {
      const std::string text(bytes.begin(), bytes.end());
      PostComment(hWnd, text.c_str(), TRACE_COMMENT);
      break;
    }
    case KIND_END_COMMAND:
      PostMessage(hWnd, WM_END_COMMAND, 0, 0);
      break;
    case KIND_DISCONNECTED:
      PostMessage(hWnd, WM_RECV_BOARD_DISCONNECTED, 0, 0);
      break;
  }
}

void CTVRSimDelayLine::Push(tvr::HWND hWnd, EKind kind, std::vector<tvr::BYTE> bytes, unsigned delayMs,
                            Clock::time_point sent) {
  {
    std::lock_guard<std::mutex> lock(m_Mutex);
    auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(delayMs);
    if (!m_Queue.empty() && due < m_Queue.back().m_Due) due = m_Queue.back().m_Due;
    m_Queue.push_back({due, hWnd, kind, std::move(bytes), sent});
    if (!m_Thread.joinable()) m_Thread = std::thread([this] { Run(); });
  }
  m_Wake.notify_all();
}

void CTVRSimDelayLine::Clear() {
  std::lock_guard<std::mutex> lock(m_Mutex);
  m_Queue.clear();
}

bool CTVRSimDelayLine::IsIdle() const {
  std::lock_guard<std::mutex> lock(m_Mutex);
  return m_Queue.empty();
}

void CTVRSimDelayLine::Run() {
  std::unique_lock<std::mutex> lock(m_Mutex);
  while (!m_bStop) {
    if (m_Queue.empty()) {
      m_Wake.wait(lock);
      continue;
    }
    const auto due = m_Queue.front().m_Due;
    if (std::chrono::steady_clock::now() < due) {
      m_Wake.wait_until(lock, due);
      continue;
    }
    // Posted under the lock, so IsIdle never reports idle while an item is
    // between the queue and the document; posting never calls back into us.
    Deliver(m_Queue.front().m_hWnd, m_Queue.front().m_eKind, m_Queue.front().m_Bytes, m_Queue.front().m_Sent);
    m_Queue.pop_front();
  }
}
