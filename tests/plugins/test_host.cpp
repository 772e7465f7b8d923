// The host's own state and the neutral plug-in base classes.
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <QCoreApplication>

#include <tavric/board_doc.h>
#include <tavric/crypto.h>
#include <tavric/loopback.h>
#include <tavric/messages.h>
#include <tavric/plugin.h>
#include <tavric/protocol.h>

#include "contract/host.h"

namespace {
class CTVRBareBoard : public CTVRBoardDoc {};
}  // namespace

TEST(ActiveBoard, IsTheActiveDocumentsWindowAndNullWithoutOne) {
  CTVRHost& host = CTVRHost::Instance();
  host.SetActiveDocument(nullptr);
  EXPECT_EQ(GetActiveBoard(), 0u);
  EXPECT_FALSE(PostMessage(GetActiveBoard(), WM_END_COMMAND, 0, 0));
  EXPECT_EQ(SendMessage(GetActiveBoard(), WM_END_COMMAND, 0, 0), 0);

  auto pDoc = std::make_unique<CTVRBareBoard>();
  host.SetActiveDocument(pDoc.get());
  EXPECT_NE(GetActiveBoard(), 0u);
  EXPECT_EQ(GetActiveBoard(), pDoc->GetDummyWindow()->GetSafeHwnd());

  // Another document going away leaves the active one alone.
  { CTVRBareBoard other; }
  EXPECT_EQ(host.GetActiveDocument(), pDoc.get());

  pDoc.reset();
  EXPECT_EQ(host.GetActiveDocument(), nullptr);
  EXPECT_EQ(GetActiveBoard(), 0u);
}

TEST(Host, ProgramFolderIsTheExecutablesUnlessSet) {
  CTVRHost& host = CTVRHost::Instance();
  const std::string saved = host.GetProgramFolder();
  EXPECT_EQ(saved, QCoreApplication::applicationDirPath().toStdString());
  host.SetProgramFolder("/tmp/elsewhere");
  EXPECT_EQ(host.GetProgramFolder(), "/tmp/elsewhere");
  host.SetProgramFolder(saved);
}

TEST(Host, RegistrationIgnoresNullsAndTheLastCryptoWins) {
  CTVRHost& host = CTVRHost::Instance();
  const std::size_t nTemplates = host.GetTemplates().size();
  const std::size_t nProtocols = host.GetProtocols().size();
  CTVRCrypto* pSaved = host.GetCrypto();
  AddBoardType(nullptr, 1);
  AddProtocol(nullptr);
  EXPECT_EQ(host.GetTemplates().size(), nTemplates);
  EXPECT_EQ(host.GetProtocols().size(), nProtocols);

  CTVRCrypto first;
  CTVRCrypto second;
  AddCrypto(&first);
  AddCrypto(&second);
  EXPECT_EQ(host.GetCrypto(), &second);
  host.SetCrypto(pSaved);
}

TEST(Bases, AFreshProtocolIsNeutral) {
  CTVRProtocol protocol;
  EXPECT_EQ(protocol.GetName(), "unknown protocol");
  EXPECT_EQ(protocol.GetMenuId(), 0u);
  EXPECT_EQ(protocol.GetMaskCode(), 0);
  EXPECT_EQ(protocol.GetConnected(), 0);
  EXPECT_EQ(protocol.GetHeaderLength(), 0);
  EXPECT_EQ(protocol.GetLRCLength(), 0);
  EXPECT_EQ(protocol.GetOpCodeLength(), 0);
  EXPECT_EQ(protocol.GetProtocolErrorCode(), 0);
  EXPECT_EQ(protocol.GetMAXLengthStandardFrame(), 0u);
  EXPECT_STREQ(protocol.GetRuntimeClass()->m_lpszClassName, "CTVRProtocol");
  EXPECT_EQ(protocol.GetRuntimeClass()->CreateObject(), nullptr);

  BYTE bytes[4] = {1, 2, 3, 4};
  BYTE out[16] = {};
  EXPECT_EQ(protocol.Command(out, sizeof(out), bytes, 4), 0u);
  EXPECT_EQ(protocol.APDU(nullptr, 0, bytes, 4), 0u);
  EXPECT_EQ(out[0], 0);                       // nothing written
  EXPECT_EQ(protocol.GetOldSelectCard(), 1);  // card 1, not 0
  protocol.SetSelectCard(3);
  EXPECT_EQ(protocol.GetSelectCard(), 0);
  protocol.SetStandard(2);
  EXPECT_EQ(protocol.GetStandard(), 0);
  EXPECT_EQ(protocol.GetMsgCode(bytes, 4, 1), 0);
  EXPECT_EQ(protocol.GetExtraMsgCode(bytes, 4, 0), 0);
  EXPECT_EQ(protocol.GetLpbActivated(), 0);
  EXPECT_EQ(protocol.LpbGie(bytes, 4), 0);
  EXPECT_EQ(protocol.GetErrorLpb(bytes, 4), 0);
  protocol.SetConnected(1);
  EXPECT_EQ(protocol.GetConnected(), 1);
  // Without a routed handler the protocol handles no command.
  EXPECT_FALSE(protocol.DoCommand(33800));
}

TEST(Bases, AFreshCryptoIsNeutral) {
  CTVRCrypto crypto;
  EXPECT_EQ(crypto.m_strName, "unknown cyphering");
  EXPECT_EQ(crypto.m_nPlugin, 0);
  EXPECT_EQ(crypto.m_bAuthenticationPending, 0);
  EXPECT_EQ(crypto.m_bChallengeReceived, 0);
  EXPECT_EQ(crypto.GetCryptoActivated(), 0);
  crypto.SetCypheringKey("00112233");
  crypto.Set3DecypheringKey("44556677");
  EXPECT_EQ(crypto.GetCypheringKey(), "");
  EXPECT_EQ(crypto.GetDecypheringKey(), "");
  EXPECT_EQ(crypto.Get3CypheringKey(), "");
  EXPECT_EQ(crypto.Get3DecypheringKey(), "");
  BYTE data[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  DWORD length = 8;
  crypto.TripleDes(data, length);
  EXPECT_EQ(length, 8u);
  EXPECT_EQ(data[0], 9);
  EXPECT_STREQ(crypto.GetRuntimeClass()->m_lpszClassName, "CTVRCrypto");
}

TEST(Bases, LoopbackIsCreatableByItsClassInformation) {
  const CTVRRuntimeClass* pClass = TVR_RUNTIME_CLASS(CTVRLoopback);
  EXPECT_STREQ(pClass->m_lpszClassName, "CTVRLoopback");
  CTVRCmdTarget* pObject = pClass->CreateObject();
  ASSERT_NE(pObject, nullptr);
  EXPECT_EQ(pObject->GetRuntimeClass(), pClass);
  delete pObject;  // through the command target's public virtual destructor
}
