// Output of the runner (the trace on the terminal, the log file) gathered in a
// buffer of our own and written in large pieces: on a short timer, when the
// buffer is full, and at the end. What is still pending when the process is
// about to die (a plug-in crashed, hung past the watchdog, or a second Ctrl+C
// came) can then be written with nothing but write(2), from a signal handler
// or another thread, so the trace up to the fault is never lost.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>

class CTVRPendingOutput {
 public:
  static constexpr std::size_t CAPACITY = std::size_t{64} * 1024;

  // fd -1: nothing is written until SetFd.
  explicit CTVRPendingOutput(int fd = -1);
  ~CTVRPendingOutput();
  CTVRPendingOutput(const CTVRPendingOutput&) = delete;
  CTVRPendingOutput& operator=(const CTVRPendingOutput&) = delete;

  // The UI thread's side. FALSE once a write has failed; nothing is written after.
  void SetFd(int fd);
  int GetFd() const { return m_fd.load(std::memory_order_relaxed); }
  bool Append(const char* data, std::size_t size);
  bool Flush();
  // Drops what is pending (the file is started over).
  void Discard();
  bool HasFailed() const { return m_bFailed; }

  // Writes what every output has pending. Async-signal-safe, from any thread.
  static void WriteAllPending() noexcept;

 private:
  // The terminal and, for each reader of a run, its log and its spool.
  static constexpr int MAX_OUTPUTS = 1024;
  static std::atomic<CTVRPendingOutput*> s_Outputs[MAX_OUTPUTS];

  static bool WriteAll(int fd, const char* data, std::size_t size) noexcept;
  void WritePending() noexcept;

  std::atomic<int> m_fd;
  std::unique_ptr<char[]> m_pBuffer;
  // Bytes [m_nWritten, m_nUsed) of the buffer are pending. The UI thread
  // fills the buffer before it publishes the new end, so a reader of the
  // counters on another thread sees bytes that are there.
  std::atomic<std::size_t> m_nUsed{0};
  std::atomic<std::size_t> m_nWritten{0};
  bool m_bFailed = false;
};
