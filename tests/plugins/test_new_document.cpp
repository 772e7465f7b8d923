// The New command's choice and the board-type list, over templates of the
// test's own board classes.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tavric/board_doc.h>
#include <tavric/doc_template.h>
#include <tavric/loopback.h>
#include <tavric/resources.h>

#include "contract/board_type_list.h"
#include "contract/new_document_chooser.h"

class CTVRChooserBoardA : public CTVRBoardDoc {
  TVR_DECLARE_DYNCREATE(CTVRChooserBoardA)
};
TVR_IMPLEMENT_DYNCREATE(CTVRChooserBoardA)

class CTVRChooserBoardB : public CTVRBoardDoc {
  TVR_DECLARE_DYNCREATE(CTVRChooserBoardB)
};
TVR_IMPLEMENT_DYNCREATE(CTVRChooserBoardB)

namespace {

using TemplateList = std::vector<std::unique_ptr<CTVRDocTemplate>>;

constexpr UINT IDR_NAMED_A = 9201;
constexpr UINT IDR_NAMED_B = 9202;
constexpr UINT IDR_UNNAMED = 9203;
constexpr UINT IDR_LIST_FIRST = 9210;  // nine of them

void RegisterStrings() {
  RegisterDocStrings(IDR_NAMED_A, {"Alpha", "Alpha reader"});
  RegisterDocStrings(IDR_NAMED_B, {"Beta", "Beta reader"});
  RegisterDocStrings(IDR_UNNAMED, {"Hidden", ""});
  for (UINT i = 0; i < 9; ++i)
    RegisterDocStrings(IDR_LIST_FIRST + i, {"Type" + std::to_string(i + 1), "Reader " + std::to_string(i + 1)});
}

void Add(TemplateList& list, UINT id, const CTVRRuntimeClass* pClass) {
  list.push_back(std::make_unique<CTVRDocTemplate>(id, pClass));
}

class NewDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterStrings(); }
  TemplateList m_Templates;
};

}  // namespace

TEST_F(NewDocumentTest, NoBoardTypeCannotCreate) {
  CTVRNewDocumentChooser chooser(m_Templates);
  EXPECT_EQ(chooser.Prepare(), CTVRNewDocumentChooser::NEW_CANNOT_CREATE);
  EXPECT_STREQ(CTVRNewDocumentChooser::CANNOT_CREATE_TEXT, "Failed to create empty document.");
  EXPECT_EQ(chooser.OpenChosen(), nullptr);
}

TEST_F(NewDocumentTest, OneBoardTypeIsTakenWithoutAskingEvenWithoutAName) {
  Add(m_Templates, IDR_UNNAMED, TVR_RUNTIME_CLASS(CTVRChooserBoardA));
  CTVRNewDocumentChooser chooser(m_Templates);
  EXPECT_EQ(chooser.Prepare(), CTVRNewDocumentChooser::NEW_CHOSEN);
  EXPECT_EQ(chooser.GetChosen(), m_Templates[0].get());
  std::unique_ptr<CTVRBoardDoc> pDoc(chooser.OpenChosen());
  ASSERT_NE(pDoc, nullptr);
  EXPECT_EQ(pDoc->GetTitle(), "Hidden1");
}

TEST_F(NewDocumentTest, TwoNamedBoardTypesAskWithTheFirstSelected) {
  Add(m_Templates, IDR_NAMED_A, TVR_RUNTIME_CLASS(CTVRChooserBoardA));
  Add(m_Templates, IDR_NAMED_B, TVR_RUNTIME_CLASS(CTVRChooserBoardB));
  CTVRNewDocumentChooser chooser(m_Templates);
  ASSERT_EQ(chooser.Prepare(), CTVRNewDocumentChooser::NEW_SHOW_DIALOG);
  ASSERT_EQ(chooser.GetEntries().size(), 2u);
  EXPECT_EQ(chooser.GetEntries()[0].m_strName, "Alpha reader");
  EXPECT_EQ(chooser.GetEntries()[1].m_strName, "Beta reader");
  EXPECT_EQ(chooser.GetSelected(), 0);
  EXPECT_EQ(chooser.GetChosen(), nullptr);

  EXPECT_FALSE(chooser.OnOK(2));
  EXPECT_FALSE(chooser.OnOK(-1));
  EXPECT_EQ(chooser.GetChosen(), nullptr);
  ASSERT_TRUE(chooser.OnOK(1));
  std::unique_ptr<CTVRBoardDoc> pDoc(chooser.OpenChosen());
  ASSERT_NE(pDoc, nullptr);
  EXPECT_STREQ(pDoc->GetRuntimeClass()->m_lpszClassName, "CTVRChooserBoardB");
  EXPECT_EQ(pDoc->GetTitle(), "Beta1");

  chooser.OnCancel();
  EXPECT_EQ(chooser.OpenChosen(), nullptr);
}

