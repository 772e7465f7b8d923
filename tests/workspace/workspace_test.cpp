// The documents that come back: saved at exit, restored at the next start
// in their order and with their settings, whatever the settings file holds.
// Two board types registered as a plug-in would register them, one protocol,
// a private settings file emptied before each test, and frames that give
// each document a trace view, as the desktop child frame does.
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <QFile>

#include <gtest/gtest.h>

#include <tavric/doc_template.h>
#include <tavric/registry.h>
#include <tavric/resources.h>
#include <tavric/trace_record.h>

#include "contract/host.h"
#include "document/board_doc_private.h"
#include "document/headless_frames.h"
#include "document/trace_text_view.h"
#include "document/workspace.h"
#include "platform/dispatcher.h"
#include "platform/user_prompts.h"
#include "temp_folder.h"
#include "test_board.h"
#include "test_context.h"
#include "test_protocol.h"

// Board classes of the two types; whether a restored reader reconnects is
// decided for all of them at once.
class CWsBoardA : public CTVRTestBoard {
  TVR_DECLARE_DYNCREATE(CWsBoardA)
 public:
  CWsBoardA() { m_bConnectResult = s_bConnectWorks; }
  static inline BOOL s_bConnectWorks = TRUE;
};

class CWsBoardB : public CWsBoardA {
  TVR_DECLARE_DYNCREATE(CWsBoardB)
};

class CWsFrames : public CTVRHeadlessFrames {
 public:
  tvr::BOOL CreateFrame(CTVRBoardDoc& doc) override {
    if (++m_nCreated == m_nFailAt) return FALSE;
    auto& pView = m_Views[&doc];
    pView = std::make_unique<CTVRTraceTextView>();
    doc.AddView(pView.get());
    return CTVRHeadlessFrames::CreateFrame(doc);
  }
  void DestroyFrame(CTVRBoardDoc& doc) override {
    auto it = m_Views.find(&doc);
    if (it != m_Views.end()) {
      doc.RemoveView(it->second.get());
      m_Views.erase(it);
    }
    CTVRHeadlessFrames::DestroyFrame(doc);
  }
  std::string TraceText(CTVRBoardDoc& doc) {
    auto it = m_Views.find(&doc);
    return it != m_Views.end() ? it->second->GetText() : std::string("<no view>");
  }

  int m_nFailAt = 0;  // the n-th frame made from now on fails; 0 none
  int m_nCreated = 0;
  std::map<CTVRBoardDoc*, std::unique_ptr<CTVRTraceTextView>> m_Views;
};

class Workspace : public ::testing::Test {
 protected:
  static constexpr UINT kIdA = 7101;
  static constexpr UINT kIdB = 7102;

  void SetUp() override {
    QFile::remove(QString::fromStdString(CTVRRegistry::GetStoreFileName()));
    CWsBoardA::s_bConnectWorks = TRUE;
    RegisterDocStrings(kIdA, {"WsA", "Reader A"});
    RegisterDocStrings(kIdB, {"WsB", "Reader B"});
    m_Context.Host().AddTemplate(std::make_unique<CTVRDocTemplate>(kIdA, TVR_RUNTIME_CLASS(CWsBoardA)));
    m_Context.Host().AddTemplate(std::make_unique<CTVRDocTemplate>(kIdB, TVR_RUNTIME_CLASS(CWsBoardB)));
    m_pProtocol = new CTVRTestProtocol;  // the registry deletes it
    m_pProtocol->SetName("WsProto");
    m_pProtocol->SetAnswerLayout(ANSWER_MESSAGE_CODE);  // no description files
    m_Context.Host().AddProtocol(m_pProtocol);
  }

  void TearDown() override {
    m_Workspace.CloseAllDocuments();
    CTVRDispatcher::GetInstalled()->RunUntilIdle(std::chrono::seconds(5));
  }

  CTVRDocTemplate& A() { return *m_Context.Host().GetTemplates()[0]; }
  CTVRDocTemplate& B() { return *m_Context.Host().GetTemplates()[1]; }

