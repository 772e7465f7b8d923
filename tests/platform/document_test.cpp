// Documents and their views: broadcasts, attachment and detachment.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include <tavric/document.h>

namespace {

class CTestView : public CTVRView {
 public:
  void OnUpdate(CTVRView* pSender, tvr::LPARAM lHint, void* pHint) override {
    m_hints.push_back(lHint);
    m_pLastSender = pSender;
    m_pLastHint = pHint;
    if (m_onUpdate) m_onUpdate();
  }
  std::vector<tvr::LPARAM> m_hints;
  CTVRView* m_pLastSender = nullptr;
  void* m_pLastHint = nullptr;
  std::function<void()> m_onUpdate;
};

}  // namespace

TEST(Document, ViewsBelongToOneLiveDocumentAndHearEveryBroadcastButTheirOwn) {
  CTestView editor, trace;
  auto closing = std::make_unique<CTestView>();
  {
    CTVRDocument doc, other;
    other.AddView(&editor);
    doc.AddView(&editor);  // leaves the other document
    doc.AddView(&editor);  // twice is once
    doc.AddView(nullptr);
    doc.AddView(closing.get());
    doc.AddView(&trace);
    EXPECT_TRUE(other.GetViews().empty());
    int line = 7;
    doc.UpdateAllViews(&editor, HINT_LINE_STATE, &line);
    EXPECT_TRUE(editor.m_hints.empty());
    EXPECT_EQ(trace.m_hints, std::vector<tvr::LPARAM>{HINT_LINE_STATE});
    EXPECT_TRUE(trace.m_pLastSender == &editor && trace.m_pLastHint == &line);
    editor.m_onUpdate = [&] { closing.reset(); };  // a view closing another during a broadcast
    doc.UpdateAllViews(nullptr);
    EXPECT_EQ(editor.m_hints, std::vector<tvr::LPARAM>{HINT_ALL});
    EXPECT_EQ(trace.m_hints, (std::vector<tvr::LPARAM>{HINT_LINE_STATE, HINT_ALL}));
    EXPECT_EQ(doc.GetViews(), (std::vector<CTVRView*>{&editor, &trace}));
  }
  // Their own destruction must not reach the dead document.
  EXPECT_TRUE(editor.GetDocument() == nullptr && trace.GetDocument() == nullptr);
}