TEST_F(NewDocumentTest, AnUnnamedBoardTypeIsLeftOutOfTheList) {
  Add(m_Templates, IDR_UNNAMED, TVR_RUNTIME_CLASS(CTVRChooserBoardA));
  Add(m_Templates, IDR_NAMED_B, TVR_RUNTIME_CLASS(CTVRChooserBoardB));
  CTVRNewDocumentChooser chooser(m_Templates);
  // Only one entry remains, so it is taken without showing the dialog.
  EXPECT_EQ(chooser.Prepare(), CTVRNewDocumentChooser::NEW_CHOSEN);
  EXPECT_EQ(chooser.GetChosen(), m_Templates[1].get());

  // With every name empty there is nothing to offer: as Cancel.
  TemplateList unnamed;
  Add(unnamed, IDR_UNNAMED, TVR_RUNTIME_CLASS(CTVRChooserBoardA));
  Add(unnamed, IDR_UNNAMED, TVR_RUNTIME_CLASS(CTVRChooserBoardB));
  CTVRNewDocumentChooser none(unnamed);
  EXPECT_EQ(none.Prepare(), CTVRNewDocumentChooser::NEW_CANCEL);
  EXPECT_TRUE(none.GetEntries().empty());
  EXPECT_EQ(none.OpenChosen(), nullptr);
}

TEST_F(NewDocumentTest, BoardTypeListWithoutBoardTypesIsTheDisabledPlaceholder) {
  CTVRBoardTypeList list(m_Templates);
  auto items = list.GetItems();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].m_strText, "Available docs");
  EXPECT_EQ(items[0].m_nID, 33768u);
  EXPECT_FALSE(items[0].m_bEnabled);
  EXPECT_EQ(list.OnFileNewType(33768), nullptr);
}

TEST_F(NewDocumentTest, NineBoardTypesAreListedButOnlyEightCanBeCreated) {
  for (UINT i = 0; i < 9; ++i)
    Add(m_Templates, IDR_LIST_FIRST + i,
        i % 2 ? TVR_RUNTIME_CLASS(CTVRChooserBoardB) : TVR_RUNTIME_CLASS(CTVRChooserBoardA));
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
  EXPECT_EQ(pEighth->GetDocTemplate(), m_Templates[7].get());
  EXPECT_EQ(pEighth->GetTitle(), "Type81");
  EXPECT_EQ(list.OnFileNewType(33776), nullptr);  // the ninth does nothing
  EXPECT_EQ(m_Templates[8]->m_nUntitledCount, 0);
  EXPECT_EQ(list.OnFileNewType(33767), nullptr);
}

TEST_F(NewDocumentTest, TemplatesOnlyMakeReaderDocuments) {
  Add(m_Templates, IDR_NAMED_A, TVR_RUNTIME_CLASS(CTVRLoopback));  // creatable, but no reader document
  Add(m_Templates, IDR_NAMED_B, nullptr);
  Add(m_Templates, 9299, TVR_RUNTIME_CLASS(CTVRChooserBoardA));  // no strings registered
  EXPECT_EQ(m_Templates[0]->CreateDocument(), nullptr);
  EXPECT_EQ(m_Templates[0]->OpenNewDocument(), nullptr);
  EXPECT_EQ(m_Templates[1]->CreateDocument(), nullptr);
  EXPECT_EQ(m_Templates[2]->GetDocName(), "");
  EXPECT_EQ(m_Templates[2]->GetFileNewName(), "");
  std::unique_ptr<CTVRBoardDoc> pDoc(m_Templates[2]->CreateDocument());
  ASSERT_NE(pDoc, nullptr);
  EXPECT_EQ(pDoc->GetDocTemplate(), m_Templates[2].get());
  EXPECT_EQ(m_Templates[2]->m_nUntitledCount, 0);  // only New numbers documents
}