  // A document made by the New command, in its frame.
  CTVRTestBoard* New(CTVRDocTemplate& tmpl) {
    auto* pDoc = static_cast<CTVRTestBoard*>(tmpl.OpenNewDocument());
    m_Frames.CreateFrame(*pDoc);
    return pDoc;
  }
  CTVRTestBoard* Doc(CTVRDocTemplate& tmpl, std::size_t index) {
    return index < tmpl.GetDocuments().size() ? static_cast<CTVRTestBoard*>(tmpl.GetDocuments()[index]) : nullptr;
  }
  static CTVRBoardDocPrivate& Private(CTVRBoardDoc* pDoc) { return CTVRBoardDocPrivate::Of(*pDoc); }
  std::vector<std::string> Titles(CTVRDocTemplate& tmpl) {
    std::vector<std::string> titles;
    for (CTVRBoardDoc* pDoc : tmpl.GetDocuments()) titles.push_back(pDoc->GetTitle());
    return titles;
  }
  static std::string ReadText(const std::string& section, const std::string& name) {
    CTVRRegistry reg(FALSE, TRUE);
    std::string value = "<missing>";
    reg.Open(CTVRRegistry::GetRegSectionPath(section));
    reg.Read(name, value);
    return value;
  }
  static void WriteValues(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values) {
    CTVRRegistry reg(FALSE, FALSE);
    reg.CreateKey(CTVRRegistry::GetRegSectionPath(section));
    for (const auto& [name, value] : values) reg.Write(name, value);
  }

  std::string Script(const std::string& name, const std::string& content) { return m_Folder.Write(name, content); }
  // Saves at exit, closes everything, starts again.
  void ExitAndRestart() {
    m_Workspace.SaveCustomState();
    m_Workspace.CloseAllDocuments();
    A().m_nUntitledCount = B().m_nUntitledCount = 0;
    m_Workspace.LoadCustomState();
  }

  CTVRTestContext m_Context;
  CTVRPromptRecorder m_Prompts{m_Context};
  CTVRTestProtocol* m_pProtocol = nullptr;
  CWsFrames m_Frames;
  CTVRWorkspace m_Workspace{m_Context, m_Frames};
  tvr_test::CTempFolder m_Folder;
};

TVR_IMPLEMENT_DYNCREATE(CWsBoardA)
TVR_IMPLEMENT_DYNCREATE(CWsBoardB)

