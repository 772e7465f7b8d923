// Connection, protocol selection and the document's command route.
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include <tavric/crypto.h>
#include <tavric/trace_record.h>

#include "doc_fixture.h"
#include "trace/trace_log.h"

namespace {

// A protocol with a command of its own, as a plug-in's menu would carry.
class CMenuProtocol : public CTVRTestProtocol {
 public:
  static constexpr UINT ID_OWN = 40001;
  CMenuProtocol() {
    OnCommand(ID_OWN, [this] { ++m_nOwnCalls; });
    OnUpdate(ID_OWN, [](CTVRCmdUI* ui) { ui->Enable(FALSE); });
  }
  int m_nOwnCalls = 0;
};

class CShowCrypto : public CTVRCrypto {
 public:
  void OnCryptoShow() override { ++m_nShown; }
  int m_nShown = 0;
};

class DocumentCommands : public CTVRDocFixture {
 protected:
  static CTVRTestProtocol* Register(const std::string& name, DWORD menuId = 0) {
    auto* pProtocol = new CTVRTestProtocol;
    pProtocol->SetName(name);
    pProtocol->SetMenuId(menuId);
    CTVRHost::Instance().AddProtocol(pProtocol);
    return pProtocol;
  }
  static UINT MenuIdOf(const CTVRProtocol* pProtocol) {
    const auto& all = CTVRHost::Instance().GetProtocols();
    for (std::size_t i = 0; i < all.size(); ++i) {
      if (all[i] == pProtocol) return UINT(ID_PROTOCOL_FIRST + i);
    }
    return 0;
  }
};

TEST_F(DocumentCommands, ConnectNeedsAProtocolAndMarksItConnected) {
  m_pDoc->m_pProtocol = nullptr;
  m_pDoc->DoCommand(ID_READER_CONNECT);
  EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"Unknown Protocol!"});
  EXPECT_EQ(m_pDoc->m_nConnectCalls, 0);

  UseProtocol(m_Protocol);
  m_pDoc->m_bConnectResult = FALSE;
  m_pDoc->DoCommand(ID_READER_CONNECT);
  EXPECT_FALSE(m_pDoc->IsConnected());

  m_pDoc->m_bConnectResult = TRUE;
  m_pDoc->DoCommand(ID_READER_CONNECT);
  EXPECT_TRUE(m_pDoc->IsConnected());
  EXPECT_TRUE(m_Protocol.GetConnected());

  CTVRCmdUI connect(ID_READER_CONNECT), disconnect(ID_READER_DISCONNECT);
  m_pDoc->DoUpdate(connect);
  m_pDoc->DoUpdate(disconnect);
  EXPECT_FALSE(connect.m_bEnabled);
  EXPECT_TRUE(disconnect.m_bEnabled);

  m_pDoc->m_bDisconnectResult = FALSE;
  m_pDoc->DoCommand(ID_READER_DISCONNECT);
  EXPECT_TRUE(m_pDoc->IsConnected());
  m_pDoc->m_bDisconnectResult = TRUE;
  m_pDoc->DoCommand(ID_READER_DISCONNECT);
  EXPECT_FALSE(m_pDoc->IsConnected());
  EXPECT_FALSE(m_Protocol.GetConnected());

  // A board class may forbid connecting.
  m_pDoc->m_bConnectEnabled = FALSE;
  m_pDoc->DoUpdate(connect);
  EXPECT_FALSE(connect.m_bEnabled);
}

TEST_F(DocumentCommands, TheBaseBoardImplementsNeitherConnectNorSend) {
  CTVRBoardDoc doc;
  doc.OnNewDocument();
  doc.m_pProtocol = &m_Protocol;
  doc.OnReaderConnect();
  EXPECT_FALSE(doc.IsConnected());
  doc.m_bConnected = TRUE;
  doc.OnReaderDisconnect();
  EXPECT_TRUE(doc.IsConnected());
  EXPECT_EQ(m_Prompts.m_Messages,
            (std::vector<std::string>{"This operation is not implemented.", "This operation is not implemented."}));
  BYTE bytes[2] = {1, 2};
  EXPECT_FALSE(doc.SendData(bytes, 2, SCRIPT_RAWDATA));
  EXPECT_EQ(doc.GetTraceLog().GetCount(), 1u);
}

