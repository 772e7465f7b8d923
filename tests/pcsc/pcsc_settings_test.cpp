// The PC/SC board in the host's own documents: its settings window as the
// host builds it (the reader list read from the daemon when the window opens
// and again when readers come and go, the reader chosen with OK kept in the
// document's section, what the window says without readers or without a
// list), readers unplugged and plugged in again, and the time limit of its
// calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <tavric/board_doc.h>
#include <tavric/doc_template.h>
#include <tavric/registry.h>
#include <tavric/trace_record.h>

#include "contract/host.h"
#include "contract/plugin_loader.h"
#include "document/board_doc_private.h"
#include "document/board_settings_dlg.h"
#include "pcsc_stack.h"
#include "platform/dispatcher.h"
#include "platform/user_prompts.h"
#include "test_context.h"
#include "trace_reader.h"

namespace {

class PcscSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string why = m_Stack.Start();
    if (!why.empty()) GTEST_SKIP() << "no PC/SC stack: " << why;
    m_Stack.UseInThisProcess();
    // The board and its protocol alone, into the test's context, from a
    // folder of their own: the run folder holds every plug-in.
    QTemporaryDir plugins;
    ASSERT_TRUE(plugins.isValid());
    for (const char* name : {"brdpcsc.so", "propcsc.so"})
      ASSERT_TRUE(QFile::link(qEnvironmentVariable("TAVRIC_RUN_DIR") + "/" + name, plugins.path() + "/" + name));
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

  // The active document, with the PC/SC protocol selected, ready for a
  // script of APDUs.
  CTVRBoardDoc* NewRunDocument() {
    CTVRBoardDoc* pDoc = NewDocument();
    m_Context.Host().SetActiveDocument(pDoc);
    CTVRBoardDocPrivate::Of(*pDoc).SelectProtocol("PC/SC", 0);
    CTVRBoardDocPrivate::Of(*pDoc).OnScriptCommands();
    EXPECT_NE(pDoc->GetProtocol(), nullptr);
    return pDoc;
  }

  static bool RunUntil(const std::function<bool()>& done) {
    return CTVRDispatcher::GetInstalled()->RunUntil(done, std::chrono::seconds(30));
  }

  static std::size_t Count(const std::vector<std::string>& texts, const std::string& start) {
    return std::size_t(
        std::count_if(texts.begin(), texts.end(), [&](const std::string& text) { return text.rfind(start, 0) == 0; }));
  }
  static std::size_t Comments(CTVRBoardDoc& doc, const std::string& start) {
    return Count(tvr_test::TraceTexts(doc, TRACE_COMMENT), start);
  }
  static std::size_t Answers(CTVRBoardDoc& doc, const std::string& start) {
    return Count(tvr_test::TraceTexts(doc, TRACE_ANSWER_TEXT), start);
  }
  std::size_t Disconnections() const { return Count(m_Prompts.m_Messages, "The USB connection has been broken !"); }

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
  ASSERT_EQ(dlg.GetSettings().size(), 4u);
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

// A daemon without readers, then no daemon at all: the window says which.
TEST_F(PcscSettingsTest, WithoutReadersOrWithoutADaemonTheListIsEmptyAndTheWindowSaysWhy) {
  CTVRBoardDoc* pDoc = NewDocument();
  pDoc->SetSetting("Reader", "Virtual PCD 00 01");
  ASSERT_TRUE(m_Stack.RestartDaemon(""));
  for (const std::string hint : {"No reader is connected.", "The reader list cannot be read: "}) {
    CTVRBoardSettingsDlg dlg(*pDoc);
    dlg.Open();
    ASSERT_EQ(dlg.GetSettings().size(), 4u);
    EXPECT_EQ(dlg.GetSettings()[0].m_Choices, std::vector<std::string>{"Virtual PCD 00 01"})
        << "the stored reader stays choosable";
    EXPECT_EQ(dlg.GetSettings()[0].m_strHint.substr(0, hint.size()), hint);
    m_Stack.StopDaemon();
  }
  EXPECT_FALSE(pDoc->SetSetting("Speed", "9600")) << "the board has no such setting";
}

// Readers that come and go while a run goes on. The document stored its
// reader as "Virtual PCD 01 00", the second reader of its driver when it was
// saved, and Connect finds it now as "Virtual PCD 00 00" (pcscd names every
// device of the test's driver, vpcd, "NAME 00 YY", so none is numbered 01 here).
// The reader taken away mid-run (pcscd started again on another reader) is
// one disconnection; the settings window, open all along, offers the reader
// that came instead at once; plugged in again, Reader > Connect finds it.
TEST_F(PcscSettingsTest, AReaderThatComesAndGoesIsOfferedAtOnceGoneOnceAndFoundAgainByName) {
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER0_PORT, "--wait 60"));
  CTVRBoardDoc* pDoc = NewRunDocument();
  CTVRBoardDocPrivate& doc = CTVRBoardDocPrivate::Of(*pDoc);
  ASSERT_TRUE(pDoc->SetSetting("Reader", "Virtual PCD 01 00"));
  CTVRBoardSettingsDlg dlg(*pDoc);
  dlg.Open();
  dlg.SetValue(1, "exclusive");  // chosen, not yet taken with OK
  doc.OnReaderConnect();
  ASSERT_TRUE(pDoc->IsConnected()) << ::testing::PrintToString(m_Prompts.m_Messages);
  EXPECT_EQ(Comments(*pDoc, "PC/SC reader Virtual PCD 00 00 connected"), 1u);
  ASSERT_TRUE(RunUntil([&] { return Answers(*pDoc, " ATR") == 1; }));

  doc.SetScriptLines({".t(20);", "00 A4 00 0C 02 3F 00;"});
  doc.SetLoopMode(TRUE);
  doc.OnScriptStart();
  ASSERT_TRUE(RunUntil([&] { return Answers(*pDoc, " NORMAL PROCESSING") >= 3; }));
  const std::vector<std::string> added = {"Virtual PCD 00 00", "Virtual PCD 35965 00 00", "Virtual PCD 35965 00 01"};
  ASSERT_TRUE(m_Stack.RestartDaemon(std::to_string(CTVRPcscStack::SECOND_DEVICE_CHANNEL)));
  EXPECT_TRUE(RunUntil([&] { return !pDoc->IsConnected() && dlg.GetSettings()[0].m_Choices == added; }))
      << ::testing::PrintToString(dlg.GetSettings()[0].m_Choices);
  CTVRDispatcher::GetInstalled()->RunUntilIdle();
  EXPECT_EQ(dlg.GetValue(1), "exclusive");
  EXPECT_FALSE(pDoc->IsRunning());
  EXPECT_EQ(Disconnections(), 1u) << ::testing::PrintToString(m_Prompts.m_Messages);
  EXPECT_EQ(Comments(*pDoc, "PC/SC: Virtual PCD 00 00: "), 1u);

  ASSERT_TRUE(m_Stack.RestartDaemon(std::to_string(CTVRPcscStack::READER0_PORT)));
  ASSERT_TRUE(m_Stack.WaitForCard("Virtual PCD 00 00"));
  doc.OnReaderConnect();
  ASSERT_TRUE(pDoc->IsConnected()) << ::testing::PrintToString(m_Prompts.m_Messages);
  EXPECT_TRUE(RunUntil([&] { return Answers(*pDoc, " ATR") == 2; }));
  EXPECT_EQ(Comments(*pDoc, "PC/SC reader Virtual PCD 00 00 connected"), 2u);
  pDoc->Disconnect();
}

