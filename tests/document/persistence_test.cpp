// The settings a document keeps in the registry (its script file, and a missing
// section: tests/workspace).
#include <fstream>
#include <tuple>

#include <tavric/crypto.h>
#include <tavric/registry.h>

#include "doc_fixture.h"
#include "document/board_doc_private.h"
#include "document/line_store.h"
#include "temp_folder.h"

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
  std::vector<std::string> m_Keys = std::vector<std::string>(4);
};

class Persistence : public CTVRDocFixture {
 protected:
  std::string PathOf(const std::string& name) { return m_Folder.PathOf(name); }
  static std::string Section(const std::string& name) { return CTVRRegistry::GetRegSectionPath("DocTest\\" + name); }

  tvr_test::CTempFolder m_Folder;
};

TEST_F(Persistence, SettingsSurviveASaveAndARestore) {
  CKeyCrypto crypto;
  m_Context.Host().SetCrypto(&crypto);
  auto* pProtocol = new CTVRTestProtocol;
  pProtocol->SetName("RoundTrip" + std::to_string(m_Context.Host().GetProtocols().size()));  // unique
  pProtocol->SetAnswerLayout(ANSWER_MESSAGE_CODE);  // no description files to load
  m_Context.Host().AddProtocol(pProtocol);
  const std::string script = PathOf("round.cmd");
  std::ofstream(script, std::ios::binary) << "01 01;\r\n01 02;\r\n";
  auto settings = [&](CTVRTestBoard& doc) {
    return std::make_tuple(CTVRBoardDocPrivate::Of(doc).GetCaption(), CTVRBoardDocPrivate::Of(doc).m_pProtocol,
                           pProtocol->GetStandard(), CTVRBoardDocPrivate::Of(doc).GetLineCount(), doc.GetScriptType(),
                           CTVRBoardDocPrivate::Of(doc).m_byMode, CTVRBoardDocPrivate::Of(doc).m_bAutoPause,
                           CTVRBoardDocPrivate::Of(doc).m_bBeepOnError, CTVRBoardDocPrivate::Of(doc).IsHexDisplay(),
                           CTVRBoardDocPrivate::Of(doc).GetLastRegSetting(),
                           CTVRBoardDocPrivate::Of(doc).GetQuickCommands(), crypto.m_Keys, doc.IsGetResponseOn());
  };

  auto pSaved = NewBoard();
  pSaved->CTVRDocument::SetTitle("Sim7");
  CTVRBoardDocPrivate::Of(*pSaved).m_pProtocol = pProtocol;
  pProtocol->SetStandard(3);
  CTVRBoardDocPrivate::Of(*pSaved).m_bConnected = TRUE;
  ASSERT_TRUE(CTVRBoardDocPrivate::Of(*pSaved).OnOpenDocument(script));
  CTVRBoardDocPrivate::Of(*pSaved).m_eScriptType = SCRIPT_APDU;
  CTVRBoardDocPrivate::Of(*pSaved).m_byMode = 0x21;
  CTVRBoardDocPrivate::Of(*pSaved).m_bAutoPause = FALSE;
  CTVRBoardDocPrivate::Of(*pSaved).SetHexDisplay(FALSE);
  CTVRBoardDocPrivate::Of(*pSaved).SetLastRegSetting("regs.par");
  CTVRBoardDocPrivate::Of(*pSaved).m_bGetResponse = TRUE;
  for (int i = 0; i < 5; ++i) CTVRBoardDocPrivate::Of(*pSaved).SetQuickCommand(i, "00 0" + std::to_string(i + 1));
  crypto.m_Keys = {"k1", "k2", "k3", "k4"};
  const auto saved = settings(*pSaved);
  {
    CTVRRegistry reg(FALSE, FALSE);
    ASSERT_TRUE(reg.CreateKey(Section("round")));
    EXPECT_TRUE(pSaved->SaveState(reg));
  }
  pSaved.reset();
  crypto.m_Keys = std::vector<std::string>(4);
  pProtocol->SetStandard(0);

  auto pRestored = NewBoard();
  CTVRRegistry reg(FALSE, TRUE);
  ASSERT_TRUE(reg.Open(Section("round")));
  EXPECT_TRUE(pRestored->LoadState(reg));
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
  EXPECT_EQ(settings(*pRestored), saved);
  EXPECT_EQ(pRestored->m_nConnectCalls, 1);
  EXPECT_TRUE(pProtocol->GetConnected());
}

}  // namespace
