#include <tavric/document.h>

#include <algorithm>

CTVRView::~CTVRView() {
  if (m_pDocument != nullptr) m_pDocument->RemoveView(this);
}

CTVRDocument::CTVRDocument() = default;

CTVRDocument::~CTVRDocument() {
  // Views outlive their document in some shells (a frame closing late); they
  // must not reach back into it.
  for (CTVRView* pView : m_views) pView->m_pDocument = nullptr;
}

void CTVRDocument::AddView(CTVRView* pView) {
  if (pView == nullptr || pView->m_pDocument == this) return;
  if (pView->m_pDocument != nullptr) pView->m_pDocument->RemoveView(pView);
  m_views.push_back(pView);
  pView->m_pDocument = this;
}

void CTVRDocument::RemoveView(CTVRView* pView) {
  auto it = std::find(m_views.begin(), m_views.end(), pView);
  if (it == m_views.end()) return;
  m_views.erase(it);
  pView->m_pDocument = nullptr;
}

void CTVRDocument::UpdateAllViews(CTVRView* pSender, tvr::LPARAM lHint, void* pHint) {
  // A view may close itself or another view while it updates: walk a copy and
  // skip any view that has left in the meantime.
  const std::vector<CTVRView*> views = m_views;
  for (CTVRView* pView : views) {
    if (pView == pSender) continue;
    if (std::find(m_views.begin(), m_views.end(), pView) == m_views.end()) continue;
    pView->OnUpdate(pSender, lHint, pHint);
  }
}

tvr::BOOL CTVRDocument::OnNewDocument() {
  DeleteContents();
  SetModifiedFlag(FALSE);
  return TRUE;
}
