// Frame preparation and sending: framing by type, the name record of each
// protocol family, card selection and the expected opcode, and frames too
// short for the positions their naming rule reads.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <tavric/trace_record.h>

#include "doc_fixture.h"
#include "trace/trace_log.h"

namespace {

class SendData : public CTVRDocFixture {
 protected:
  void SetUp() override {
    CTVRDocFixture::SetUp();
    m_dir = std::filesystem::temp_directory_path() / ("tavric_send_" + std::to_string(::getpid()));
    std::filesystem::create_directories(m_dir);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
    CTVRDocFixture::TearDown();
  }

  // Description files have CR LF line ends.
  std::string WriteFile(const std::string& name, const std::string& content) {
    const auto path = (m_dir / name).string();
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  void LoadCommands(const std::string& content) { m_Protocol.CmdTable().LoadPath(WriteFile("cmd.txt", content)); }
  void LoadErrors(const std::string& content) { m_Protocol.ErrorTable().LoadPath(WriteFile("err.txt", content)); }

  BOOL Send(std::vector<BYTE> bytes, EScriptType type) {
    return m_pDoc->SendData(bytes.data(), DWORD(bytes.size()), type);
  }

  std::size_t RecordCount() { return m_pDoc->GetTraceLog().GetCount(); }
  int Kind(std::size_t i) { return m_pDoc->GetTraceLog().GetAt(i).m_nKind; }
  std::string Text(std::size_t i) {
    const CTVRTraceRecord r = m_pDoc->GetTraceLog().GetAt(i);
    return std::string(reinterpret_cast<const char*>(r.m_pData), r.m_dwCount);
  }
  std::vector<BYTE> Bytes(std::size_t i) {
    const CTVRTraceRecord r = m_pDoc->GetTraceLog().GetAt(i);
    return std::vector<BYTE>(r.m_pData, r.m_pData + r.m_dwCount);
  }

  std::filesystem::path m_dir;
};

TEST_F(SendData, RawDataScriptSendsTheBytesUnchangedWithOnlyTheBytesRecord) {
  EXPECT_TRUE(Send({0x00, 0x20, 0x02, 0x00, 0x05}, SCRIPT_RAWDATA));
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  EXPECT_EQ(m_pDoc->m_Sent[0], (std::vector<BYTE>{0x00, 0x20, 0x02, 0x00, 0x05}));
  ASSERT_EQ(RecordCount(), 1u);
  EXPECT_EQ(Kind(0), TRACE_SENT);
  EXPECT_EQ(Bytes(0), m_pDoc->m_Sent[0]);
  EXPECT_TRUE(m_pDoc->m_DelayOptions.m_bFreeReception);
  EXPECT_TRUE(m_pDoc->IsRunning());
  EXPECT_TRUE(m_pDoc->m_bWaitAnswer);
  // Byte 3 of a raw frame is no select-card opcode.
  EXPECT_TRUE(m_Protocol.m_SetSelectCardCalls.empty());
}

TEST_F(SendData, TheFrameIsSizedFirstThenBuiltIntoABufferOfThatSize) {
  m_pDoc->m_eScriptType = SCRIPT_COMMANDS;
  Send({0x01, 0x02}, SCRIPT_COMMANDS);
  EXPECT_EQ(m_Protocol.m_FrameCapacities, (std::vector<DWORD>{0, 6}));
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  EXPECT_EQ(m_pDoc->m_Sent[0].size(), 6u);
  EXPECT_FALSE(m_pDoc->m_DelayOptions.m_bFreeReception);
}

TEST_F(SendData, ScriptCardSelectionRemembersTheOldCardAndShowsTheSlot) {
  m_pDoc->m_eScriptType = SCRIPT_COMMANDS;
  m_Protocol.SetOpcodeSelectCard(0x20);
  m_Protocol.SetSelectCard(3);
  m_Protocol.m_SetSelectCardCalls.clear();

  Send({0x20, 0x02}, SCRIPT_COMMANDS);
  EXPECT_EQ(m_Protocol.m_SetOldSelectCardCalls, std::vector<BYTE>{3});
  EXPECT_EQ(m_Protocol.m_SetSelectCardCalls, std::vector<BYTE>{2});
  EXPECT_EQ(m_Protocol.GetSelectCard(), 2);
  EXPECT_EQ(CTVRHost::Instance().GetCardSlots().GetShownSlot(), 1);
  EXPECT_EQ(m_pDoc->m_byExpectedOpcode, 0x20);
}

TEST_F(SendData, OneOffCardSelectionKeepsTheOldCard) {
  m_pDoc->m_eScriptType = SCRIPT_COMMANDS;
  m_pDoc->m_dwCommandType = 1;
  Send({0x20, 0x04}, SCRIPT_COMMANDS);
  EXPECT_TRUE(m_Protocol.m_SetOldSelectCardCalls.empty());
  EXPECT_EQ(m_Protocol.m_SetSelectCardCalls, std::vector<BYTE>{4});
  EXPECT_EQ(CTVRHost::Instance().GetCardSlots().GetShownSlot(), 3);
}

TEST_F(SendData, CardByteZeroSelectsButLeavesTheCardBarAlone) {
  m_pDoc->m_eScriptType = SCRIPT_COMMANDS;
  Send({0x20, 0x02}, SCRIPT_COMMANDS);
  Send({0x20, 0x00}, SCRIPT_COMMANDS);
  EXPECT_EQ(m_Protocol.m_SetSelectCardCalls, (std::vector<BYTE>{2, 0}));
  EXPECT_EQ(CTVRHost::Instance().GetCardSlots().GetShownSlot(), 1);
}

TEST_F(SendData, GenericFamilyNamesTheCommandFromFrameBytesThreeAndFour) {
  LoadCommands("01 RESET\r\n05-03 READ BLOCK\r\n");
  m_pDoc->m_eScriptType = SCRIPT_COMMANDS;
  Send({0x01, 0x07}, SCRIPT_COMMANDS);
  Send({0x05, 0x03}, SCRIPT_COMMANDS);
  Send({0x09, 0x00}, SCRIPT_COMMANDS);
  ASSERT_EQ(RecordCount(), 6u);
  // The name comes before the frame's bytes.
  EXPECT_EQ(Kind(0), TRACE_COMMAND_NAME);
  EXPECT_EQ(Text(0), " RESET");
  EXPECT_EQ(Kind(1), TRACE_SENT);
  EXPECT_EQ(Text(2), " READ BLOCK");
  EXPECT_EQ(Text(4), " UNKNOWN COMMAND");
  EXPECT_EQ(m_pDoc->m_byExpectedOpcode, 0x09);
}

TEST_F(SendData, GenericFamilyWritesNoNameInARawDataScript) {
  LoadCommands("01 RESET\r\n");
  Send({0x01, 0x07}, SCRIPT_COMMANDS);
  ASSERT_EQ(RecordCount(), 1u);
  EXPECT_EQ(Kind(0), TRACE_SENT);
  EXPECT_EQ(m_pDoc->m_byExpectedOpcode, 0x01);
}

TEST_F(SendData, AFrameTooShortForItsNamingRuleIsUnknownAndChangesNothing) {
  // A raw statement of three bytes sent while the script type is commands.
  m_pDoc->m_eScriptType = SCRIPT_COMMANDS;
  m_pDoc->m_byExpectedOpcode = 0x42;
  Send({0x6F, 0x00, 0x20}, SCRIPT_RAWDATA);
  ASSERT_EQ(RecordCount(), 2u);
  EXPECT_EQ(Text(0), " UNKNOWN COMMAND");
  EXPECT_EQ(m_pDoc->m_byExpectedOpcode, 0x42);
  EXPECT_TRUE(m_Protocol.m_SetSelectCardCalls.empty());

  // The same for the PC/SC family (one byte) and the "kiro" family (six).
  m_Protocol.SetMenuId(187);
  Send({0x01}, SCRIPT_RAWDATA);
  m_Protocol.SetMenuId(189);
  Send({0, 0, 0xFF, 1, 0xFF, 0xD4}, SCRIPT_RAWDATA);
  ASSERT_EQ(RecordCount(), 6u);
  EXPECT_EQ(Text(2), " UNKNOWN COMMAND");
  EXPECT_EQ(Text(4), " UNKNOWN COMMAND");
  EXPECT_EQ(m_pDoc->m_byExpectedOpcode, 0x42);
}

TEST_F(SendData, PcscFamilyNamesFromFrameBytesZeroAndOneWhateverTheScriptType) {
  LoadCommands("62-01 GET STATUS\r\n63\r\n");
  m_Protocol.SetMenuId(187);
  m_pDoc->m_eScriptType = SCRIPT_COMMANDS;
  Send({0x62, 0x01, 0x00}, SCRIPT_RAWDATA);
  m_pDoc->m_eScriptType = SCRIPT_RAWDATA;
  Send({0x62, 0x01}, SCRIPT_RAWDATA);
  // A defined class whose name is empty is unknown too.
  Send({0x63, 0x00}, SCRIPT_RAWDATA);
  ASSERT_EQ(RecordCount(), 6u);
  EXPECT_EQ(Text(0), " GET STATUS");
  EXPECT_EQ(Text(2), " GET STATUS");
  EXPECT_EQ(Text(4), " UNKNOWN COMMAND");
  EXPECT_EQ(m_pDoc->m_byExpectedOpcode, 0);
}

TEST_F(SendData, KiroFamilyReadsBytesFiveAndSixOrEightAndNineForExtendedFrames) {
  LoadCommands("D4-02 GET FIRMWARE\r\nD4-40 EXCHANGE\r\n");
  m_Protocol.SetMenuId(189);
  m_Protocol.SetMAXLengthStandardFrame(8);
  m_pDoc->m_eScriptType = SCRIPT_COMMANDS;
  Send({0, 0, 0xFF, 2, 0xFE, 0xD4, 0x02, 0x2A}, SCRIPT_RAWDATA);
  EXPECT_EQ(m_pDoc->m_byExpectedOpcode, 0xD4);
  Send({0, 0, 0xFF, 0xFF, 0xFF, 0, 2, 0xFE, 0xD4, 0x40, 0xEC}, SCRIPT_RAWDATA);
  ASSERT_EQ(RecordCount(), 4u);
  EXPECT_EQ(Text(0), " GET FIRMWARE");
  EXPECT_EQ(Text(2), " EXCHANGE");
}

TEST_F(SendData, MessageCodeFamilyNamesFromTheBytesBeforeFraming) {
  LoadCommands("80-01 POWER ON\r\n");
  LoadErrors("00 NO ERROR TEXT\r\n");
  m_Protocol.SetMenuId(184);
  std::vector<std::vector<BYTE>> seen;
  WORD code = 0x8001;
  m_Protocol.SetMsgCode([&](const BYTE* bytes, DWORD length, int isCommand) {
    EXPECT_EQ(isCommand, 1);
    seen.emplace_back(bytes, bytes + length);
    return code;
  });
  Send({0x62, 0x00}, SCRIPT_COMMANDS);
  code = 0x0000;
  Send({0x62, 0x00}, SCRIPT_COMMANDS);
  code = 0x8002;
  Send({0x62, 0x00}, SCRIPT_COMMANDS);
  ASSERT_EQ(RecordCount(), 6u);
  EXPECT_EQ(seen[0], (std::vector<BYTE>{0x62, 0x00}));
  EXPECT_EQ(Text(0), " POWER ON");
  EXPECT_EQ(Text(2), " NO ERROR TEXT");
  EXPECT_EQ(Text(4), " UNKNOWN COMMAND");
}

TEST_F(SendData, MessageCodeZeroWithoutAnErrorTextIsUnknown) {
  m_Protocol.SetMenuId(184);
  Send({0x62, 0x00}, SCRIPT_COMMANDS);
  ASSERT_EQ(RecordCount(), 2u);
  EXPECT_EQ(Text(0), " UNKNOWN COMMAND");
}

TEST_F(SendData, TraceOffWritesNothingButStillSends) {
  m_pDoc->m_eScriptType = SCRIPT_COMMANDS;
  m_pDoc->m_bTraceOn = FALSE;
  Send({0x01, 0x02}, SCRIPT_COMMANDS);
  m_Protocol.SetMenuId(187);
  Send({0x01, 0x02}, SCRIPT_COMMANDS);
  EXPECT_EQ(m_pDoc->m_Sent.size(), 2u);
  EXPECT_EQ(RecordCount(), 0u);
}

TEST_F(SendData, ARefusedFrameIsTracedAndFalseIsReturned) {
  m_pDoc->m_bSendResult = FALSE;
  EXPECT_FALSE(Send({0x01, 0x02}, SCRIPT_RAWDATA));
  EXPECT_EQ(RecordCount(), 1u);
  EXPECT_TRUE(m_pDoc->m_bWaitAnswer);
}

TEST_F(SendData, WithoutProtocolNothingIsSentAndTheUserIsTold) {
  m_pDoc->m_pProtocol = nullptr;
  EXPECT_FALSE(Send({0x01, 0x02}, SCRIPT_RAWDATA));
  EXPECT_TRUE(m_pDoc->m_Sent.empty());
  EXPECT_EQ(RecordCount(), 0u);
  EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"Unknown Protocol!"});
  EXPECT_TRUE(m_pDoc->m_bWaitAnswer);
  EXPECT_FALSE(m_pDoc->IsRunning());
}

