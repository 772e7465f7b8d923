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

class CWsBoardB : public CTVRTestBoard {
  TVR_DECLARE_DYNCREATE(CWsBoardB)
 public:
  CWsBoardB() { m_bConnectResult = CWsBoardA::s_bConnectWorks; }
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

// What a restored document must have kept.
using Settings =
    std::tuple<std::string, std::string, CTVRProtocol*, BOOL, EScriptType, BOOL, BOOL, std::string, std::string, int>;

Settings SettingsOf(CTVRTestBoard* pDoc) {
  if (pDoc == nullptr) return {};
  return {pDoc->GetTitle(),
          CTVRBoardDocPrivate::Of(*pDoc).GetCaption(),
          CTVRBoardDocPrivate::Of(*pDoc).m_pProtocol,
          CTVRBoardDocPrivate::Of(*pDoc).m_bConnected,
          pDoc->GetScriptType(),
          CTVRBoardDocPrivate::Of(*pDoc).m_bAutoPause,
          CTVRBoardDocPrivate::Of(*pDoc).IsHexDisplay(),
          CTVRBoardDocPrivate::Of(*pDoc).GetQuickCommand(0),
          CTVRBoardDocPrivate::Of(*pDoc).GetQuickCommand(4),
          CTVRBoardDocPrivate::Of(*pDoc).GetLineCount()};
}

TEST_F(Workspace, TwoBoardTypesWithTwoAndOneDocumentsComeBackInOrder) {
  CTVRTestBoard* a1 = New(A());
  CTVRBoardDocPrivate::Of(*a1).SelectProtocol("WsProto", 2);
  ASSERT_TRUE(CTVRBoardDocPrivate::Of(*a1).OnOpenDocument(Script("first.cmd", "01 02;\n03 04;\n")));
  CTVRBoardDocPrivate::Of(*a1).m_bConnected = TRUE;
  CTVRBoardDocPrivate::Of(*a1).m_eScriptType = SCRIPT_COMMANDS;
  CTVRBoardDocPrivate::Of(*a1).SetQuickCommand(0, "00 A4");
  CTVRBoardDocPrivate::Of(*a1).SetQuickCommand(4, "10");
  CTVRTestBoard* a2 = New(A());
  CTVRBoardDocPrivate::Of(*a2).m_eScriptType = SCRIPT_APDU;
  CTVRBoardDocPrivate::Of(*a2).m_bAutoPause = FALSE;
  CTVRTestBoard* b1 = New(B());
  CTVRBoardDocPrivate::Of(*b1).SetHexDisplay(FALSE);
  CTVRBoardDocPrivate::Of(*b1).SelectProtocol("WsProto", 2);
  const std::vector<Settings> before = {SettingsOf(a1), SettingsOf(a2), SettingsOf(b1)};

  ExitAndRestart();
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
  EXPECT_EQ(Titles(A()), (std::vector<std::string>{"WsA1", "WsA2"}));
  EXPECT_EQ(Titles(B()), std::vector<std::string>{"WsB1"});
  EXPECT_EQ((std::vector<Settings>{SettingsOf(Doc(A(), 0)), SettingsOf(Doc(A(), 1)), SettingsOf(Doc(B(), 0))}), before);
  EXPECT_EQ(Doc(A(), 0)->m_nConnectCalls, 1) << "the connected reader is connected again";
  EXPECT_EQ(std::make_tuple(A().m_nUntitledCount, B().m_nUntitledCount), std::make_tuple(2, 1));
  EXPECT_EQ(std::make_tuple(ReadText("CWsBoardA", "NbDoc"), ReadText("CWsBoardB", "NbDoc")),
            std::make_tuple(std::string("2"), std::string("1")));
  // The board type's next new document goes on counting.
  EXPECT_EQ(New(A())->GetTitle(), "WsA3");
}

TEST_F(Workspace, AFailedWriteEndsTheChain) {
  CTVRTestBoard* pDoc = New(A());
  CTVRRegistry readOnly(FALSE, TRUE);
  readOnly.CreateKey(CTVRRegistry::GetRegSectionPath("CWsBoardA\\0"));
  EXPECT_FALSE(pDoc->SaveState(readOnly));
  EXPECT_TRUE(CTVRBoardDocPrivate::Of(*pDoc).IsStateSaved()) << "the document counts as saved all the same";
  EXPECT_EQ(ReadText("CWsBoardA\\0", "LastRegSettingUsed"), "<missing>");
}

TEST_F(Workspace, AProtocolThatIsNoLongerThereReopensWithoutOneAndIsStoredAsNone) {
  CTVRBoardDocPrivate::Of(*New(A())).SelectProtocol("WsProto", 0);
  m_Workspace.SaveCustomState();
  m_Workspace.CloseAllDocuments();
  m_pProtocol->SetName("Renamed");

  m_Workspace.LoadCustomState();
  ASSERT_EQ(A().GetDocuments().size(), 1u);
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*Doc(A(), 0)).m_pProtocol, nullptr);
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
  m_Workspace.SaveCustomState();
  EXPECT_EQ(ReadText("CWsBoardA\\0", "Protocol"), "none");
}

