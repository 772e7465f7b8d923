// The Verta framing as the host sees it through the protocol object.
#include <gtest/gtest.h>

#include <vector>

#include "verta_frame.h"
#include "verta_protocol.h"

namespace {

using Bytes = std::vector<BYTE>;

TEST(VertaProtocol, DescribesTheGenericLayoutItsAnswersFollow) {
  CTVRVertaProtocol protocol;
  EXPECT_EQ(protocol.GetName(), "Verta");
  EXPECT_EQ(protocol.GetMenuId(), 180u);
  EXPECT_EQ(protocol.GetHeaderLength(), 3);
  EXPECT_EQ(protocol.GetOpCodeLength(), 1);
  EXPECT_EQ(protocol.GetLRCLength(), 1);
  EXPECT_EQ(protocol.GetProtocolErrorCode(), 0xE0);
  EXPECT_EQ(protocol.GetMaskCode(), VERTA_OP_GET_FIRMWARE);
  EXPECT_EQ(protocol.GetMAXLengthStandardFrame(), 512u);
  EXPECT_EQ(protocol.GetOpcodeSelectCard(), VERTA_OP_SELECT_CARD);
}

TEST(VertaProtocol, CommandPutsOpcodeAtByteThreeAndDataFromByteFour) {
  CTVRVertaProtocol protocol;
  BYTE command[] = {0x20, 0x02};
  BYTE out[16] = {};
  ASSERT_EQ(protocol.Command(out, sizeof out, command, 2), 6u);
  const Bytes frame(out, out + 6);
  EXPECT_EQ(frame, (Bytes{0x40, 0x00, 0x02, 0x20, 0x02, 0x40 ^ 0x02 ^ 0x20 ^ 0x02}));
}

TEST(VertaProtocol, ApduTravelsInsideExchangeApdu) {
  CTVRVertaProtocol protocol;
  BYTE apdu[] = {0x00, 0x84, 0x00, 0x00, 0x08};
  BYTE out[16] = {};
  ASSERT_EQ(protocol.APDU(out, sizeof out, apdu, 5), 10u);
  EXPECT_EQ(Bytes(out, out + 9), (Bytes{0x40, 0x00, 0x06, 0x00, 0x00, 0x84, 0x00, 0x00, 0x08}));
  EXPECT_EQ(out[9], CTVRVertaFrame::Lrc(out, 9));
  // The challenge request of the triple-DES directive, written as a command, is the same frame.
  BYTE command[] = {0x00, 0x00, 0x84, 0x00, 0x00, 0x08};
  BYTE out2[16] = {};
  ASSERT_EQ(protocol.Command(out2, sizeof out2, command, 6), 10u);
  EXPECT_EQ(Bytes(out, out + 10), Bytes(out2, out2 + 10));
}

TEST(VertaProtocol, LengthQueryAndShortBufferWriteNothing) {
  CTVRVertaProtocol protocol;
  BYTE command[] = {0x50, 0x10, 0x04};
  EXPECT_EQ(protocol.Command(nullptr, 0, command, 3), 7u);
  EXPECT_EQ(protocol.APDU(nullptr, 0, command, 3), 8u);

  BYTE out[8];
  std::fill(std::begin(out), std::end(out), 0xCC);
  EXPECT_EQ(protocol.Command(out, 6, command, 3), 7u);
  for (BYTE b : out) EXPECT_EQ(b, 0xCC);

  // Exactly the frame's length is enough, and nothing beyond it is touched.
  EXPECT_EQ(protocol.Command(out, 7, command, 3), 7u);
  EXPECT_EQ(out[0], 0x40);
  EXPECT_EQ(out[7], 0xCC);
}

TEST(VertaProtocol, NothingToSendForEmptyOrOversizedInput) {
  CTVRVertaProtocol protocol;
  BYTE out[600];
  EXPECT_EQ(protocol.Command(out, sizeof out, nullptr, 0), 0u);
  EXPECT_EQ(protocol.APDU(out, sizeof out, nullptr, 0), 0u);

  std::vector<BYTE> big(CTVRVertaFrame::MAX_DATA_LENGTH + 1, 0x11);
  // An opcode and the largest data still fit; one byte more does not.
  EXPECT_EQ(protocol.Command(out, sizeof out, big.data(), DWORD(big.size())), 512u);
  big.push_back(0x22);
  EXPECT_EQ(protocol.Command(out, sizeof out, big.data(), DWORD(big.size())), 0u);
  EXPECT_EQ(protocol.APDU(out, sizeof out, big.data(), DWORD(CTVRVertaFrame::MAX_DATA_LENGTH)), 512u);
  EXPECT_EQ(protocol.APDU(out, sizeof out, big.data(), DWORD(CTVRVertaFrame::MAX_DATA_LENGTH + 1)), 0u);
}

TEST(VertaProtocol, LengthFieldIsBigEndianForLongFrames) {
  std::vector<BYTE> data(300, 0xA5);
  const Bytes frame = CTVRVertaFrame::Make(VERTA_FRAME_COMMAND, 0x40, data);
  ASSERT_EQ(frame.size(), 305u);
  EXPECT_EQ(frame[1], 0x01);
  EXPECT_EQ(frame[2], 0x2D);  // 301 = opcode and 300 data bytes
  EXPECT_EQ(frame.back(), CTVRVertaFrame::Lrc(frame.data(), frame.size() - 1));
}

TEST(VertaProtocol, CardSelectionStateStartsOnCardOne) {
  CTVRVertaProtocol protocol;
  EXPECT_EQ(protocol.GetSelectCard(), 1);
  EXPECT_EQ(protocol.GetOldSelectCard(), 1);
  protocol.SetOldSelectCard(protocol.GetSelectCard());
  protocol.SetSelectCard(4);
  EXPECT_EQ(protocol.GetSelectCard(), 4);
  EXPECT_EQ(protocol.GetOldSelectCard(), 1);
  protocol.SetStandard(2);
  EXPECT_EQ(protocol.GetStandard(), 2);
}

TEST(VertaProtocol, LoopbackTestPassesOnlyOnTheExactEcho) {
  CTVRVertaProtocol protocol;
  const std::vector<BYTE> pattern = CTVRVertaProtocol::GetLoopbackPattern();
  Bytes echo = CTVRVertaFrame::Make(VERTA_FRAME_ANSWER, VERTA_OP_LOOPBACK, pattern);

  // Not running: nothing to judge.
  EXPECT_EQ(protocol.LpbGie(echo.data(), DWORD(echo.size())), 0);

  protocol.SetLpbActivated(1);
  EXPECT_EQ(protocol.LpbGie(echo.data(), DWORD(echo.size())), 1);
  EXPECT_EQ(protocol.GetLpbActivated(), 0);  // one exchange is the whole test

  Bytes mangled = echo;
  mangled[10] ^= 0x01;
  protocol.SetLpbActivated(1);
  EXPECT_EQ(protocol.LpbGie(mangled.data(), DWORD(mangled.size())), 0);
  EXPECT_EQ(protocol.GetLpbActivated(), 0);

  protocol.SetLpbActivated(1);
  EXPECT_EQ(protocol.LpbGie(echo.data(), DWORD(echo.size() - 1)), 0);

  BYTE error[] = {0xE0, 0x00, 0x02, 0x40, 0x01, 0xE0 ^ 0x02 ^ 0x40 ^ 0x01};
  EXPECT_EQ(protocol.GetErrorLpb(error, sizeof error), 1);
  EXPECT_EQ(protocol.GetErrorLpb(echo.data(), DWORD(echo.size())), 0);
  EXPECT_EQ(protocol.GetErrorLpb(nullptr, 0), 0);
}

TEST(VertaProtocol, MenuOffersReaderCommandsAndTheSixCards) {
  const CTVRMenu menu = CTVRVertaProtocol::GetMenu();
  ASSERT_EQ(menu.size(), 1u);
  ASSERT_TRUE(menu[0].IsPopup());
  const CTVRMenuItem& selectCard = menu[0].m_children.back();
  ASSERT_EQ(selectCard.m_children.size(), 6u);
  EXPECT_EQ(selectCard.m_children[5].m_nID, ID_VERTA_SELECT_CARD_1 + 5);

  CTVRVertaProtocol protocol;
  CTVRCmdUI ui(ID_VERTA_SELECT_CARD_1 + 2);
  protocol.SetSelectCard(3);
  EXPECT_TRUE(protocol.DoUpdate(ui));
  EXPECT_EQ(ui.m_nCheck, 1);
  EXPECT_FALSE(ui.m_bEnabled);  // not connected
  protocol.SetConnected(TRUE);
  CTVRCmdUI reset(ID_VERTA_RESET_CARD);
  EXPECT_TRUE(protocol.DoUpdate(reset));
  EXPECT_TRUE(reset.m_bEnabled);
}

}  // namespace
