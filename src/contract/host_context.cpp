#include "contract/host_context.h"

#include <atomic>

namespace {

// The only process-wide pointer of the host: the context the plug-in SDK's
// free functions reach, since their signatures cannot carry one.
std::atomic<CTVRHostContext*> g_pInstalled{nullptr};

}  // namespace

CTVRHostContext::CTVRHostContext() : m_Host(*this) {}

CTVRHostContext::~CTVRHostContext() {
  // The documents close while the workspace, the prompts and the
  // installation they may reach are all still there.
  m_Host.Shutdown();
  m_pHeadlessWorkspace.reset();
  if (m_bInstalled) {
    CTVRHostContext* pSelf = this;
    g_pInstalled.compare_exchange_strong(pSelf, m_pPreviousInstalled, std::memory_order_acq_rel);
  }
}

void CTVRHostContext::Install() {
  m_Dispatcher.Install();
  CTVRHostContext* pPrevious = g_pInstalled.exchange(this, std::memory_order_acq_rel);
  if (pPrevious == this) return;
  m_pPreviousInstalled = pPrevious;
  m_bInstalled = true;
}

CTVRHostContext::CInstalledScope::CInstalledScope(CTVRHostContext& context)
    : m_pPrevious(g_pInstalled.exchange(&context, std::memory_order_acq_rel)) {}

CTVRHostContext::CInstalledScope::~CInstalledScope() {
  g_pInstalled.store(m_pPrevious, std::memory_order_release);
}

CTVRHostContext* CTVRHostContext::GetInstalled() {
  return g_pInstalled.load(std::memory_order_acquire);
}
