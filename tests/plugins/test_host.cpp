// The host's active board and the neutral plug-in base classes.
#include <memory>

#include <gtest/gtest.h>

#include <tavric/board_doc.h>
#include <tavric/crypto.h>
#include <tavric/messages.h>
#include <tavric/plugin.h>
#include <tavric/protocol.h>

#include "contract/host.h"
#include "document/board_doc_private.h"
#include "test_context.h"

TEST(ActiveBoard, IsTheInstalledContextsActiveDocumentsWindowAndNullWithoutOne) {
  EXPECT_EQ(GetActiveBoard(), 0u) << "no context installed";
  CTVRTestContext context;
  CTVRHost& host = context.Host();
  EXPECT_EQ(GetActiveBoard(), 0u);
  EXPECT_FALSE(PostMessage(GetActiveBoard(), WM_END_COMMAND, 0, 0));
  EXPECT_EQ(SendMessage(GetActiveBoard(), WM_END_COMMAND, 0, 0), 0);

  auto pDoc = std::make_unique<CTVRBoardDoc>();
  CTVRBoardDocPrivate::Of(*pDoc).SetHostContext(&context);
  host.SetActiveDocument(pDoc.get());
  EXPECT_EQ(GetActiveBoard(), pDoc->GetDummyWindow()->GetSafeHwnd());
  {
    CTVRBoardDoc other;  // another document going away leaves the active one alone
    CTVRBoardDocPrivate::Of(other).SetHostContext(&context);
  }
  EXPECT_EQ(host.GetActiveDocument(), pDoc.get());
  {
    // A second context installed over the first answers for itself, and
    // the first one is back once it goes.
    CTVRTestContext inner;
    EXPECT_EQ(GetActiveBoard(), 0u);
  }
  EXPECT_EQ(GetActiveBoard(), pDoc->GetDummyWindow()->GetSafeHwnd());
  pDoc.reset();
  EXPECT_EQ(GetActiveBoard(), 0u);
}

TEST(Bases, AFreshProtocolAndCypheringAreNeutral) {
  CTVRProtocol protocol;
  EXPECT_EQ(protocol.GetName(), "unknown protocol");
  EXPECT_EQ(protocol.GetOldSelectCard(), 1);  // card 1, not 0
  BYTE bytes[4] = {1, 2, 3, 4};
  BYTE out[16] = {};
  EXPECT_EQ(protocol.Command(out, sizeof(out), bytes, 4), 0u);
  EXPECT_EQ(protocol.APDU(out, sizeof(out), bytes, 4), 0u);
  EXPECT_EQ(out[0], 0) << "nothing written";
  EXPECT_FALSE(protocol.DoCommand(33800)) << "without a routed handler no command is handled";

  CTVRCrypto crypto;
  EXPECT_EQ(crypto.m_strName, "unknown cyphering");
  crypto.SetCypheringKey("00112233");
  EXPECT_EQ(crypto.GetCypheringKey(), "");
  DWORD length = 4;
  crypto.TripleDes(bytes, length);
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(bytes[0], 1);
}