// A card that answers its first APDU and then nothing more, in a reader
// that stops answering with it: the APDU's call is given up at the
// document's answer timeout, which is one disconnection, and a connection to
// the reader, which the daemon holds up as well, is given up the same way.
TEST_F(PcscSettingsTest, ACallThatDoesNotReturnIsGivenUpAtTheAnswerTimeout) {
  ASSERT_TRUE(m_Stack.InsertCard(CTVRPcscStack::READER0_PORT, "--mute-after 1"));
  CTVRBoardDoc* pDoc = NewRunDocument();
  CTVRBoardDocPrivate& doc = CTVRBoardDocPrivate::Of(*pDoc);
  ASSERT_TRUE(pDoc->SetSetting("AnswerTimeout", "400"));
  EXPECT_FALSE(pDoc->SetSetting("AnswerTimeout", "99")) << "below the least limit";
  doc.OnReaderConnect();
  ASSERT_TRUE(pDoc->IsConnected()) << ::testing::PrintToString(m_Prompts.m_Messages);
  ASSERT_TRUE(RunUntil([&] { return Answers(*pDoc, " ATR") == 1; }));
  doc.SetScriptLines({"00 A4 00 0C 02 3F 00;", "00 A4 00 0C 02 3F 00;"});
  doc.OnScriptStart();
  ASSERT_TRUE(RunUntil([&] { return !pDoc->IsConnected(); }));
  CTVRDispatcher::GetInstalled()->RunUntilIdle();
  EXPECT_EQ(Answers(*pDoc, " NORMAL PROCESSING"), 1u);
  EXPECT_EQ(Comments(*pDoc, "PC/SC: Virtual PCD 00 00: the reader did not answer within 400 ms\r\n"), 1u);
  EXPECT_EQ(Disconnections(), 1u) << ::testing::PrintToString(m_Prompts.m_Messages);

  m_Prompts.m_Messages.clear();
  doc.OnReaderConnect();
  EXPECT_FALSE(pDoc->IsConnected());
  EXPECT_EQ(m_Prompts.m_Messages,
            std::vector<std::string>{"PC/SC: Virtual PCD 00 00: the reader did not answer within 400 ms"});
}

}  // namespace
