// Named messages: process-wide ids for message names, and the posting and
// sending entry points that boards and host tools call.
#include <tavric/messages.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>

#include "platform/dispatcher.h"
#include "platform/spare_blocks.h"

namespace {

constexpr tvr::UINT kFirstMessageId = 0xC000;
constexpr tvr::UINT kLastMessageId = 0xFFFF;
// No reader frame comes near this; a count beyond it is a board's bug, refused
// rather than allowed to exhaust memory.
constexpr std::size_t kMaxPostedBytes = std::size_t(1) << 30;

// The fourteen names of the board contract, in the order of their ids. The
// registry is seeded with them when it is first used, so whichever module or
// static initialiser asks first, "Tavric::SendCommand" is 0xC000 and so on; the
// exported variables below can then be constant-initialised and are right
// even for a reader that runs before libtavric's own dynamic initialisers.
constexpr const char* kContractNames[] = {
    "Tavric::SendCommand",
    "Tavric::CommandType",
    "Tavric::EndCommand",
    "Tavric::SendApdu",
    "Tavric::SendRawdata",
    "Tavric::ReceiveAnswer",
    "Tavric::ReceiveComments",
    "Tavric::ReceiveError",
    "Tavric::ReceiveBoardDisconnected",
    "Tavric::ReceiveATR",
    "Tavric::OnLpbMsg",
    "Tavric::ReceiveCardRemoved",
    "Tavric::ReceiveTimedAnswer",
    "Tavric::ReceiveSettingsChanged",
};

// Names compare without regard to letter case, as registered window messages
// always did: a plug-in that spells a name differently still meets the host.
std::string FoldCase(const char* name) {
  std::string key(name);
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return key;
}

class CMessageNames {
 public:
  static CMessageNames& Get() {
    static CMessageNames names;
    return names;
  }

  tvr::UINT Register(const char* name) {
    std::string key = FoldCase(name);
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_ids.find(key);
    if (it != m_ids.end()) return it->second;
    if (m_nNext > kLastMessageId) return 0;  // the id space is spent
    tvr::UINT id = m_nNext++;
    m_ids.emplace(std::move(key), id);
    return id;
  }

 private:
  CMessageNames() {
    for (const char* name : kContractNames) m_ids.emplace(FoldCase(name), m_nNext++);
  }

  std::mutex m_mutex;
  std::unordered_map<std::string, tvr::UINT> m_ids;
  tvr::UINT m_nNext = kFirstMessageId;
};

// Registers the contract names before main() runs, and checks that the seeded
// ids and the constants below agree.
[[maybe_unused]] const bool g_bContractNamesRegistered = [] {
  for (const char* name : kContractNames) CMessageNames::Get().Register(name);
  return true;
}();

}  // namespace

TVR_API tvr::UINT WM_SEND_COMMAND = kFirstMessageId + 0;
TVR_API tvr::UINT WM_COMMAND_TYPE = kFirstMessageId + 1;
TVR_API tvr::UINT WM_END_COMMAND = kFirstMessageId + 2;
TVR_API tvr::UINT WM_SEND_APDU = kFirstMessageId + 3;
TVR_API tvr::UINT WM_SEND_RAWDATA = kFirstMessageId + 4;
TVR_API tvr::UINT WM_RECV_ANSWER = kFirstMessageId + 5;
TVR_API tvr::UINT WM_RECV_COMMENTS = kFirstMessageId + 6;
TVR_API tvr::UINT WM_RECV_ERROR = kFirstMessageId + 7;
TVR_API tvr::UINT WM_RECV_BOARD_DISCONNECTED = kFirstMessageId + 8;
// kFirstMessageId + 9 is "Tavric::ReceiveATR": registered, handled by no window.
TVR_API tvr::UINT WM_LPB = kFirstMessageId + 10;
TVR_API tvr::UINT WM_RECV_CARD_REMOVED = kFirstMessageId + 11;
TVR_API tvr::UINT WM_RECV_TIMED_ANSWER = kFirstMessageId + 12;
TVR_API tvr::UINT WM_RECV_SETTINGS_CHANGED = kFirstMessageId + 13;