TEST_F(Workspace, AReaderThatCannotReconnectStaysOpenWithoutItsQuickCommands) {
  for (int i = 0; i < 2; ++i) {
    CTVRTestBoard* pDoc = New(A());
    CTVRBoardDocPrivate::Of(*pDoc).SelectProtocol("WsProto", 0);
    CTVRBoardDocPrivate::Of(*pDoc).m_bConnected = TRUE;
    CTVRBoardDocPrivate::Of(*pDoc).SetQuickCommand(0, "01 02");
  }
  CWsBoardA::s_bConnectWorks = FALSE;
  ExitAndRestart();
  ASSERT_EQ(A().GetDocuments().size(), 2u) << "the next document is still restored";
  for (std::size_t i = 0; i < 2; ++i) {
    CTVRTestBoard* pDoc = Doc(A(), i);
    EXPECT_EQ(
        std::make_tuple(pDoc->m_nConnectCalls, pDoc->IsConnected(), CTVRBoardDocPrivate::Of(*pDoc).GetQuickCommand(0)),
        std::make_tuple(1, FALSE, std::string()));
    EXPECT_EQ(CTVRBoardDocPrivate::Of(*pDoc).m_pProtocol, m_pProtocol);
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
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*Doc(A(), 0)).m_pProtocol, nullptr)
      << "the protocol came after the value that failed";
  EXPECT_EQ(A().m_nUntitledCount, 4);
  EXPECT_TRUE(B().GetDocuments().empty()) << "a count that is no number counts as none";
  // A huge count is bounded.
  m_Workspace.CloseAllDocuments();
  WriteValues("CWsBoardA", {{"UntitledCount", "0"}, {"NbDoc", "4294967295"}});
  m_Workspace.LoadCustomState();
  EXPECT_EQ(A().GetDocuments().size(), std::size_t(CTVRWorkspace::MAX_DOCUMENTS));
}