TEST_F(DocumentCommands, SelectProtocolMatchesTheExactNameAndTheFirstRegisteredWins) {
  CTVRTestProtocol* pFirst = Register("Twin");
  CTVRTestProtocol* pSecond = Register("Twin");
  CTVRTestProtocol* pUpper = Register("TWIN");
  m_pDoc->SelectProtocol("Twin", 2);
  EXPECT_EQ(m_pDoc->m_pProtocol, pFirst);
  EXPECT_EQ(pFirst->m_SetStandardCalls, std::vector<BYTE>{2});
  EXPECT_TRUE(pSecond->m_SetStandardCalls.empty());

  m_pDoc->SelectProtocol("TWIN", 0);
  EXPECT_EQ(m_pDoc->m_pProtocol, pUpper);
  // No match: the selection stays.
  m_pDoc->SelectProtocol("twin", 0);
  EXPECT_EQ(m_pDoc->m_pProtocol, pUpper);
}

TEST_F(DocumentCommands, SelectingAProtocolLoadsItsDescriptionFilesFromTheProgramFolder) {
  const auto dir = std::filesystem::temp_directory_path() / ("tavric_files_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "pcsccmd.txt", std::ios::binary) << "62 POWER\r\n";
  std::ofstream(dir / "pcscerr.txt", std::ios::binary) << "FE TIMEOUT\r\n";
  const std::string previous = CTVRHost::Instance().GetProgramFolder();
  CTVRHost::Instance().SetProgramFolder(dir.string());

  CTVRTestProtocol* pPcsc = Register("FilesPcsc", 187);
  CTVRTestProtocol* pOther = Register("FilesOther", 200);
  m_pDoc->SelectProtocol("FilesPcsc", 0);
  EXPECT_TRUE(pPcsc->GetCmdCode()->IsDefined(0x62));
  EXPECT_TRUE(pPcsc->GetErrorCode()->IsDefined(0xFE));

  m_pDoc->DoCommand(MenuIdOf(pOther));
  EXPECT_EQ(m_pDoc->m_pProtocol, pOther);
  EXPECT_FALSE(pOther->GetCmdCode()->IsDefined(0x62));
  EXPECT_TRUE(m_Prompts.m_Messages.empty());

  CTVRHost::Instance().SetProgramFolder(previous);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

TEST_F(DocumentCommands, TheProtocolMenuSelectsByPositionAndPassesTheConnection) {
  CTVRTestProtocol* pChosen = Register("MenuChoice");
  const UINT id = MenuIdOf(pChosen);
  if (id > ID_PROTOCOL_LAST) GTEST_SKIP() << "more than eight protocols registered before this test";
  MarkConnected();
  pChosen->SetStandard(5);
  m_pDoc->DoCommand(id);
  EXPECT_EQ(m_pDoc->m_pProtocol, pChosen);
  EXPECT_TRUE(pChosen->GetConnected());
  EXPECT_EQ(pChosen->m_SetStandardCalls, std::vector<BYTE>{5});  // only the test's own call

  // A position past the registry does nothing.
  m_pDoc->OnProtocols(UINT(ID_PROTOCOL_FIRST + CTVRHost::Instance().GetProtocols().size()));
  EXPECT_EQ(m_pDoc->m_pProtocol, pChosen);
}

TEST_F(DocumentCommands, CommandsTheDocumentDoesNotHandleReachTheSelectedProtocol) {
  CMenuProtocol protocol;
  UseProtocol(protocol);
  EXPECT_TRUE(m_pDoc->DoCommand(CMenuProtocol::ID_OWN));
  EXPECT_EQ(protocol.m_nOwnCalls, 1);
  CTVRCmdUI ui(CMenuProtocol::ID_OWN);
  EXPECT_TRUE(m_pDoc->DoUpdate(ui));
  EXPECT_FALSE(ui.m_bEnabled);

  m_pDoc->m_pProtocol = nullptr;
  EXPECT_FALSE(m_pDoc->DoCommand(CMenuProtocol::ID_OWN));
  EXPECT_EQ(protocol.m_nOwnCalls, 1);
}

TEST_F(DocumentCommands, TheProtocolPlaceholderButtonIsLiveOnceAMenuHasBeenBuilt) {
  CTVRCmdUI button(ID_PROTOCOL_FIRST);
  m_pDoc->DoUpdate(button);
  EXPECT_FALSE(button.m_bEnabled);
  m_pDoc->m_nProtocolMenuCount = 4;
  m_pDoc->DoUpdate(button);
  EXPECT_TRUE(button.m_bEnabled);
}

TEST_F(DocumentCommands, TraceCommandsWriteTheirRecordsAndHexModeToggles) {
  m_pDoc->DoCommand(ID_EDIT_CLEAR_ALL);
  m_pDoc->DoCommand(ID_LOGFILE_SAVE);
  m_pDoc->DoCommand(ID_LOGFILE_SAVE_AS);
  const CTVRTraceLog& log = m_pDoc->GetTraceLog();
  ASSERT_EQ(log.GetCount(), 3u);
  EXPECT_EQ(log.GetAt(0).m_nKind, TRACE_CLEAR);
  EXPECT_EQ(log.GetAt(1).m_nKind, TRACE_SAVE_LOG);
  EXPECT_EQ(log.GetAt(2).m_nKind, TRACE_SAVE_LOG_AS);
  EXPECT_EQ(log.GetAt(2).m_dwCount, 0u);

  CTVRCmdUI hex(ID_HEX_TO_ASCII);
  m_pDoc->DoUpdate(hex);
  EXPECT_EQ(hex.m_nCheck, 1);
  m_pDoc->DoCommand(ID_HEX_TO_ASCII);
  m_pDoc->DoUpdate(hex);
  EXPECT_EQ(hex.m_nCheck, 0);
  EXPECT_FALSE(m_pDoc->m_bHexDisplay);
}

TEST_F(DocumentCommands, ReloadingAKeptTraceAppendsItsRecords) {
  m_pDoc->NotifyMessageForReload("PC -> IFD : RESET\r\n            01 02 \r\nIFD -> PC : DONE\r\n");
  const CTVRTraceLog& log = m_pDoc->GetTraceLog();
  ASSERT_EQ(log.GetCount(), 3u);
  EXPECT_EQ(log.GetAt(0).m_nKind, TRACE_COMMAND_NAME);
  EXPECT_EQ(log.GetAt(1).m_nKind, TRACE_RELOAD_SENT);
  EXPECT_EQ(log.GetAt(2).m_nKind, TRACE_ANSWER_TEXT);
}

TEST_F(DocumentCommands, ViewsSeeEveryRecordAsItIsAdded) {
  struct CRecorderView : CTVRView {
    void OnUpdate(CTVRView*, LPARAM hint, void* pHint) override {
      if (hint != HINT_TRACE_RECORD) return;
      const auto* pRecord = static_cast<const CTVRTraceRecord*>(pHint);
      m_Texts.emplace_back(reinterpret_cast<const char*>(pRecord->m_pData), pRecord->m_dwCount);
    }
    std::vector<std::string> m_Texts;
  } view;
  m_pDoc->AddView(&view);
  m_pDoc->NotifyMessage(std::string(" HELLO"), TRACE_INFO);
  m_pDoc->RemoveView(&view);
  EXPECT_EQ(view.m_Texts, std::vector<std::string>{" HELLO"});
}

TEST_F(DocumentCommands, CypheringShowsTheObjectOrSaysThereIsNone) {
  m_pDoc->m_pCrypto = nullptr;
  m_pDoc->DoCommand(ID_CRYPTO);
  EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"No cyphering in this Tavric version !"});
  CShowCrypto crypto;
  m_pDoc->m_pCrypto = &crypto;
  m_pDoc->DoCommand(ID_CRYPTO);
  EXPECT_EQ(crypto.m_nShown, 1);
  EXPECT_EQ(m_Prompts.m_Messages.size(), 1u);
}

TEST_F(DocumentCommands, LoopbackMessageShowsTheProtocolName) {
  m_pDoc->OnLpbMsg();
  EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"Test"});
}

}  // namespace