namespace {

// The refused write leaves the file alone: Registry.RefusedWritesLeaveTheFileAlone.
TEST_F(Workspace, AFailedWriteEndsTheChain) {
  CTVRTestBoard* pDoc = New(A());
  CTVRRegistry readOnly(FALSE, TRUE);
  readOnly.CreateKey(CTVRRegistry::GetRegSectionPath("CWsBoardA\\0"));
  EXPECT_FALSE(pDoc->SaveState(readOnly));
  EXPECT_TRUE(Private(pDoc).IsStateSaved()) << "the document counts as saved all the same";
}

TEST_F(Workspace, AProtocolThatIsNoLongerThereReopensWithoutOneAndIsStoredAsNone) {
  Private(New(A())).SelectProtocol("WsProto", 0);
  m_Workspace.SaveCustomState();
  m_Workspace.CloseAllDocuments();
  m_pProtocol->SetName("Renamed");

  m_Workspace.LoadCustomState();
  ASSERT_EQ(A().GetDocuments().size(), 1u);
  EXPECT_EQ(Private(Doc(A(), 0)).m_pProtocol, nullptr);
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
  m_Workspace.SaveCustomState();
  EXPECT_EQ(ReadText("CWsBoardA\\0", "Protocol"), "none");
}

TEST_F(Workspace, AReaderThatCannotReconnectStaysOpenWithoutItsQuickCommands) {
  for (int i = 0; i < 2; ++i) {
    CTVRTestBoard* pDoc = New(A());
    Private(pDoc).SelectProtocol("WsProto", 0);
    Private(pDoc).m_bConnected = TRUE;
    Private(pDoc).SetQuickCommand(0, "01 02");
  }
  CWsBoardA::s_bConnectWorks = FALSE;
  ExitAndRestart();
  ASSERT_EQ(A().GetDocuments().size(), 2u) << "the next document is still restored";
  for (std::size_t i = 0; i < 2; ++i) {
    CTVRTestBoard* pDoc = Doc(A(), i);
    EXPECT_EQ(std::make_tuple(pDoc->m_nConnectCalls, pDoc->IsConnected(), Private(pDoc).GetQuickCommand(0)),
              std::make_tuple(1, FALSE, std::string()));
    EXPECT_EQ(Private(pDoc).m_pProtocol, m_pProtocol);
  }
}

TEST_F(Workspace, HandEditedValuesOfTheWrongTypeOrMissingStillOpenTheDocuments) {
  WriteValues("CWsBoardA", {{"UntitledCount", "4"}, {"NbDoc", "3"}});
  WriteValues("CWsBoardA\\0", {{"Title", "Bench"}, {"Connected", "yes"}, {"Protocol", "WsProto"}});
  WriteValues("CWsBoardA\\1", {{"Title", "Second"}});
  // No section at all for document 2.
  WriteValues("CWsBoardB", {{"UntitledCount", "1"}, {"NbDoc", "many"}});

  m_Workspace.LoadCustomState();
  EXPECT_EQ(Titles(A()), (std::vector<std::string>{"Bench", "Second", "noname"}));
  EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>(3, "No document in registry !"));
  EXPECT_FALSE(Doc(A(), 0)->IsConnected());
  EXPECT_EQ(Private(Doc(A(), 0)).m_pProtocol, nullptr) << "the protocol came after the value that failed";
  EXPECT_EQ(A().m_nUntitledCount, 4);
  EXPECT_TRUE(B().GetDocuments().empty()) << "a count that is no number counts as none";
  // A huge count is bounded.
  m_Workspace.CloseAllDocuments();
  WriteValues("CWsBoardA", {{"UntitledCount", "0"}, {"NbDoc", "4294967295"}});
  m_Workspace.LoadCustomState();
  EXPECT_EQ(A().GetDocuments().size(), std::size_t(CTVRWorkspace::MAX_DOCUMENTS));
}

TEST_F(Workspace, ATruncatedOrGarbledSettingsFileRestoresWhatItStillHolds) {
  New(A())->CTVRDocument::SetTitle("One");
  New(A())->CTVRDocument::SetTitle("Two");
  m_Workspace.SaveCustomState();
  m_Workspace.CloseAllDocuments();
  const std::string file = CTVRRegistry::GetStoreFileName();
  const std::string whole = tvr_test::CTempFolder::Read(file);
  ASSERT_GT(whole.size(), 100u);
  // Every cut of it, and garbage: a broken section name, bytes that are no text, an unclosed quote.
  std::vector<std::string> texts = {"[Settings\\CWsBoardA\x01\xff\nNbDoc=\"2\n=\n[[[\n"};
  for (std::size_t cut = 0; cut < whole.size(); cut += 23) texts.push_back(whole.substr(0, cut));
  for (const std::string& text : texts) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    m_Workspace.LoadCustomState();
    EXPECT_LE(A().GetDocuments().size(), 2u) << text;
    for (CTVRBoardDoc* pDoc : A().GetDocuments())
      EXPECT_TRUE(pDoc->GetTitle() == "One" || pDoc->GetTitle() == "Two" || pDoc->GetTitle() == "noname")
          << text << ": " << pDoc->GetTitle();
    m_Workspace.CloseAllDocuments();
  }
  std::ofstream(file, std::ios::binary | std::ios::trunc) << whole;
  m_Workspace.LoadCustomState();
  EXPECT_EQ(Titles(A()), (std::vector<std::string>{"One", "Two"}));
}