TEST_F(SendData, PrepareDataCopiesRawBytesOnlyWhenTheyFit) {
  BYTE bytes[4] = {1, 2, 3, 4};
  BYTE out[4] = {9, 9, 9, 9};
  m_pDoc->m_pProtocol = nullptr;
  EXPECT_EQ(m_pDoc->PrepareData(out, 3, bytes, 4, SCRIPT_COMMANDS), 4u);
  EXPECT_EQ(std::vector<BYTE>(out, out + 4), (std::vector<BYTE>{9, 9, 9, 9}));
  EXPECT_EQ(m_pDoc->PrepareData(out, 4, bytes, 4, SCRIPT_COMMANDS), 4u);
  EXPECT_EQ(std::vector<BYTE>(out, out + 4), (std::vector<BYTE>{1, 2, 3, 4}));

  m_pDoc->m_pProtocol = &m_Protocol;
  EXPECT_EQ(m_pDoc->PrepareData(nullptr, 0, bytes, 4, SCRIPT_APDU), 9u);
  EXPECT_EQ(m_pDoc->PrepareData(nullptr, 0, bytes, 4, EScriptType(7)), 0u);
}

TEST_F(SendData, FramesLongerThanTheStackBufferArriveWhole) {
  std::vector<BYTE> big(2000);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = BYTE(i * 7);
  Send(big, SCRIPT_RAWDATA);
  m_pDoc->m_eScriptType = SCRIPT_COMMANDS;
  Send(big, SCRIPT_COMMANDS);
  ASSERT_EQ(m_pDoc->m_Sent.size(), 2u);
  EXPECT_EQ(m_pDoc->m_Sent[0], big);
  ASSERT_EQ(m_pDoc->m_Sent[1].size(), big.size() + 4);
  EXPECT_TRUE(std::equal(big.begin(), big.end(), m_pDoc->m_Sent[1].begin() + 3));
}

TEST_F(SendData, AProtocolThatFramesNothingSendsAnEmptyFrame) {
  CTVRProtocol silent;
  m_pDoc->m_pProtocol = &silent;
  BYTE bytes[2] = {1, 2};
  m_pDoc->SendData(bytes, 2, SCRIPT_COMMANDS);
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  EXPECT_TRUE(m_pDoc->m_Sent[0].empty());
  // Its family is the message-code one, with nothing to name the frame by.
  ASSERT_EQ(RecordCount(), 2u);
  EXPECT_EQ(Text(0), " UNKNOWN COMMAND");
  EXPECT_EQ(Kind(1), TRACE_SENT);
  EXPECT_EQ(m_pDoc->GetTraceLog().GetAt(1).m_dwCount, 0u);
}

}  // namespace
