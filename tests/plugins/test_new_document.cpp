// The New command's choice and the board-type list, over templates of the
// test's own board classes.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tavric/board_doc.h>
#include <tavric/doc_template.h>
#include <tavric/resources.h>

#include "contract/board_type_list.h"
#include "contract/new_document_chooser.h"
#include "test_context.h"

class CTVRChooserBoardA : public CTVRBoardDoc {
  TVR_DECLARE_DYNCREATE(CTVRChooserBoardA)
};
TVR_IMPLEMENT_DYNCREATE(CTVRChooserBoardA)

class CTVRChooserBoardB : public CTVRBoardDoc {
  TVR_DECLARE_DYNCREATE(CTVRChooserBoardB)
};
TVR_IMPLEMENT_DYNCREATE(CTVRChooserBoardB)

namespace {

using Chooser = CTVRNewDocumentChooser;
constexpr UINT IDR_NAMED_A = 9201, IDR_NAMED_B = 9202, IDR_UNNAMED = 9203, IDR_LIST_FIRST = 9210;

class NewDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterDocStrings(IDR_NAMED_A, {"Alpha", "Alpha reader"});
    RegisterDocStrings(IDR_NAMED_B, {"Beta", "Beta reader"});
    RegisterDocStrings(IDR_UNNAMED, {"Hidden", ""});
    for (UINT i = 0; i < 9; ++i)
      RegisterDocStrings(IDR_LIST_FIRST + i, {"Type" + std::to_string(i + 1), "Reader " + std::to_string(i + 1)});
  }
  // A template of the test's own, its documents in the test's context.
  void Add(UINT id, const CTVRRuntimeClass* pClass) {
    m_Templates.push_back(std::make_unique<CTVRDocTemplate>(id, pClass));
    m_Templates.back()->SetHostContext(&m_Context);
  }
  CTVRTestContext m_Context;
  std::vector<std::unique_ptr<CTVRDocTemplate>> m_Templates;
};

// The frame's New (tests/shell) shows none, one and two named board types; a
// board type without a file-new name is taken alone but never offered.
TEST_F(NewDocumentTest, BoardTypesWithoutAFileNewNameAreTakenAloneButNotOffered) {
  Add(IDR_UNNAMED, TVR_RUNTIME_CLASS(CTVRChooserBoardA));
  Chooser alone(m_Templates);
  EXPECT_EQ(alone.Prepare(), Chooser::NEW_CHOSEN);
  std::unique_ptr<CTVRBoardDoc> pDoc(alone.OpenChosen());
  ASSERT_NE(pDoc, nullptr);
  EXPECT_EQ(pDoc->GetTitle(), "Hidden1");

  Add(IDR_NAMED_B, TVR_RUNTIME_CLASS(CTVRChooserBoardB));
  Chooser chooser(m_Templates);
  EXPECT_EQ(chooser.Prepare(), Chooser::NEW_CHOSEN) << "one entry left: taken without the dialog";
  EXPECT_EQ(chooser.GetChosen(), m_Templates[1].get());

  Add(IDR_NAMED_A, TVR_RUNTIME_CLASS(CTVRChooserBoardA));
  Chooser two(m_Templates);
  ASSERT_EQ(two.Prepare(), Chooser::NEW_SHOW_DIALOG);
  EXPECT_EQ(two.GetEntries().size(), 2u);
  EXPECT_FALSE(two.OnOK(2)) << "no third entry";

  m_Templates.erase(m_Templates.begin() + 1, m_Templates.end());
  Add(IDR_UNNAMED, TVR_RUNTIME_CLASS(CTVRChooserBoardB));
  Chooser none(m_Templates);
  EXPECT_EQ(none.Prepare(), Chooser::NEW_CANCEL) << "nothing to offer";
  EXPECT_EQ(none.OpenChosen(), nullptr);
}

TEST_F(NewDocumentTest, NineBoardTypesAreListedButOnlyEightCanBeCreated) {
  auto placeholder = CTVRBoardTypeList(m_Templates).GetItems();
  ASSERT_EQ(placeholder.size(), 1u);
  EXPECT_FALSE(placeholder[0].m_bEnabled) << "with no board type, one disabled entry";

  for (UINT i = 0; i < 9; ++i) Add(IDR_LIST_FIRST + i, TVR_RUNTIME_CLASS(CTVRChooserBoardA));
  CTVRBoardTypeList list(m_Templates);
  auto items = list.GetItems();
  ASSERT_EQ(items.size(), 9u);
  for (UINT i = 0; i < 9; ++i) {
    EXPECT_EQ(items[i].m_nID, 33768 + i);
    EXPECT_EQ(items[i].m_strText, "&" + std::to_string(i + 1) + " Reader " + std::to_string(i + 1));
    EXPECT_TRUE(items[i].m_bEnabled);
  }
  std::unique_ptr<CTVRBoardDoc> pEighth(list.OnFileNewType(33775));
  ASSERT_NE(pEighth, nullptr);
  EXPECT_EQ(pEighth->GetTitle(), "Type81");
  EXPECT_EQ(list.OnFileNewType(33776), nullptr) << "the ninth does nothing";
  EXPECT_EQ(m_Templates[8]->m_nUntitledCount, 0);
}

}  // namespace
