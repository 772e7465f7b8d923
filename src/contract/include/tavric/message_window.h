// A window that exists only to receive named messages: a handle and a table
// of handlers. Destroying it invalidates its handle for good.
#pragma once

#include <functional>
#include <unordered_map>

#include <tavric/types.h>

class TVR_API CTVRMessageWindow {
 public:
  using Handler = std::function<tvr::LRESULT(tvr::WPARAM, tvr::LPARAM)>;

  CTVRMessageWindow();
  CTVRMessageWindow(const CTVRMessageWindow&) = delete;
  CTVRMessageWindow& operator=(const CTVRMessageWindow&) = delete;
  virtual ~CTVRMessageWindow();

  tvr::HWND GetSafeHwnd() const { return m_hWnd; }

  // Handles one message on the UI thread; messages without a handler return 0.
  virtual tvr::LRESULT WindowProc(tvr::UINT message, tvr::WPARAM wParam, tvr::LPARAM lParam);

  // The window behind a handle, or null for a null or destroyed handle.
  static CTVRMessageWindow* FromHandle(tvr::HWND hWnd);

 protected:
  void SetHandler(tvr::UINT message, Handler handler);

 private:
  tvr::HWND m_hWnd;
  std::unordered_map<tvr::UINT, Handler> m_handlers;
};
