// Named messages between boards, host tools and reader documents.
//
// A message name registered here yields the same identifier in every module of
// the process (identifiers start at 0xC000). Messages are handled one at a time,
// in arrival order, on the UI thread.
#pragma once

#include <chrono>

#include <tavric/types.h>

// Registers (or looks up) a message name and returns its process-wide id.
TVR_API tvr::UINT RegisterMessage(const char* name);

// Synchronous send: the message is handled before the call returns. From a
// thread other than the UI thread the caller blocks until the UI thread has
// handled it. Returns the handler's result, 0 for a null or destroyed window.
TVR_API tvr::LRESULT SendMessage(tvr::HWND hWnd, tvr::UINT message, tvr::WPARAM wParam, tvr::LPARAM lParam);

// Posted message: queued in FIFO order, safe from any thread. Returns FALSE for
// a null handle. A message for a window destroyed before it is handled is dropped.
TVR_API tvr::BOOL PostMessage(tvr::HWND hWnd, tvr::UINT message, tvr::WPARAM wParam, tvr::LPARAM lParam);

// Posted after a delay, without ever making the UI thread sleep.
TVR_API tvr::BOOL PostMessageDelayed(tvr::HWND hWnd, tvr::UINT message, tvr::WPARAM wParam, tvr::LPARAM lParam,
                                     unsigned delayMs);

// For boards that receive on a thread of their own: posts the message with
// wParam pointing to a private copy of the bytes (followed by one zero byte, so
// a text stays zero-terminated). The copy lives until the handler has returned
// or the message is dropped.
TVR_API tvr::BOOL PostBytes(tvr::HWND hWnd, tvr::UINT message, const void* data, std::size_t count, tvr::LPARAM lParam);

// The usual cases of PostBytes: an answer (lParam = its length) and a comment
// (lParam = the trace record kind).
TVR_API tvr::BOOL PostAnswer(tvr::HWND hWnd, const tvr::BYTE* answer, tvr::DWORD length);
TVR_API tvr::BOOL PostComment(tvr::HWND hWnd, const char* text, int kind);

// An answer with its round-trip time, measured by the board on the monotonic
// clock (std::chrono::steady_clock) at its edge of the link: from the frame
// handed to the link to the answer complete. The host keeps the time with the
// answer's trace record (the time column, the statistics of tavric-run --stats).
// Posted as WM_RECV_TIMED_ANSWER: wParam the copy of the bytes, lParam the
// length; the time follows the copy's terminating zero byte. A negative time
// is taken as no time.
TVR_API tvr::BOOL PostTimedAnswer(tvr::HWND hWnd, const tvr::BYTE* answer, tvr::DWORD length,
                                  std::chrono::nanoseconds roundTrip);

// Identifiers of the named messages, registered before main() runs.
extern TVR_API tvr::UINT WM_SEND_COMMAND;             // "Tavric::SendCommand"
extern TVR_API tvr::UINT WM_COMMAND_TYPE;             // "Tavric::CommandType"
extern TVR_API tvr::UINT WM_END_COMMAND;              // "Tavric::EndCommand"
extern TVR_API tvr::UINT WM_SEND_APDU;                // "Tavric::SendApdu"
extern TVR_API tvr::UINT WM_SEND_RAWDATA;             // "Tavric::SendRawdata"
extern TVR_API tvr::UINT WM_RECV_ANSWER;              // "Tavric::ReceiveAnswer"
extern TVR_API tvr::UINT WM_RECV_COMMENTS;            // "Tavric::ReceiveComments"
extern TVR_API tvr::UINT WM_RECV_ERROR;               // "Tavric::ReceiveError"
extern TVR_API tvr::UINT WM_RECV_BOARD_DISCONNECTED;  // "Tavric::ReceiveBoardDisconnected"
extern TVR_API tvr::UINT WM_LPB;                      // "Tavric::OnLpbMsg"
// A card left the reader: wParam is its slot (1 to 6), or 0 for the slot of the
// card the selected protocol addresses, where its answer to reset went.
extern TVR_API tvr::UINT WM_RECV_CARD_REMOVED;  // "Tavric::ReceiveCardRemoved"
// An answer and its round-trip time (PostTimedAnswer).
extern TVR_API tvr::UINT WM_RECV_TIMED_ANSWER;  // "Tavric::ReceiveTimedAnswer"
// What the board's GetSettings describes has changed (a reader plugged in or
// out): an open settings window of the document asks again, and keeps what
// the user has chosen in it so far.
extern TVR_API tvr::UINT WM_RECV_SETTINGS_CHANGED;  // "Tavric::ReceiveSettingsChanged"

// Handle of the message window of the active reader document; 0 when none is.
TVR_API tvr::HWND GetActiveBoard();
