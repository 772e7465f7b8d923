#include <tavric/cmd_target.h>

#include <utility>

#include <tavric/class_info.h>

namespace {

const CTVRRuntimeClass g_CmdTargetClass = {"CTVRCmdTarget", nullptr};

// Command identifiers are 16-bit in every table of the program; a wider range
// is a caller's mistake and would only fill memory.
constexpr tvr::UINT kMaxRangeSize = 0x10000;

template <typename Map, typename Handler>
void AddRange(Map& map, tvr::UINT first, tvr::UINT last, Handler handler) {
  if (last < first || last - first >= kMaxRangeSize) return;
  for (tvr::UINT id = first; id != last; ++id) map[id] = handler;
  map[last] = std::move(handler);
}

}  // namespace

CTVRCmdTarget::~CTVRCmdTarget() = default;

tvr::BOOL CTVRCmdTarget::OnCmdMsg(tvr::UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  auto command = m_commands.find(nID);
  if (nCode == CN_COMMAND) {
    if (command == m_commands.end()) return FALSE;
    // A non-null pHandlerInfo asks only whether the command would be handled.
    if (pHandlerInfo != nullptr) return TRUE;
    // A copy: the handler may replace its own table entry while it runs.
    CommandHandler handler = command->second;
    handler(nID);
    return TRUE;
  }
  if (nCode == CN_UPDATE_COMMAND_UI || nCode == CN_UPDATE_HANDLER_ONLY) {
    auto* pCmdUI = static_cast<CTVRCmdUI*>(pExtra);
    if (pCmdUI == nullptr) return FALSE;
    auto update = m_updates.find(nID);
    if (update != m_updates.end()) {
      UpdateHandler handler = update->second;
      handler(pCmdUI);
      return TRUE;
    }
    // A command that can run but has no opinion on its state is offered.
    if (nCode == CN_UPDATE_COMMAND_UI && command != m_commands.end()) {
      pCmdUI->Enable(TRUE);
      return TRUE;
    }
  }
  return FALSE;
}

const CTVRRuntimeClass* CTVRCmdTarget::GetRuntimeClass() const {
  return &g_CmdTargetClass;
}

void CTVRCmdTarget::OnCommand(tvr::UINT nID, std::function<void()> handler) {
  if (!handler) return;
  m_commands[nID] = [h = std::move(handler)](tvr::UINT) { h(); };
}

void CTVRCmdTarget::OnCommandRange(tvr::UINT first, tvr::UINT last, CommandHandler handler) {
  if (handler) AddRange(m_commands, first, last, std::move(handler));
}

void CTVRCmdTarget::OnUpdate(tvr::UINT nID, UpdateHandler handler) {
  if (handler) m_updates[nID] = std::move(handler);
}

void CTVRCmdTarget::OnUpdateRange(tvr::UINT first, tvr::UINT last, UpdateHandler handler) {
  if (handler) AddRange(m_updates, first, last, std::move(handler));
}
