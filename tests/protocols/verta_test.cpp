// The Verta protocol against the simulated reader where a script cannot go:
// answers posted, never delivered inside a send; the host's protocol-side
// toolbar commands with their frames and states; the loopback tests of the
// menu; the triple-DES exchange an error answer ends, and the deciphered
// stream (the exchange that authenticates is the golden example triple_des,
// the loopback runs the examples loopback, loopback_emv and loopback_error).
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <tavric/messages.h>

#include "document/board_doc_private.h"
#include "protocol_run_fixture.h"
#include "triple_des_crypto.h"
#include "verta_frame.h"
#include "verta_protocol.h"

namespace {

using Bytes = std::vector<BYTE>;
using Strings = std::vector<std::string>;

class VertaRun : public CTVRProtocolRunFixture {
 protected:
  void SetUp() override {
    Open(m_Protocol);
    CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = SCRIPT_COMMANDS;
  }
  Strings Records(int kind) const { return tvr_test::TraceTexts(*m_pDoc, kind, m_nFirstRecord); }

  CTVRVertaProtocol m_Protocol;
};

TEST_F(VertaRun, AnswersArePostedNeverDeliveredInsideSend) {
  Bytes command{VERTA_OP_GET_FIRMWARE};
  CTVRBoardDocPrivate::Of(*m_pDoc).SendData(command.data(), DWORD(command.size()), SCRIPT_COMMANDS);
  EXPECT_TRUE(Received().empty());
  RunQueue();
  ASSERT_EQ(Received().size(), 1u);
  EXPECT_EQ(Received()[0][3], VERTA_OP_GET_FIRMWARE);
}

using VertaLoopback = VertaRun;

TEST_F(VertaLoopback, GieAndEmvRunsFromTheMenuAndAnErrorAnswerEndsThem) {
  const std::string testOk = "LOOPBACK : TEST OK\r\n\r\n";
  m_pDoc->OnCmdMsg(ID_VERTA_LOOPBACK_TEST, 0, nullptr, nullptr);
  RunQueue();
  EXPECT_EQ(Texts().back(), testOk);
  m_nFirstRecord = CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().GetCount();
  m_pDoc->OnCmdMsg(ID_VERTA_LOOPBACK_EMV, 0, nullptr, nullptr);
  RunQueue();
  EXPECT_EQ(Texts(), (Strings{"PC -> IFD : LOOPBACK", "IFD -> PC : LOOPBACK EXECUTED", testOk}));
  EXPECT_EQ(m_Prompts.m_Beeps, (std::vector<UINT>{10, 10}));

  // A checksum error answer: the error steps end the test at once.
  m_nFirstRecord = CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().GetCount();
  m_pDoc->Escape(4, nullptr, 0);
  RunQueue();
  m_pDoc->OnCmdMsg(ID_VERTA_LOOPBACK_EMV, 0, nullptr, nullptr);
  RunQueue();
  EXPECT_EQ(Texts().back(), "IFD -> PC : ERROR 0x01 : CHECKSUM ERROR");
  EXPECT_EQ(m_Protocol.GetLpbActivated(), 0);
  EXPECT_EQ(m_Prompts.m_Beeps.size(), 2u);
}

// The triple-DES exchange of ".3des(" end to end: the real cyphering object
// and the simulated card, whose key is 40 41 ... 4F.
class TripleDesExchange : public VertaRun {
 protected:
  void Use() { CTVRBoardDocPrivate::Of(*m_pDoc).m_pCrypto = &m_Crypto; }
  CTVRTripleDesCrypto m_Crypto;
};

TEST_F(TripleDesExchange, AnErrorAnswerEndsTheExchangeAndResetsTheCyphering) {
  // Card 2 is empty: the reader answers the challenge request with an error,
  // and the run goes on to its end (the trace: the scenario case
  // verta_3des_no_card); nothing of the exchange is left pending.
  Use();
  Run({"20 02;", ".3des(08,10,404142434445464748494A4B4C4D4E4F);", "30;"});
  EXPECT_FALSE(m_Crypto.IsExchangePending() || m_Crypto.IsChallengeReceived());

  // While deciphering is on, answers form one CBC stream (each deciphered
  // from the block before), and an error answer starts it again from zero.
  m_Crypto.SetCryptoActivated(1);
  m_Crypto.Set3DecypheringKey("00112233445566778899AABBCCDDEEFF");
  Open(m_Protocol);
  Use();
  const std::string readEight = "00 00 B0 00 00 08;";  // the bytes 00 to 07 of file 0001
  Run({"20 01;", "10;", "00 00 A4 00 0C 02 00 01;", readEight, readEight, "20 02;", "10;", "20 01;", readEight});
  EXPECT_EQ(Records(TRACE_COMMENT), (Strings{
                                        "DECIPHERED DATA : 13 bytes, not whole blocks of 8\r\n",  // the ATR
                                        "DECIPHERED DATA : 75 C8 D7 9E 36 90 8A F1\r\n",
                                        "DECIPHERED DATA : 75 C9 D5 9D 32 95 8C F6\r\n",
                                        // the reset of the empty slot 2 fails: the stream starts again
                                        "DECIPHERED DATA : 75 C8 D7 9E 36 90 8A F1\r\n",
                                    }));
}

// The Verta protocol gives the host's protocol-side toolbar commands their
// frames and their enabled and checked states, through the document's route.
class VertaHostCommands : public VertaRun {
 protected:
  static constexpr std::pair<BOOL, int> kChecked{TRUE, 1}, kUnchecked{TRUE, 0};
  std::pair<BOOL, int> State(UINT id) {
    CTVRCmdUI ui(id);
    m_pDoc->DoUpdate(ui);
    return {ui.m_bEnabled, ui.m_nCheck};
  }
  // The opcode and data bytes of the last frame sent.
  Bytes LastSent() {
    const Strings sent = Records(TRACE_SENT);
    if (sent.empty()) return {};
    const std::string& frame = sent.back();
    return frame.size() > 4 ? Bytes(frame.begin() + 3, frame.end() - 1) : Bytes{};
  }
  void Click(UINT id) {
    EXPECT_TRUE(m_pDoc->DoCommand(id)) << id;
    RunQueue();
  }
};

TEST_F(VertaHostCommands, CardPowerAndMaskCommandsSendOneOffFrames) {
  EXPECT_EQ(State(36011), kChecked);
  Click(36013);
  EXPECT_EQ(LastSent(), (Bytes{0x20, 0x03}));
  EXPECT_EQ(std::make_tuple(State(36011), State(36013)), std::make_tuple(kUnchecked, kChecked));

  Click(35016);
  EXPECT_EQ(LastSent(), Bytes{0x10});
  EXPECT_EQ(std::make_tuple(State(35015), State(35016)), std::make_tuple(kUnchecked, kChecked));
  Click(35017);
  EXPECT_EQ(LastSent(), Bytes{0x11});
  EXPECT_EQ(State(35016), kUnchecked) << "powered off";
  Click(35002);
  EXPECT_EQ(LastSent(), Bytes{0x30});
  EXPECT_EQ(Records(TRACE_SENT).size(), 4u);
  EXPECT_FALSE(m_pDoc->IsRunning());

  CTVRBoardDocPrivate::Of(*m_pDoc).OnReaderDisconnect();
  for (UINT id : {36011u, 35015u, 35017u, 35002u, 32783u}) EXPECT_FALSE(State(id).first) << id;
}

TEST_F(VertaHostCommands, StandardsAndModesAreCheckedChoicesAndTheEmvLoopbackIsGreyed) {
  Click(35001);
  EXPECT_EQ(m_Protocol.GetStandard(), 1);
  EXPECT_EQ(std::make_tuple(State(35000), State(35001)), std::make_tuple(kUnchecked, kChecked));
  Click(32777);
  EXPECT_EQ(m_Protocol.GetMode(), 2);
  EXPECT_EQ(State(32777), kChecked);
  EXPECT_TRUE(Records(TRACE_SENT).empty()) << "choices send nothing";

  EXPECT_FALSE(State(32784).first);
  Click(32783);
  EXPECT_EQ(LastSent().front(), 0x40);
}

}  // namespace
