// The script file and the settings a document keeps in the registry.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include <tavric/crypto.h>
#include <tavric/registry.h>

#include "doc_fixture.h"

namespace {

class CKeyCrypto : public CTVRCrypto {
 public:
  void SetCypheringKey(const std::string& key) override { m_Keys[0] = key; }
  void SetDecypheringKey(const std::string& key) override { m_Keys[1] = key; }
  void Set3CypheringKey(const std::string& key) override { m_Keys[2] = key; }
  void Set3DecypheringKey(const std::string& key) override { m_Keys[3] = key; }
  std::string GetCypheringKey() override { return m_Keys[0]; }
  std::string GetDecypheringKey() override { return m_Keys[1]; }
  std::string Get3CypheringKey() override { return m_Keys[2]; }
  std::string Get3DecypheringKey() override { return m_Keys[3]; }
  std::string m_Keys[4];
};

class Persistence : public CTVRDocFixture {
 protected:
  void SetUp() override {
    CTVRDocFixture::SetUp();
    m_dir = std::filesystem::temp_directory_path() / ("tavric_doc_" + std::to_string(::getpid()));
    std::filesystem::create_directories(m_dir);
  }
  void TearDown() override {
    CTVRHost::Instance().SetCrypto(nullptr);
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
    CTVRDocFixture::TearDown();
  }

  std::string PathOf(const std::string& name) { return (m_dir / name).string(); }
  std::string WriteFile(const std::string& name, const std::string& content) {
    std::ofstream(PathOf(name), std::ios::binary) << content;
    return PathOf(name);
  }
  static std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  }

  // A protocol in the host's registry, under a name no other test uses.
  static CTVRTestProtocol* RegisterProtocol(const std::string& name, DWORD menuId = 0) {
    auto* pProtocol = new CTVRTestProtocol;
    pProtocol->SetName(name);
    pProtocol->SetMenuId(menuId);
    CTVRHost::Instance().AddProtocol(pProtocol);
    return pProtocol;
  }

  static std::string Section(const std::string& name) { return CTVRRegistry::GetRegSectionPath("DocTest\\" + name); }

  std::filesystem::path m_dir;
};

TEST_F(Persistence, ANewDocumentIsOneEmptyStatementLineNamedNoname) {
  EXPECT_EQ(m_pDoc->GetLineCount(), 1);
  EXPECT_EQ(m_pDoc->GetLine(0), "");
  EXPECT_EQ(m_pDoc->GetLineState(0), DWORD(LINE_START | LINE_END));
  EXPECT_EQ(m_pDoc->m_strScriptPath, "noname");
  EXPECT_EQ(m_pDoc->GetCaption(), "noname - [noname]");
  EXPECT_EQ(m_pDoc->m_pProtocol, &m_Protocol);  // the fixture's choice, after OnNewDocument
}

TEST_F(Persistence, TheCaptionKeepsTheFirstTitleAndShowsTheScriptInBrackets) {
  CTVRTestBoard doc;
  doc.SetTitle("Sim1");
  EXPECT_EQ(doc.GetCaption(), "Sim1 - [noname]");
  doc.OnNewDocument();
  EXPECT_EQ(doc.GetTitle(), "Sim1");
  EXPECT_EQ(doc.GetCaption(), "Sim1 - [noname]");
  doc.SetTitle("reset.cmd");
  EXPECT_EQ(doc.GetTitle(), "Sim1");
  EXPECT_EQ(doc.GetCaption(), "Sim1 - [reset.cmd]");
}

TEST_F(Persistence, OpeningAScriptSplitsAtLineFeedsAndDropsTheCarriageReturns) {
  const std::string path = WriteFile("three.cmd", "00 a4;\r\n* note\r\n01 02;\r\n\r\nlast");
  ASSERT_TRUE(m_pDoc->OnOpenDocument(path));
  ASSERT_EQ(m_pDoc->GetLineCount(), 5);
  EXPECT_EQ(m_pDoc->GetLine(0), "00 a4;");
  EXPECT_EQ(m_pDoc->GetLine(1), "* note");
  EXPECT_EQ(m_pDoc->GetLine(2), "01 02;");
  EXPECT_EQ(m_pDoc->GetLine(3), "");
  EXPECT_EQ(m_pDoc->GetLine(4), "last");
  EXPECT_EQ(m_pDoc->GetLineState(1) & 0xFF, DWORD(LINE_COMMENT));
  EXPECT_EQ(m_pDoc->GetLineState(2) & 0xFF, DWORD(LINE_START | LINE_END));
  EXPECT_EQ(m_pDoc->m_strScriptPath, path);
  EXPECT_EQ(m_pDoc->GetPathName(), path);
  EXPECT_EQ(m_pDoc->GetCaption(), "noname - [three.cmd]");
  EXPECT_FALSE(m_pDoc->IsModified());
}

