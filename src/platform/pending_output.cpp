#include "platform/pending_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

std::atomic<CTVRPendingOutput*> CTVRPendingOutput::s_Outputs[MAX_OUTPUTS] = {};

CTVRPendingOutput::CTVRPendingOutput(int fd) : m_fd(fd), m_pBuffer(new char[CAPACITY]) {
  static_assert(std::atomic<std::size_t>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
                "a signal handler reads the counters");
  for (auto& slot : s_Outputs) {
    CTVRPendingOutput* none = nullptr;
    if (slot.compare_exchange_strong(none, this)) break;
  }
}

CTVRPendingOutput::~CTVRPendingOutput() {
  for (auto& slot : s_Outputs) {
    CTVRPendingOutput* self = this;
    slot.compare_exchange_strong(self, nullptr);
  }
}

void CTVRPendingOutput::SetFd(int fd) {
  m_fd.store(fd, std::memory_order_relaxed);
  m_bFailed = false;
}

bool CTVRPendingOutput::WriteAll(int fd, const char* data, std::size_t size) noexcept {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= std::size_t(n);
  }
  return true;
}

bool CTVRPendingOutput::Append(const char* data, std::size_t size) {
  if (m_bFailed || GetFd() < 0) return !m_bFailed;
  std::size_t used = m_nUsed.load(std::memory_order_relaxed);
  if (used + size > CAPACITY) {
    if (!Flush()) return false;
    used = 0;
  }
  // A piece larger than the whole buffer goes out at once.
  if (size > CAPACITY) {
    if (!WriteAll(GetFd(), data, size)) m_bFailed = true;
    return !m_bFailed;
  }
  std::memcpy(m_pBuffer.get() + used, data, size);
  m_nUsed.store(used + size, std::memory_order_release);
  return true;
}

bool CTVRPendingOutput::Flush() {
  if (m_bFailed) return false;
  const std::size_t used = m_nUsed.load(std::memory_order_relaxed);
  const std::size_t written = m_nWritten.load(std::memory_order_relaxed);
  if (used > written && !WriteAll(GetFd(), m_pBuffer.get() + written, used - written)) m_bFailed = true;
  // The end first: in between, a reader sees nothing pending rather than
  // the bytes just written once more.
  m_nUsed.store(0, std::memory_order_release);
  m_nWritten.store(0, std::memory_order_release);
  return !m_bFailed;
}

void CTVRPendingOutput::Discard() {
  m_nUsed.store(0, std::memory_order_release);
  m_nWritten.store(0, std::memory_order_release);
}

void CTVRPendingOutput::WritePending() noexcept {
  const int fd = m_fd.load(std::memory_order_relaxed);
  const std::size_t used = m_nUsed.load(std::memory_order_acquire);
  const std::size_t written = m_nWritten.load(std::memory_order_acquire);
  if (fd < 0 || used <= written || used > CAPACITY) return;
  if (WriteAll(fd, m_pBuffer.get() + written, used - written)) m_nWritten.store(used, std::memory_order_release);
}

void CTVRPendingOutput::WriteAllPending() noexcept {
  const int savedErrno = errno;
  for (auto& slot : s_Outputs)
    if (CTVRPendingOutput* pOutput = slot.load(std::memory_order_acquire)) pOutput->WritePending();
  errno = savedErrno;
}
