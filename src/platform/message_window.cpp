#include <tavric/message_window.h>

#include <atomic>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "platform/dispatcher.h"

namespace {

// Handles come from one counter and are never given out twice, so a board
// holding the handle of a closed document addresses no window at all instead
// of a newer one that happens to sit at the same address.
std::atomic<tvr::HWND> g_nNextHandle{1};

class CLiveWindows {
 public:
  static CLiveWindows& Get() {
    static CLiveWindows windows;
    return windows;
  }

  void Add(tvr::HWND hWnd, CTVRMessageWindow* pWnd) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_windows.emplace(hWnd, pWnd);
  }
  void Remove(tvr::HWND hWnd) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_windows.erase(hWnd);
    if (m_hLastFound == hWnd) m_hLastFound = 0;
  }
  CTVRMessageWindow* Find(tvr::HWND hWnd) {
    std::lock_guard<std::mutex> lock(m_mutex);
    // Every message is looked up twice (posted, handled) and a run talks to
    // one window: the last window found answers most lookups without a hash.
    if (hWnd == m_hLastFound) return m_pLastFound;
    auto it = m_windows.find(hWnd);
    if (it == m_windows.end()) return nullptr;
    m_hLastFound = hWnd;
    m_pLastFound = it->second;
    return it->second;
  }

 private:
  std::mutex m_mutex;
  std::unordered_map<tvr::HWND, CTVRMessageWindow*> m_windows;
  tvr::HWND m_hLastFound = 0;  // 0: nothing cached (no window has handle 0)
  CTVRMessageWindow* m_pLastFound = nullptr;
};

}  // namespace

CTVRMessageWindow::CTVRMessageWindow() : m_hWnd(g_nNextHandle.fetch_add(1, std::memory_order_relaxed)) {
  CLiveWindows::Get().Add(m_hWnd, this);
}

CTVRMessageWindow::~CTVRMessageWindow() {
  CLiveWindows::Get().Remove(m_hWnd);
  // Queued messages for this window can never be delivered: release their
  // data now, and any thread blocked in a send to it.
  if (CTVRDispatcher* pDispatcher = CTVRDispatcher::GetInstalled()) pDispatcher->DropMessagesFor(m_hWnd);
}

tvr::LRESULT CTVRMessageWindow::WindowProc(tvr::UINT message, tvr::WPARAM wParam, tvr::LPARAM lParam) {
  auto it = m_handlers.find(message);
  if (it == m_handlers.end() || !it->second) return 0;
  return it->second(wParam, lParam);
}

CTVRMessageWindow* CTVRMessageWindow::FromHandle(tvr::HWND hWnd) {
  if (hWnd == 0) return nullptr;
  return CLiveWindows::Get().Find(hWnd);
}

void CTVRMessageWindow::SetHandler(tvr::UINT message, Handler handler) {
  m_handlers[message] = std::move(handler);
}