TEST_F(Persistence, AScriptThatCannotBeReadLeavesTheScriptAsItWas) {
  SetScript({"01 02;"});
  EXPECT_FALSE(m_pDoc->OnOpenDocument(PathOf("missing.cmd")));
  EXPECT_EQ(m_Prompts.m_Messages.size(), 1u);
  ASSERT_EQ(m_pDoc->GetLineCount(), 1);
  EXPECT_EQ(m_pDoc->GetLine(0), "01 02;");
  EXPECT_EQ(m_pDoc->m_strScriptPath, "noname");
}

TEST_F(Persistence, SavingWritesEveryLineFollowedByALineFeed) {
  ASSERT_TRUE(m_pDoc->OnSaveDocument(PathOf("empty.cmd")));
  EXPECT_EQ(ReadFile(PathOf("empty.cmd")), "\n");

  SetScript({"00 a4;", "", "* end"});
  ASSERT_TRUE(m_pDoc->OnSaveDocument(PathOf("three.cmd")));
  EXPECT_EQ(ReadFile(PathOf("three.cmd")), "00 a4;\n\n* end\n");

  // And it reads back the same.
  ASSERT_TRUE(m_pDoc->OnOpenDocument(PathOf("three.cmd")));
  EXPECT_EQ(m_pDoc->GetLineCount(), 3);
  EXPECT_EQ(m_pDoc->GetLine(2), "* end");

  EXPECT_FALSE(m_pDoc->OnSaveDocument(PathOf("no/such/folder/x.cmd")));
}

TEST_F(Persistence, SettingsSurviveASaveAndARestore) {
  CKeyCrypto crypto;
  CTVRHost::Instance().SetCrypto(&crypto);
  CTVRTestProtocol* pProtocol = RegisterProtocol("RoundTrip");
  const std::string script = WriteFile("round.cmd", "01 01;\r\n01 02;\r\n");

  auto pSaved = NewBoard();
  pSaved->CTVRDocument::SetTitle("Sim7");
  pSaved->m_pProtocol = pProtocol;
  pProtocol->SetStandard(3);
  pSaved->m_bConnected = TRUE;
  pSaved->m_strScriptPath = script;
  pSaved->m_eScriptType = SCRIPT_APDU;
  pSaved->m_byMode = 0x21;
  pSaved->m_bAutoPause = FALSE;
  pSaved->m_bBeepOnError = FALSE;
  pSaved->m_bHexDisplay = FALSE;
  pSaved->m_strLastRegSetting = "regs.par";
  for (int i = 0; i < 5; ++i) pSaved->m_strQuickCommands[i] = "00 0" + std::to_string(i + 1);
  crypto.m_Keys[0] = "k1";
  crypto.m_Keys[1] = "k2";
  crypto.m_Keys[2] = "k3";
  crypto.m_Keys[3] = "k4";
  {
    CTVRRegistry reg(FALSE, FALSE);
    ASSERT_TRUE(reg.CreateKey(Section("round")));
    EXPECT_TRUE(pSaved->SaveState(reg));
  }
  EXPECT_TRUE(pSaved->m_bStateSaved);
  pSaved.reset();
  for (auto& key : crypto.m_Keys) key.clear();
  pProtocol->SetStandard(0);

  auto pRestored = NewBoard();
  CTVRRegistry reg(FALSE, TRUE);
  ASSERT_TRUE(reg.Open(Section("round")));
  EXPECT_TRUE(pRestored->LoadState(reg));
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
  EXPECT_EQ(pRestored->GetTitle(), "Sim7");
  EXPECT_EQ(pRestored->GetCaption(), "Sim7 - [round.cmd]");
  EXPECT_EQ(pRestored->m_pProtocol, pProtocol);
  EXPECT_EQ(pProtocol->m_SetStandardCalls.back(), 3);
  EXPECT_EQ(pRestored->m_nConnectCalls, 1);
  EXPECT_TRUE(pRestored->IsConnected());
  EXPECT_TRUE(pProtocol->GetConnected());
  EXPECT_EQ(pRestored->m_strScriptPath, script);
  EXPECT_EQ(pRestored->GetLineCount(), 2);
  EXPECT_EQ(pRestored->GetScriptType(), SCRIPT_APDU);
  EXPECT_EQ(pRestored->m_byMode, 0x21);
  EXPECT_FALSE(pRestored->m_bAutoPause);
  EXPECT_FALSE(pRestored->m_bBeepOnError);
  EXPECT_FALSE(pRestored->m_bHexDisplay);
  EXPECT_EQ(pRestored->m_strLastRegSetting, "regs.par");
  EXPECT_EQ(pRestored->m_strQuickCommands[4], "00 05");
  EXPECT_EQ(crypto.m_Keys[0], "k1");
  EXPECT_EQ(crypto.m_Keys[3], "k4");
  EXPECT_EQ(pRestored->m_pCrypto, &crypto);
}

