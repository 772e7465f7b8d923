#include "pcsc_reader_watch.h"

#include <chrono>

#include <tavric/messages.h>

namespace {

// Not INFINITE: a cancel that comes between two waits would be lost.
constexpr DWORD kWaitMs = 1000;
constexpr auto kRetry = std::chrono::milliseconds(500);

}  // namespace

void CTVRPcscReaderWatch::Start(tvr::HWND hWnd) {
  if (m_Thread.joinable()) return;
  m_hWnd = hWnd;
  m_bStop = false;
  m_Thread = std::thread([this] { Main(); });
}

void CTVRPcscReaderWatch::Stop() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bStop = true;
    if (m_hContext) SCardCancel(m_hContext);
  }
  m_wake.notify_all();
  if (m_Thread.joinable()) m_Thread.join();
}

bool CTVRPcscReaderWatch::IsStopped() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_bStop;
}

void CTVRPcscReaderWatch::PostChanged() const {
  PostMessage(m_hWnd, WM_RECV_SETTINGS_CHANGED, 0, 0);
}

void CTVRPcscReaderWatch::Main() {
  bool first = true;
  for (;;) {
    SCARDCONTEXT context = 0;
    const LONG rv = SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &context);
    if (rv == SCARD_S_SUCCESS) {
      {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_hContext = context;
      }
      // The daemon back: its readers may not be those it had.
      if (!first) PostChanged();
      Follow(context);
      {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_hContext = 0;
      }
      SCardReleaseContext(context);
    }
    first = false;
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_wake.wait_for(lock, kRetry, [this] { return m_bStop; })) return;
  }
}

void CTVRPcscReaderWatch::Follow(SCARDCONTEXT context) {
  SCARD_READERSTATE pnp{};
  pnp.szReader = "\\\\?PnP?\\Notification";
  // The first wait learns the count of readers that the state's high word holds.
  pnp.dwCurrentState = SCARD_STATE_UNAWARE;
  bool learnt = false;
  while (!IsStopped()) {
    const LONG rv = SCardGetStatusChange(context, learnt ? kWaitMs : 0, &pnp, 1);
    if (rv == SCARD_E_TIMEOUT) {
      learnt = true;
      continue;
    }
    if (rv != SCARD_S_SUCCESS) {
      // The daemon gone (or the wait cancelled): the list cannot be read now.
      if (rv != SCARD_E_CANCELLED) PostChanged();
      return;
    }
    if (learnt && (pnp.dwEventState & SCARD_STATE_CHANGED)) PostChanged();
    learnt = true;
    pnp.dwCurrentState = pnp.dwEventState & ~DWORD(SCARD_STATE_CHANGED);
  }
}