TEST_F(Workspace, ATruncatedSettingsFileRestoresWhatItStillHolds) {
  New(A())->CTVRDocument::SetTitle("One");
  New(A())->CTVRDocument::SetTitle("Two");
  m_Workspace.SaveCustomState();
  m_Workspace.CloseAllDocuments();
  const std::string file = CTVRRegistry::GetStoreFileName();
  const std::string whole = tvr_test::CTempFolder::Read(file);
  ASSERT_GT(whole.size(), 100u);
  for (std::size_t cut = 0; cut < whole.size(); cut += 23) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << whole.substr(0, cut);
    m_Workspace.LoadCustomState();
    EXPECT_LE(A().GetDocuments().size(), 2u) << cut;
    for (CTVRBoardDoc* pDoc : A().GetDocuments())
      EXPECT_TRUE(pDoc->GetTitle() == "One" || pDoc->GetTitle() == "Two" || pDoc->GetTitle() == "noname")
          << cut << ": " << pDoc->GetTitle();
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

// The close question itself, through every door, is the desktop's test (tests/shell).
TEST_F(Workspace, ClosingByHandAsksUnlessTheStateIsSavedOrTheSessionEnds) {
  m_Prompts.m_YesNoAnswers = {FALSE};
  EXPECT_FALSE(CTVRBoardDocPrivate::Of(*New(A())).OnCloseDocument());
  EXPECT_EQ(m_Prompts.m_Questions.size(), 1u);
  m_Workspace.CloseAllDocuments();
  m_Prompts.m_Questions.clear();
  New(A());
  m_Workspace.SaveCustomState();
  EXPECT_TRUE(CTVRBoardDocPrivate::Of(*Doc(A(), 0)).OnCloseDocument());
  New(A());
  CTVRWorkspace::Of(m_Context).SetSessionEnding(TRUE);
  EXPECT_TRUE(CTVRBoardDocPrivate::Of(*Doc(A(), 0)).OnCloseDocument());
  EXPECT_TRUE(m_Prompts.m_Questions.empty());
  CTVRWorkspace::Of(m_Context).SetSessionEnding(FALSE);
}

TEST_F(Workspace, NewScriptFileReopensTheFirstBoardTypeWithEachTraceAndEmptyScripts) {
  CTVRTestBoard* a1 = New(A());
  CTVRTestBoard* a2 = New(A());
  CTVRTestBoard* b1 = New(B());
  CTVRBoardDocPrivate::Of(*a1).SelectProtocol("WsProto", 0);
  CTVRBoardDocPrivate::Of(*a1).SetQuickCommand(2, "00 B0");
  ASSERT_TRUE(CTVRBoardDocPrivate::Of(*a1).OnOpenDocument(Script("kept.cmd", "01 02;\n")));
  ASSERT_TRUE(CTVRBoardDocPrivate::Of(*b1).OnOpenDocument(Script("other.cmd", "05 06;\n07 08;\n")));
  CTVRBoardDocPrivate::Of(*a1).NotifyMessage(std::string("* first reader\r\n"), TRACE_COMMENT);
  CTVRBoardDocPrivate::Of(*a2).NotifyMessage(std::string("* second reader\r\n"), TRACE_COMMENT);

  a2->DoCommand(ID_NEW_SCRIPT_FILE);  // a2 is gone after this
  ASSERT_EQ(Titles(A()), (std::vector<std::string>{"WsA1", "WsA2"}));
  EXPECT_EQ(m_Frames.TraceText(*Doc(A(), 0)), "* first reader\r\n");
  EXPECT_EQ(m_Frames.TraceText(*Doc(A(), 1)), "* second reader\r\n");
  // The document of the command starts a new script; the others reopen theirs.
  EXPECT_EQ(std::make_tuple(CTVRBoardDocPrivate::Of(*Doc(A(), 1)).GetCaption(),
                            CTVRBoardDocPrivate::Of(*Doc(A(), 1)).GetLineCount()),
            std::make_tuple(std::string("WsA2 - [noname]"), 1));
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*Doc(A(), 0)).GetCaption(), "WsA1 - [kept.cmd]");
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*Doc(A(), 0)).m_pProtocol, m_pProtocol);
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*Doc(A(), 0)).GetQuickCommand(2), "00 B0");
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*Doc(B(), 0)).GetLineCount(), 2) << "another board type's script is not touched";

  // From a document of the second board type: the first type's cycle runs,
  // and this document's own script is emptied in place.
  Doc(B(), 0)->DoCommand(ID_NEW_SCRIPT_FILE);
  ASSERT_EQ(B().GetDocuments().size(), 1u);
  EXPECT_EQ(std::make_tuple(Doc(B(), 0), CTVRBoardDocPrivate::Of(*Doc(B(), 0)).GetLineCount(),
                            CTVRBoardDocPrivate::Of(*Doc(B(), 0)).GetCaption()),
            std::make_tuple(b1, 1, std::string("WsB1 - [noname]")));
  EXPECT_EQ(A().GetDocuments().size(), 2u);
}

}  // namespace
