// Frame preparation and sending: framing by type, the name record of each
// protocol family, card selection and the expected opcode, and frames too
// short for the positions their naming rule reads. A command named from its
// own frame in each family is in the golden examples (hello, pcsc, kiro, ccid).
#include <tavric/trace_record.h>

#include "doc_fixture.h"
#include "document/board_doc_private.h"
#include "document/run_controller.h"
#include "temp_folder.h"
#include "trace/trace_log.h"
#include "trace_reader.h"

namespace {

using Record = std::pair<int, std::string>;  // kind and text

class SendData : public CTVRDocFixture {
 protected:
  BOOL Send(std::vector<BYTE> bytes, EScriptType type) {
    return CTVRBoardDocPrivate::Of(*m_pDoc).SendData(bytes.data(), DWORD(bytes.size()), type);
  }
  std::vector<Record> Records() { return tvr_test::TraceRecords(*m_pDoc); }
};

TEST_F(SendData, RawDataGoesOutUnchangedWithOnlyTheBytesRecordAndFreeReception) {
  const std::vector<BYTE> bytes{0x00, 0x20, 0x02, 0x00, 0x05};
  EXPECT_TRUE(Send(bytes, SCRIPT_RAWDATA));
  EXPECT_EQ(m_pDoc->m_Sent, std::vector<std::vector<BYTE>>{bytes});
  EXPECT_EQ(Records(), std::vector<Record>{Record(TRACE_SENT, std::string(bytes.begin(), bytes.end()))});
  EXPECT_TRUE(CTVRBoardDocPrivate::Of(*m_pDoc).m_DelayOptions.m_bFreeReception);
  EXPECT_TRUE(m_Protocol.m_SetSelectCardCalls.empty()) << "byte 3 of a raw frame is no select-card opcode";
  // Longer than the frame buffer on the stack.
  const std::vector<BYTE> big(2000, 0x5A);
  Send(big, SCRIPT_RAWDATA);
  EXPECT_EQ(m_pDoc->m_Sent.back(), big);
}

TEST_F(SendData, ACardSelectionSelectsTheCardAndOnlyAScriptStatementKeepsTheOldOne) {
  CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = SCRIPT_COMMANDS;
  m_Protocol.SetSelectCard(3);
  Send({0x20, 0x02}, SCRIPT_COMMANDS);  // a statement of the script: command kind 0
  EXPECT_EQ(m_Context.Host().GetCardSlots().GetShownSlot(), 1);
  CTVRBoardDocPrivate::Of(*m_pDoc).GetRunController().OnCommandType(1);  // a one-off command
  Send({0x20, 0x04}, SCRIPT_COMMANDS);
  EXPECT_EQ(m_Context.Host().GetCardSlots().GetShownSlot(), 3);
  EXPECT_EQ(m_Protocol.m_SetOldSelectCardCalls, std::vector<BYTE>{3});
  EXPECT_EQ(m_Protocol.m_SetSelectCardCalls, (std::vector<BYTE>{3, 2, 4}));
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetExpectedOpcode(), 0x20);
}

