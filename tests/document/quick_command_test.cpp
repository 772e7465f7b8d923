// The five quick commands: their bytes, their enable rules and the one-off
// sending (the Command Setting dialog's OK and Cancel: tests/shell).
#include <tuple>

#include <tavric/messages.h>

#include "doc_fixture.h"
#include "document/board_doc_private.h"
#include "document/quick_command.h"

namespace {

using Bytes = std::vector<BYTE>;

// (A token's leading digits, with or without 0x: HexText.LenientReadingsTakeTheLeadingDigits.)
TEST(QuickCommandBytes, EachWhiteSpaceSeparatedTokenGivesItsLowByte) {
  const std::vector<std::pair<std::string, Bytes>> cases = {
      {"00 A4 04 00 02 3F 00", {0x00, 0xA4, 0x04, 0x00, 0x02, 0x3F, 0x00}},
      {"00A4", {0xA4}},
      {"  01\t02 ", {0x01, 0x02}},
      {"ZZ 7", {0x00, 0x07}},
      {"", {}},
      {"   ", {}},
  };
  for (const auto& [text, bytes] : cases) EXPECT_EQ(CTVRQuickCommand::ToBytes(text), bytes) << '"' << text << '"';

  std::string long_text;
  for (int i = 0; i < 310; ++i) long_text += "AB ";
  EXPECT_EQ(CTVRQuickCommand::ToBytes(long_text), Bytes(300, 0xAB));
}

class QuickCommands : public CTVRDocFixture {
 protected:
  BOOL Enabled(UINT id) {
    CTVRCmdUI ui(id);
    m_pDoc->DoUpdate(ui);
    return ui.m_bEnabled;
  }
};

// Offered when connected, with two characters at least; sent as a one-off
// command whatever the script holds; an empty one says so.
TEST_F(QuickCommands, ACommandIsOfferedAndSentAsAOneOffCommandAndAnEmptyOneSaysSo) {
  CTVRBoardDocPrivate::Of(*m_pDoc).SetQuickCommand(0, "00 A4 04 00 02 3F 00");
  CTVRBoardDocPrivate::Of(*m_pDoc).SetQuickCommand(2, "00");
  CTVRBoardDocPrivate::Of(*m_pDoc).SetQuickCommand(3, "0");
  EXPECT_FALSE(Enabled(ID_CMD3)) << "not connected";
  MarkConnected();
  const std::vector<std::pair<UINT, BOOL>> expected = {{ID_CMD1, TRUE},  {ID_CMD2, FALSE}, {ID_CMD3, TRUE},
                                                       {ID_CMD4, FALSE}, {ID_CMD5, FALSE}, {ID_CMD_SETTING, TRUE}};
  for (const auto& [id, enabled] : expected) EXPECT_EQ(Enabled(id), enabled) << id;

  CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = SCRIPT_RAWDATA;
  EXPECT_TRUE(m_pDoc->DoCommand(ID_CMD1));
  // The test protocol's command frame: 6F, length, the bytes, XOR checksum.
  ASSERT_EQ(m_pDoc->m_Sent, (std::vector<Bytes>{{0x6F, 0x00, 0x07, 0x00, 0xA4, 0x04, 0x00, 0x02, 0x3F, 0x00, 0xF5}}));
  EXPECT_EQ(m_pDoc->m_SentCommandKinds, std::vector<DWORD>{1});
  m_pDoc->DoCommand(ID_CMD5);
  EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"Error : Command 5 unvalid !"});
  EXPECT_EQ(m_pDoc->m_Sent.size(), 1u);
}

TEST_F(QuickCommands, ACommandDuringARunEndsTheRunAndLeavesTheScriptWhereItWas) {
  MarkConnected();
  CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = SCRIPT_COMMANDS;
  SetScript({"01 01;", "01 02;"});
  CTVRBoardDocPrivate::Of(*m_pDoc).SetQuickCommand(1, "05 06");
  CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStart();
  ASSERT_TRUE(m_pDoc->IsRunning());
  m_pDoc->DoCommand(ID_CMD2);
  EXPECT_EQ(m_pDoc->m_SentCommandKinds, (std::vector<DWORD>{0, 1}));

  const Bytes answer = MakeAnswerFrame(0x60, 0x05);
  PostAnswer(Window(), answer.data(), DWORD(answer.size()));
  RunQueue();
  EXPECT_FALSE(m_pDoc->IsRunning());
  EXPECT_EQ(m_pDoc->m_Sent.size(), 2u) << "the second statement is not sent";
  EXPECT_TRUE(CTVRBoardDocPrivate::Of(*m_pDoc).GetLineState(0) & LINE_NEXT);
  EXPECT_EQ(m_pDoc->GetCommandType(), 0u);
}

}  // namespace