TEST_F(Workspace, ADocumentThatCannotBeRecreatedStopsItsBoardTypeOnly) {
  New(A());
  New(A());
  New(A());
  New(B());
  m_Workspace.SaveCustomState();
  m_Workspace.CloseAllDocuments();
  m_Frames.m_nCreated = 0;
  m_Frames.m_nFailAt = 2;
  m_Workspace.LoadCustomState();
  EXPECT_EQ(Titles(A()), std::vector<std::string>{"WsA1"});
  EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"Failed to create empty document."});
  EXPECT_EQ(Titles(B()), std::vector<std::string>{"WsB1"});
  m_Frames.m_nFailAt = 0;
  m_Workspace.CloseAllDocuments();
  m_Workspace.LoadCustomState();
  EXPECT_EQ(Titles(A()), (std::vector<std::string>{"WsA1", "WsA2", "WsA3"}));
  EXPECT_EQ(Titles(B()), std::vector<std::string>{"WsB1"});
}

// The close question through every door, and none once the state is saved
// (the main window closed), are the desktop's test (AppTest).
TEST_F(Workspace, AReaderClosedAsTheSessionEndsIsNotAsked) {
  CTVRWorkspace::Of(m_Context).SetSessionEnding(TRUE);
  EXPECT_TRUE(Private(New(A())).OnCloseDocument());
  EXPECT_TRUE(m_Prompts.m_Questions.empty());
  CTVRWorkspace::Of(m_Context).SetSessionEnding(FALSE);
}

TEST_F(Workspace, NewScriptFileReopensTheFirstBoardTypeWithEachTraceAndEmptyScripts) {
  CTVRTestBoard* a1 = New(A());
  CTVRTestBoard* a2 = New(A());
  CTVRTestBoard* b1 = New(B());
  Private(a1).SelectProtocol("WsProto", 0);
  Private(a1).SetQuickCommand(2, "00 B0");
  ASSERT_TRUE(Private(a1).OnOpenDocument(Script("kept.cmd", "01 02;\n")));
  ASSERT_TRUE(Private(b1).OnOpenDocument(Script("other.cmd", "05 06;\n07 08;\n")));
  Private(a1).NotifyMessage(std::string("* first reader\r\n"), TRACE_COMMENT);
  Private(a2).NotifyMessage(std::string("* second reader\r\n"), TRACE_COMMENT);

  a2->DoCommand(ID_NEW_SCRIPT_FILE);  // a2 is gone after this
  ASSERT_EQ(Titles(A()), (std::vector<std::string>{"WsA1", "WsA2"}));
  EXPECT_EQ(m_Frames.TraceText(*Doc(A(), 0)), "* first reader\r\n");
  EXPECT_EQ(m_Frames.TraceText(*Doc(A(), 1)), "* second reader\r\n");
  // The document of the command starts a new script; the others reopen theirs.
  EXPECT_EQ(std::make_tuple(Private(Doc(A(), 1)).GetCaption(), Private(Doc(A(), 1)).GetLineCount()),
            std::make_tuple(std::string("WsA2 - [noname]"), 1));
  EXPECT_EQ(Private(Doc(A(), 0)).GetCaption(), "WsA1 - [kept.cmd]");
  EXPECT_EQ(Private(Doc(A(), 0)).m_pProtocol, m_pProtocol);
  EXPECT_EQ(Private(Doc(A(), 0)).GetQuickCommand(2), "00 B0");
  EXPECT_EQ(Private(Doc(B(), 0)).GetLineCount(), 2) << "another board type's script is not touched";

  // From a document of the second board type: the first type's cycle runs,
  // and this document's own script is emptied in place.
  Doc(B(), 0)->DoCommand(ID_NEW_SCRIPT_FILE);
  ASSERT_EQ(B().GetDocuments().size(), 1u);
  EXPECT_EQ(std::make_tuple(Doc(B(), 0), Private(Doc(B(), 0)).GetLineCount(), Private(Doc(B(), 0)).GetCaption()),
            std::make_tuple(b1, 1, std::string("WsB1 - [noname]")));
  EXPECT_EQ(A().GetDocuments().size(), 2u);
}

}  // namespace
