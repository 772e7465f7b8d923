#include <tavric/document.h>

#include <algorithm>
#include <array>
#include <vector>

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
  // skip any view that has left in the meantime. Every trace record comes
  // here, and a document has a view or two: the copy of a few is on the stack.
  constexpr std::size_t kFewViews = 8;
  const std::size_t count = m_views.size();
  if (count == 0) return;
  std::array<CTVRView*, kFewViews> few;
  std::vector<CTVRView*> many;
  CTVRView* const* views = few.data();
  if (count <= kFewViews) {
    std::copy(m_views.begin(), m_views.end(), few.begin());
  } else {
    many = m_views;
    views = many.data();
  }
  for (std::size_t i = 0; i < count; ++i) {
    CTVRView* pView = views[i];
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