TVR_API tvr::UINT RegisterMessage(const char* name) {
  if (name == nullptr || *name == '\0') return 0;
  return CMessageNames::Get().Register(name);
}

TVR_API tvr::LRESULT SendMessage(tvr::HWND hWnd, tvr::UINT message, tvr::WPARAM wParam, tvr::LPARAM lParam) {
  CTVRDispatcher* pDispatcher = CTVRDispatcher::GetInstalled();
  return pDispatcher != nullptr ? pDispatcher->Send(hWnd, message, wParam, lParam) : 0;
}

TVR_API tvr::BOOL PostMessage(tvr::HWND hWnd, tvr::UINT message, tvr::WPARAM wParam, tvr::LPARAM lParam) {
  CTVRDispatcher* pDispatcher = CTVRDispatcher::GetInstalled();
  return pDispatcher != nullptr ? pDispatcher->Post(hWnd, message, wParam, lParam) : FALSE;
}

TVR_API tvr::BOOL PostMessageDelayed(tvr::HWND hWnd, tvr::UINT message, tvr::WPARAM wParam, tvr::LPARAM lParam,
                                     unsigned delayMs) {
  CTVRDispatcher* pDispatcher = CTVRDispatcher::GetInstalled();
  return pDispatcher != nullptr ? pDispatcher->PostDelayed(hWnd, message, wParam, lParam, delayMs) : FALSE;
}

namespace {

// The bytes copied for the queued message, a zero byte, then `tail` bytes
// more. The copy is owned by the queued message: it outlives the board's
// buffer and goes away with the message, handled or dropped.
tvr::BOOL PostCopy(tvr::HWND hWnd, tvr::UINT message, const void* data, std::size_t count, tvr::LPARAM lParam,
                   const void* tail, std::size_t tailCount) {
  CTVRDispatcher* pDispatcher = CTVRDispatcher::GetInstalled();
  if (pDispatcher == nullptr || hWnd == 0 || (data == nullptr && count != 0)) return FALSE;
  if (count >= kMaxPostedBytes) return FALSE;
  // A spare block when the copy is short: every answer of a run comes through
  // here.
  const std::size_t size = count + 1 + tailCount;
  tvr::BYTE* copy;
  try {
    copy = static_cast<tvr::BYTE*>(tvr_spare_blocks::Take(size));
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  CTVRDispatcher::COwned owned(copy, CTVRDispatcher::CRelease{tvr_spare_blocks::GiveFor(size)});
  if (count != 0) std::memcpy(copy, data, count);
  copy[count] = 0;
  if (tailCount != 0) std::memcpy(copy + count + 1, tail, tailCount);
  return pDispatcher->Post(hWnd, message, reinterpret_cast<tvr::WPARAM>(copy), lParam, std::move(owned));
}

}  // namespace

TVR_API tvr::BOOL PostBytes(tvr::HWND hWnd, tvr::UINT message, const void* data, std::size_t count,
                            tvr::LPARAM lParam) {
  return PostCopy(hWnd, message, data, count, lParam, nullptr, 0);
}

TVR_API tvr::BOOL PostTimedAnswer(tvr::HWND hWnd, const tvr::BYTE* answer, tvr::DWORD length,
                                  std::chrono::nanoseconds roundTrip) {
  const std::int64_t ns = roundTrip.count();
  return PostCopy(hWnd, WM_RECV_TIMED_ANSWER, answer, length, tvr::LPARAM(length), &ns, sizeof ns);
}

TVR_API tvr::BOOL PostAnswer(tvr::HWND hWnd, const tvr::BYTE* answer, tvr::DWORD length) {
  return PostBytes(hWnd, WM_RECV_ANSWER, answer, length, tvr::LPARAM(length));
}

TVR_API tvr::BOOL PostComment(tvr::HWND hWnd, const char* text, int kind) {
  if (text == nullptr) return FALSE;
  return PostBytes(hWnd, WM_RECV_COMMENTS, text, std::strlen(text), tvr::LPARAM(kind));
}
