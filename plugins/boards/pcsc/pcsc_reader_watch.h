// The daemon's list of readers, followed on a thread of its own through
// pcsc-lite's "\\?PnP?\Notification" pseudo reader: each time readers come or
// go, and when the daemon goes away or comes back, the document's window is
// told that the board's settings changed (WM_RECV_SETTINGS_CHANGED), so that
// an open settings window offers the readers there are now. While the daemon
// is away the watch tries to reach it again twice a second.
#pragma once

#include <winscard.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include <tavric/types.h>

class CTVRPcscReaderWatch {
 public:
  CTVRPcscReaderWatch() = default;
  ~CTVRPcscReaderWatch() { Stop(); }
  CTVRPcscReaderWatch(const CTVRPcscReaderWatch&) = delete;
  CTVRPcscReaderWatch& operator=(const CTVRPcscReaderWatch&) = delete;

  // Starts the watch for the window, once; later calls do nothing.
  void Start(tvr::HWND hWnd);
  void Stop();

 private:
  void Main();
  // Tells of each change of the list seen on context; returns when the
  // daemon is gone or the watch is stopped.
  void Follow(SCARDCONTEXT context);
  bool IsStopped();
  void PostChanged() const;

  tvr::HWND m_hWnd = 0;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_bStop = false;
  SCARDCONTEXT m_hContext = 0;  // the thread's, guarded by m_mutex for SCardCancel
  std::thread m_Thread;
};
