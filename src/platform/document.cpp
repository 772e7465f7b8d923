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

namespace {

// A view may close itself or another view while it updates: the views are
// walked from a copy, and a view that has left in the meantime is skipped.
// A document has a view or two: the copy of a few is on the stack. Out of
// line, so that a document without views pays a test and nothing more.
[[gnu::noinline]] void NotifyViews(const std::vector<CTVRView*>& views, CTVRView* pSender, tvr::LPARAM lHint,
                                   void* pHint) {
  constexpr std::size_t kFewViews = 8;
  const std::size_t count = views.size();
  std::array<CTVRView*, kFewViews> few;
  std::vector<CTVRView*> many;
  CTVRView* const* copy = few.data();
  if (count <= kFewViews) {
    std::copy(views.begin(), views.end(), few.begin());
  } else {
    many = views;
    copy = many.data();
  }
  for (std::size_t i = 0; i < count; ++i) {
    CTVRView* pView = copy[i];
    if (pView == pSender) continue;
    if (std::find(views.begin(), views.end(), pView) == views.end()) continue;
    pView->OnUpdate(pSender, lHint, pHint);
  }
}

}  // namespace

void CTVRDocument::UpdateAllViews(CTVRView* pSender, tvr::LPARAM lHint, void* pHint) {
  // Every trace record, line mark and extent comes here, with or without views.
  if (!m_views.empty()) NotifyViews(m_views, pSender, lHint, pHint);
}

tvr::BOOL CTVRDocument::OnNewDocument() {
  DeleteContents();
  SetModifiedFlag(FALSE);
  return TRUE;
}
