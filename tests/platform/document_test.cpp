// Documents and their views: broadcasts, attachment and detachment.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include <tavric/document.h>

namespace {

struct Update {
  CTVRView* m_pSender;
  tvr::LPARAM m_lHint;
  void* m_pHint;
};

class CTestView : public CTVRView {
 public:
  void OnUpdate(CTVRView* pSender, tvr::LPARAM lHint, void* pHint) override {
    m_updates.push_back({pSender, lHint, pHint});
    if (m_onUpdate) m_onUpdate();
  }
  std::vector<Update> m_updates;
  std::function<void()> m_onUpdate;
};

class CTestDocument : public CTVRDocument {
 public:
  void DeleteContents() override { ++m_nDeleted; }
  int m_nDeleted = 0;
};

}  // namespace

TEST(Document, UpdateAllViewsReachesEveryViewButTheSender) {
  CTestDocument doc;
  CTestView editor, trace;
  doc.AddView(&editor);
  doc.AddView(&trace);
  int line = 7;
  doc.UpdateAllViews(&editor, HINT_LINE_STATE, &line);
  EXPECT_TRUE(editor.m_updates.empty());
  ASSERT_EQ(trace.m_updates.size(), 1u);
  EXPECT_EQ(trace.m_updates[0].m_pSender, &editor);
  EXPECT_EQ(trace.m_updates[0].m_lHint, HINT_LINE_STATE);
  EXPECT_EQ(trace.m_updates[0].m_pHint, &line);
  doc.UpdateAllViews(nullptr);
  EXPECT_EQ(editor.m_updates.size(), 1u);
  EXPECT_EQ(trace.m_updates.size(), 2u);
  EXPECT_EQ(trace.m_updates[1].m_lHint, HINT_ALL);
}

TEST(Document, AViewBelongsToOneDocumentAtATime) {
  CTestDocument first, second;
  CTestView view;
  first.AddView(&view);
  first.AddView(&view);  // twice is once
  EXPECT_EQ(first.GetViews().size(), 1u);
  EXPECT_EQ(view.GetDocument(), &first);
  second.AddView(&view);
  EXPECT_TRUE(first.GetViews().empty());
  EXPECT_EQ(view.GetDocument(), &second);
  second.RemoveView(&view);
  EXPECT_EQ(view.GetDocument(), nullptr);
  second.RemoveView(&view);  // not attached: nothing happens
  first.AddView(nullptr);
  EXPECT_TRUE(first.GetViews().empty());
}

TEST(Document, ADestroyedViewLeavesItsDocument) {
  CTestDocument doc;
  CTestView kept;
  doc.AddView(&kept);
  {
    CTestView gone;
    doc.AddView(&gone);
    EXPECT_EQ(doc.GetViews().size(), 2u);
  }
  ASSERT_EQ(doc.GetViews().size(), 1u);
  EXPECT_EQ(doc.GetViews()[0], &kept);
  doc.UpdateAllViews(nullptr, HINT_EXTENT);
  EXPECT_EQ(kept.m_updates.size(), 1u);
}

TEST(Document, ADestroyedDocumentLetsGoOfItsViews) {
  CTestView view;
  {
    CTestDocument doc;
    doc.AddView(&view);
  }
  EXPECT_EQ(view.GetDocument(), nullptr);
  // The view's own destruction must not reach the dead document.
}

TEST(Document, AViewClosingDuringABroadcastDoesNotDisturbIt) {
  CTestDocument doc;
  CTestView first, third;
  auto second = std::make_unique<CTestView>();
  doc.AddView(&first);
  doc.AddView(second.get());
  doc.AddView(&third);
  first.m_onUpdate = [&] { second.reset(); };
  doc.UpdateAllViews(nullptr, HINT_NEXT_STATEMENT);
  EXPECT_EQ(first.m_updates.size(), 1u);
  EXPECT_EQ(third.m_updates.size(), 1u);
  EXPECT_EQ(doc.GetViews().size(), 2u);
}

TEST(Document, NewDocumentEmptiesTheContentsAndClearsTheModifiedMark) {
  CTestDocument doc;
  doc.SetModifiedFlag();
  EXPECT_TRUE(doc.IsModified());
  EXPECT_TRUE(doc.OnNewDocument());
  EXPECT_EQ(doc.m_nDeleted, 1);
  EXPECT_FALSE(doc.IsModified());
}
