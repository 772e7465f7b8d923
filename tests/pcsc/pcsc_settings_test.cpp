// The PC/SC board's settings window as the host builds it: the reader list
// read from the daemon when the window opens, the reader chosen with OK kept
// in the document's section, and the reason shown when no list can be read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <tavric/board_doc.h>
#include <tavric/doc_template.h>
#include <tavric/registry.h>

#include "contract/host.h"
#include "contract/plugin_loader.h"
#include "document/board_settings_dlg.h"
#include "pcsc_stack.h"
#include "platform/user_prompts.h"
#include "test_context.h"

namespace {

class PcscSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string why = m_Stack.Start();
    if (!why.empty()) GTEST_SKIP() << "no PC/SC stack: " << why;
    m_Stack.UseInThisProcess();
    // The board alone, into the test's context, from a folder of its own:
    // the run folder holds every plug-in.
    QTemporaryDir plugins;
    const QString board = qEnvironmentVariable("TAVRIC_RUN_DIR") + "/brdpcsc.so";
    ASSERT_TRUE(plugins.isValid() && QFile::link(board, plugins.path() + "/brdpcsc.so"));
    CTVRPluginLoader(m_Context).LoadFolder(plugins.path().toStdString());
    for (const auto& pTemplate : m_Context.Host().GetTemplates())
      if (std::string(pTemplate->GetDocClass()->m_lpszClassName) == "CTVRPcscDoc") m_pTemplate = pTemplate.get();
    ASSERT_NE(m_pTemplate, nullptr);
  }

  void TearDown() override {
    for (CTVRBoardDoc* pDoc : m_Docs) delete pDoc;
  }

  CTVRBoardDoc* NewDocument() {
    CTVRBoardDoc* pDoc = m_pTemplate->OpenNewDocument();
    m_Docs.push_back(pDoc);
    return pDoc;
  }

  CTVRPcscStack m_Stack;
  CTVRDocTemplate* m_pTemplate = nullptr;
  std::vector<CTVRBoardDoc*> m_Docs;
  CTVRTestContext m_Context;
  CTVRPromptRecorder m_Prompts{m_Context};
};

TEST_F(PcscSettingsTest, TheReaderIsChosenFromTheDaemonsListAndKeptInTheDocumentsSection) {
  CTVRBoardDoc* pDoc = NewDocument();
  ASSERT_NE(pDoc, nullptr);
  EXPECT_TRUE(pDoc->HasSettings());
  CTVRBoardSettingsDlg dlg(*pDoc);
  dlg.Open();
  ASSERT_EQ(dlg.GetSettings().size(), 1u);
  const CTVRBoardSetting& reader = dlg.GetSettings()[0];
  EXPECT_EQ(reader.m_strName, "Reader");
  EXPECT_EQ(reader.m_eKind, CTVRBoardSetting::SETTING_CHOICE);
  EXPECT_EQ(reader.m_Choices, (std::vector<std::string>{"Virtual PCD 00 00", "Virtual PCD 00 01"}));
  EXPECT_EQ(dlg.GetValue(0), "") << "nothing stored: the first reader listed";
  dlg.SetValue(0, "Virtual PCD 00 01");
  EXPECT_TRUE(dlg.OnOK());

  CTVRRegistry reg(FALSE, FALSE);
  ASSERT_TRUE(reg.CreateKey(CTVRRegistry::GetRegSectionPath("CTVRPcscDoc\\0")));
  ASSERT_TRUE(pDoc->SaveState(reg));
  std::string stored;
  ASSERT_TRUE(reg.Read("Reader", stored));
  EXPECT_EQ(stored, "Virtual PCD 00 01");

  // A document restored from that section opens its window on that reader.
  CTVRBoardDoc* pRestored = NewDocument();
  CTVRRegistry again(FALSE, TRUE);
  ASSERT_TRUE(again.Open(CTVRRegistry::GetRegSectionPath("CTVRPcscDoc\\0")));
  pRestored->LoadState(again);
  CTVRBoardSettingsDlg reopened(*pRestored);
  reopened.Open();
  EXPECT_EQ(reopened.GetValue(0), "Virtual PCD 00 01");
}

TEST_F(PcscSettingsTest, WithoutADaemonTheListIsEmptyAndTheWindowSaysWhy) {
  CTVRBoardDoc* pDoc = NewDocument();
  pDoc->SetSetting("Reader", "Virtual PCD 00 01");
  m_Stack.StopDaemon();
  CTVRBoardSettingsDlg dlg(*pDoc);
  dlg.Open();
  ASSERT_EQ(dlg.GetSettings().size(), 1u);
  EXPECT_EQ(dlg.GetSettings()[0].m_Choices, std::vector<std::string>{"Virtual PCD 00 01"})
      << "the stored reader stays choosable";
  EXPECT_EQ(dlg.GetSettings()[0].m_strHint.rfind("The reader list cannot be read: ", 0), 0u)
      << dlg.GetSettings()[0].m_strHint;
  EXPECT_FALSE(pDoc->SetSetting("Speed", "9600")) << "the board has no such setting";
}

}  // namespace