TEST_F(SendData, EachProtocolFamilyNamesTheCommandFromItsOwnBytesUnlessTheTraceIsOff) {
  const tvr_test::CTempFolder folder;
  m_Protocol.CmdTable().LoadPath(
      folder.Write("cmd.txt", "62-01 GET STATUS\r\n63\r\nD4-40 EXCHANGE\r\n80-01 POWER ON\r\n"));
  m_Protocol.ErrorTable().LoadPath(folder.Write("err.txt", "00 NO ERROR TEXT\r\n"));
  // The message-code family's code is the first two bytes given, before framing.
  m_Protocol.SetMsgCode([](const BYTE* b, DWORD n, int isCommand) {
    return isCommand == 1 && n >= 2 ? WORD(b[0] << 8 | b[1]) : WORD(0xFFFF);
  });
  m_Protocol.SetMAXLengthStandardFrame(8);
  const std::string unknown = " UNKNOWN COMMAND";
  struct Case {
    ETVRAnswerLayout family;
    EScriptType script, sent;
    std::vector<BYTE> bytes;
    std::string name;  // "" for no name record
    BYTE opcode;       // 0x42: left as it was
  } cases[] = {
      {ANSWER_GENERIC, SCRIPT_COMMANDS, SCRIPT_COMMANDS, {0x09, 0x00}, unknown, 0x09},
      {ANSWER_GENERIC, SCRIPT_RAWDATA, SCRIPT_COMMANDS, {0x01, 0x07}, "", 0x01},
      {ANSWER_GENERIC, SCRIPT_COMMANDS, SCRIPT_RAWDATA, {0x6F, 0x00, 0x20}, unknown, 0x42},
      {ANSWER_PCSC, SCRIPT_RAWDATA, SCRIPT_RAWDATA, {0x62, 0x01}, " GET STATUS", 0x42},
      {ANSWER_PCSC, SCRIPT_RAWDATA, SCRIPT_RAWDATA, {0x63, 0x00}, unknown, 0x42},
      {ANSWER_PCSC, SCRIPT_RAWDATA, SCRIPT_RAWDATA, {0x01}, unknown, 0x42},
      {ANSWER_KIRO,
       SCRIPT_COMMANDS,
       SCRIPT_RAWDATA,
       {0, 0, 0xFF, 0xFF, 0xFF, 0, 2, 0xFE, 0xD4, 0x40, 0xEC},
       " EXCHANGE",
       0xD4},
      {ANSWER_KIRO, SCRIPT_COMMANDS, SCRIPT_RAWDATA, {0, 0, 0xFF, 1, 0xFF, 0xD4}, unknown, 0x42},
      {ANSWER_CCID, SCRIPT_RAWDATA, SCRIPT_COMMANDS, {0x00, 0x00}, " NO ERROR TEXT", 0x42},
      {ANSWER_CCID, SCRIPT_RAWDATA, SCRIPT_COMMANDS, {0x80, 0x02}, unknown, 0x42},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.family) << " " << c.name);
    m_Protocol.SetAnswerLayout(c.family);
    CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = c.script;
    CTVRBoardDocPrivate::Of(*m_pDoc).SetExpectedOpcode(0x42);
    CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().Clear();
    Send(c.bytes, c.sent);
    const auto records = Records();
    ASSERT_EQ(records.size(), c.name.empty() ? 1u : 2u);
    EXPECT_EQ(records.size() == 2 ? records[0] : Record(TRACE_COMMAND_NAME, ""), Record(TRACE_COMMAND_NAME, c.name));
    EXPECT_EQ(records.back().first, TRACE_SENT);
    EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetExpectedOpcode(), c.opcode);
    EXPECT_TRUE(m_Protocol.m_SetSelectCardCalls.empty());
  }
  // With the trace off, every family sends and writes nothing.
  CTVRBoardDocPrivate::Of(*m_pDoc).GetRunController().SetTraceOn(FALSE);
  CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = SCRIPT_COMMANDS;
  CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().Clear();
  for (ETVRAnswerLayout family : {ANSWER_GENERIC, ANSWER_PCSC, ANSWER_KIRO, ANSWER_CCID}) {
    m_Protocol.SetAnswerLayout(family);
    Send({0x80, 0x01, 0x00, 0x01, 0x07, 0xD4, 0x02}, SCRIPT_COMMANDS);
  }
  EXPECT_EQ(m_pDoc->m_Sent.size(), std::size(cases) + 4);
  EXPECT_TRUE(Records().empty());
}

// Without a protocol nothing is sent and the user is told; frames are the
// raw bytes, copied only when they fit.
TEST_F(SendData, WithoutProtocolNothingIsSentAndTheUserIsTold) {
  CTVRBoardDocPrivate::Of(*m_pDoc).m_pProtocol = nullptr;
  EXPECT_FALSE(Send({0x01, 0x02}, SCRIPT_RAWDATA));
  EXPECT_TRUE(m_pDoc->m_Sent.empty());
  EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"Unknown Protocol!"});
  EXPECT_FALSE(m_pDoc->IsRunning());
  BYTE bytes[4] = {1, 2, 3, 4};
  BYTE out[4] = {9, 9, 9, 9};
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).PrepareData(out, 3, bytes, 4, SCRIPT_COMMANDS), 4u);
  EXPECT_EQ(std::vector<BYTE>(out, out + 4), (std::vector<BYTE>{9, 9, 9, 9}));
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).PrepareData(out, 4, bytes, 4, SCRIPT_COMMANDS), 4u);
  EXPECT_EQ(std::vector<BYTE>(out, out + 4), (std::vector<BYTE>{1, 2, 3, 4}));
}

}  // namespace