TEST_F(Persistence, AMissingSectionGivesTheDefaultsAndSaysSo) {
  CTVRTestProtocol* pVerta = RegisterProtocol("Verta");
  auto pDoc = NewBoard();
  pDoc->m_strLastRegSetting = "old.par";
  CTVRRegistry reg(FALSE, TRUE);
  reg.Open(Section("never-written"));
  EXPECT_TRUE(pDoc->LoadState(reg));
  EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"No document in registry !"});
  EXPECT_EQ(pDoc->GetTitle(), "noname");
  EXPECT_EQ(pDoc->GetCaption(), "noname - [noname]");
  EXPECT_EQ(pDoc->m_strScriptPath, "noname");
  EXPECT_EQ(pDoc->GetLineCount(), 1);
  EXPECT_EQ(pDoc->m_strLastRegSetting, "");
  EXPECT_EQ(pDoc->GetScriptType(), SCRIPT_RAWDATA);
  EXPECT_EQ(pDoc->m_nConnectCalls, 0);
  EXPECT_FALSE(pDoc->IsConnected());
  // The first protocol called "Verta" is the default.
  EXPECT_EQ(pDoc->m_pProtocol, pVerta);
}

TEST_F(Persistence, ValuesReadBeforeTheFirstMissingOneStayAsRead) {
  {
    CTVRRegistry reg(FALSE, FALSE);
    ASSERT_TRUE(reg.CreateKey(Section("partial")));
    reg.Write("Title", "Half");
    reg.Write("Connected", DWORD(0));
    reg.Write("Protocol", "NoSuchProtocol");
    reg.Write("Script", "noname");
    reg.Write("Command", DWORD(1));
    // "Mode" and everything after it are missing.
    reg.Write("Cmd1", "00 01");
  }
  auto pDoc = NewBoard();
  CTVRRegistry reg(FALSE, TRUE);
  reg.Open(Section("partial"));
  EXPECT_TRUE(pDoc->LoadState(reg));
  EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"No document in registry !"});
  EXPECT_EQ(pDoc->GetTitle(), "Half");
  EXPECT_EQ(pDoc->GetScriptType(), SCRIPT_COMMANDS);
  EXPECT_EQ(pDoc->m_strQuickCommands[0], "");
  EXPECT_EQ(pDoc->m_pProtocol, nullptr);
  EXPECT_TRUE(pDoc->m_bAutoPause);

  // A document without protocol stores "none".
  CTVRRegistry out(FALSE, FALSE);
  ASSERT_TRUE(out.CreateKey(Section("partial-saved")));
  EXPECT_TRUE(pDoc->SaveState(out));
  CTVRRegistry in(FALSE, TRUE);
  ASSERT_TRUE(in.Open(Section("partial-saved")));
  std::string protocol;
  DWORD standard = 9;
  EXPECT_TRUE(in.Read("Protocol", protocol));
  EXPECT_TRUE(in.Read("Standard", standard));
  EXPECT_EQ(protocol, "none");
  EXPECT_EQ(standard, 0u);
}

TEST_F(Persistence, AReaderThatCannotReconnectStopsTheRestore) {
  CKeyCrypto crypto;
  CTVRHost::Instance().SetCrypto(&crypto);
  {
    auto pSaved = NewBoard();
    pSaved->m_bConnected = TRUE;
    pSaved->m_strQuickCommands[0] = "00 A4";
    crypto.m_Keys[0] = "secret";
    CTVRRegistry reg(FALSE, FALSE);
    ASSERT_TRUE(reg.CreateKey(Section("refused")));
    ASSERT_TRUE(pSaved->SaveState(reg));
  }
  crypto.m_Keys[0].clear();
  auto pDoc = NewBoard();
  pDoc->m_bConnectResult = FALSE;
  CTVRRegistry reg(FALSE, TRUE);
  reg.Open(Section("refused"));
  EXPECT_FALSE(pDoc->LoadState(reg));
  EXPECT_EQ(pDoc->m_nConnectCalls, 1);
  EXPECT_FALSE(pDoc->IsConnected());
  EXPECT_EQ(pDoc->m_strQuickCommands[0], "");
  EXPECT_EQ(crypto.m_Keys[0], "");
}

TEST_F(Persistence, ASaveStopsAtTheFirstValueThatCannotBeWritten) {
  CTVRRegistry reg(FALSE, TRUE);
  reg.Open(Section("read-only"));
  EXPECT_FALSE(m_pDoc->SaveState(reg));
  // Saved or not, the document no longer asks before closing.
  EXPECT_TRUE(m_pDoc->m_bStateSaved);
}

}  // namespace
