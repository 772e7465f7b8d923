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
  ASSERT_EQ(dlg.GetSettings().size(), 3u);
  const CTVRBoardSetting& reader = dlg.GetSettings()[0];
  EXPECT_EQ(reader.m_strName, "Reader");
  EXPECT_EQ(reader.m_eKind, CTVRBoardSetting::SETTING_CHOICE);
  EXPECT_EQ(reader.m_Choices, (std::vector<std::string>{"Virtual PCD 00 00", "Virtual PCD 00 01"}));
  EXPECT_EQ(dlg.GetValue(0), "") << "nothing stored: the first reader listed";
  EXPECT_EQ(dlg.GetSettings()[1].m_Choices, (std::vector<std::string>{"shared", "exclusive"}));
  EXPECT_EQ(dlg.GetSettings()[2].m_Choices, (std::vector<std::string>{"T=0 or T=1", "T=0", "T=1"}));
  dlg.SetValue(0, "Virtual PCD 00 01");
  dlg.SetValue(1, "exclusive");
  dlg.SetValue(2, "T=1");
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
  EXPECT_EQ(reopened.GetValue(1), "exclusive");
  EXPECT_EQ(reopened.GetValue(2), "T=1");
}

// The access and the protocol chosen reach SCardConnect: a card connected
// exclusively keeps a second connection out, a shared one lets it in; a T=0
// card is refused to a document that asks for T=1 only.
TEST_F(PcscSettingsTest, TheAccessAndTheProtocolChosenAreThoseTheCardIsConnectedWith) {
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER0_PORT, "--atr t0"));
  const struct {
    const char* m_pszSharing;
    const char* m_pszProtocol;
    const char* m_pszFirstRefused;   // the first document's message, empty: it connects
    const char* m_pszSecondRefused;  // a second, shared document's, on the same reader
  } rows[] = {
      {"exclusive", "T=0 or T=1", "", "PC/SC: Virtual PCD 00 00: Sharing violation."},
      {"shared", "T=0", "", ""},
      {"shared", "T=1", "PC/SC: Virtual PCD 00 00: Card protocol mismatch.", ""},
  };
  for (const auto& row : rows) {
    m_Prompts.m_Messages.clear();
    CTVRBoardDoc* pFirst = NewDocument();
    CTVRBoardDoc* pSecond = NewDocument();
    ASSERT_TRUE(pFirst->SetSetting("Sharing", row.m_pszSharing));
    ASSERT_TRUE(pFirst->SetSetting("CardProtocol", row.m_pszProtocol));
    EXPECT_EQ(pFirst->Connect() != FALSE, *row.m_pszFirstRefused == 0) << row.m_pszSharing << row.m_pszProtocol;
    EXPECT_EQ(pSecond->Connect() != FALSE, *row.m_pszSecondRefused == 0) << row.m_pszSharing << row.m_pszProtocol;
    std::vector<std::string> refusals;
    for (const char* text : {row.m_pszFirstRefused, row.m_pszSecondRefused})
      if (*text) refusals.emplace_back(text);
    EXPECT_EQ(m_Prompts.m_Messages, refusals) << row.m_pszSharing << row.m_pszProtocol;
    pFirst->Disconnect();
    pSecond->Disconnect();
  }
  EXPECT_FALSE(NewDocument()->SetSetting("Sharing", "sometimes")) << "only the choices offered";
}

TEST_F(PcscSettingsTest, WithoutADaemonTheListIsEmptyAndTheWindowSaysWhy) {
  CTVRBoardDoc* pDoc = NewDocument();
  pDoc->SetSetting("Reader", "Virtual PCD 00 01");
  m_Stack.StopDaemon();
  CTVRBoardSettingsDlg dlg(*pDoc);
  dlg.Open();
  ASSERT_EQ(dlg.GetSettings().size(), 3u);
  EXPECT_EQ(dlg.GetSettings()[0].m_Choices, std::vector<std::string>{"Virtual PCD 00 01"})
      << "the stored reader stays choosable";
  EXPECT_EQ(dlg.GetSettings()[0].m_strHint.rfind("The reader list cannot be read: ", 0), 0u)
      << dlg.GetSettings()[0].m_strHint;
  EXPECT_FALSE(pDoc->SetSetting("Speed", "9600")) << "the board has no such setting";
}

}  // namespace
