// The simulated reader as a board: connected to a real reader document with the
// Verta protocol, answering through the named messages.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <tavric/crypto.h>
#include <tavric/messages.h>
#include <tavric/trace_record.h>

#include "contract/host.h"
#include "platform/dispatcher.h"
#include "platform/user_prompts.h"
#include "sim_doc.h"
#include "sim_test_util.h"
#include "trace/trace_log.h"
#include "verta_protocol.h"

namespace {

using namespace simtest;
using namespace std::chrono_literals;

// Cyphers nothing: it answers the challenge with a cryptogram of the length
// the directive asked for, which is all the simulated card checks.
class CTVRRecordingCrypto : public CTVRCrypto {
 public:
  void Set3desParameters(BYTE, BYTE challengeLength, BYTE authenticateLength, BYTE*) override {
    m_byChallengeLength = challengeLength;
    m_byAuthenticateLength = authenticateLength;
  }
  void TripleDes(BYTE* data, DWORD& length) override {
    m_Challenge.assign(data, data + length);
    Bytes command{0x00, 0x00, 0x82, 0x00, 0x00, m_byAuthenticateLength};
    command.resize(command.size() + m_byAuthenticateLength, 0x5A);
    SendMessage(GetActiveBoard(), WM_COMMAND_TYPE, 1, 0);
    SendMessage(GetActiveBoard(), WM_SEND_COMMAND, WPARAM(command.data()), LPARAM(command.size()));
  }

  BYTE m_byChallengeLength = 0;
  BYTE m_byAuthenticateLength = 0;
  Bytes m_Challenge;
};

class SimBoard : public ::testing::Test {
 protected:
  void SetUp() override {
    RunQueue();
    m_Protocol.GetCmdCode()->LoadPath(std::string(TAVRIC_SOURCE_DATA_DIR) + "/Command.txt");
    m_Protocol.GetErrorCode()->LoadPath(std::string(TAVRIC_SOURCE_DATA_DIR) + "/Error.txt");
    m_pDoc = NewDoc();
  }

  void TearDown() override {
    CTVRHost::Instance().SetActiveDocument(nullptr);
    m_pDoc.reset();
    RunQueue();
  }

  std::unique_ptr<CTVRSimDoc> NewDoc() {
    auto pDoc = std::make_unique<CTVRSimDoc>();
    pDoc->OnNewDocument();
    pDoc->m_pProtocol = &m_Protocol;
    CTVRHost::Instance().SetActiveDocument(pDoc.get());
    return pDoc;
  }

  static bool RunQueue() { return CTVRDispatcher::Instance().RunUntilIdle(10s); }

  void Connect() {
    m_pDoc->OnReaderConnect();
    ASSERT_TRUE(m_pDoc->IsConnected());
    RunQueue();
  }

  std::vector<Bytes> Records(int kind) {
    std::vector<Bytes> found;
    const CTVRTraceLog& log = m_pDoc->GetTraceLog();
    for (std::size_t i = 0; i < log.GetCount(); ++i) {
      const CTVRTraceRecord r = log.GetAt(i);
      if (r.m_nKind == kind) found.emplace_back(r.m_pData, r.m_pData + r.m_dwCount);
    }
    return found;
  }
  std::vector<std::string> Texts(int kind) {
    std::vector<std::string> texts;
    for (const Bytes& b : Records(kind)) texts.emplace_back(b.begin(), b.end());
    return texts;
  }
  bool WaitForReceived(std::size_t count, std::chrono::milliseconds timeout) {
    return CTVRDispatcher::Instance().RunUntil([&] { return Records(TRACE_RECEIVED).size() >= count; }, timeout);
  }

  void Send(const Bytes& command) {
    Bytes copy = command;
    m_pDoc->SendData(copy.data(), DWORD(copy.size()), SCRIPT_COMMANDS);
  }

  CTVRPromptRecorder m_Prompts;
  CTVRVertaProtocol m_Protocol;
  std::unique_ptr<CTVRSimDoc> m_pDoc;
};

TEST_F(SimBoard, ConnectSaysSoInTheTrace) {
  Connect();
  EXPECT_EQ(Texts(TRACE_COMMENT), std::vector<std::string>{"Simulated reader connected\r\n"});
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
}

TEST_F(SimBoard, ConnectFailsWithAMessageWhenAskedTo) {
  setenv("TAVRIC_SIM_FAIL_CONNECT", "1", 1);
  m_pDoc->OnReaderConnect();
  unsetenv("TAVRIC_SIM_FAIL_CONNECT");
  EXPECT_FALSE(m_pDoc->IsConnected());
  ASSERT_EQ(m_Prompts.m_Messages.size(), 1u);
  EXPECT_NE(m_Prompts.m_Messages[0].find("TAVRIC_SIM_FAIL_CONNECT"), std::string::npos);
}

TEST_F(SimBoard, AnswersArePostedNeverDeliveredInsideSend) {
  Connect();
  m_pDoc->m_eScriptType = SCRIPT_COMMANDS;
  Send({VERTA_OP_GET_FIRMWARE});
  EXPECT_TRUE(Records(TRACE_RECEIVED).empty());
  RunQueue();
  ASSERT_EQ(Records(TRACE_RECEIVED).size(), 1u);
  EXPECT_EQ(Records(TRACE_RECEIVED)[0], AnswerFrame(VERTA_OP_GET_FIRMWARE, Text("VRT-SIM 2.04")));
  EXPECT_EQ(Texts(TRACE_ANSWER_TEXT), std::vector<std::string>{" GET FIRMWARE VERSION EXECUTED"});
  EXPECT_EQ(CTVRHost::Instance().GetCardSlots().GetMask(0), "VRT-SIM 2.04");
}

TEST_F(SimBoard, NothingIsSentWhileDisconnected) {
  Bytes command{VERTA_OP_GET_FIRMWARE};
  EXPECT_FALSE(m_pDoc->Send(command.data(), 1));
  Connect();
  EXPECT_TRUE(m_pDoc->Disconnect());
  EXPECT_FALSE(m_pDoc->Send(command.data(), 1));
  RunQueue();
  EXPECT_TRUE(Records(TRACE_RECEIVED).empty());
}

TEST_F(SimBoard, ScriptRunsToTheEndWithErrorsAndCardEvents) {
  Connect();
  m_pDoc->m_bAutoPause = FALSE;
  m_pDoc->SetScriptLines({
      ".command;",
      "30;",
      "20 02;",
      "10;  // slot 2 is empty: NO CARD",
      ".escape(1,02);",
      "10;",
      ".apdu;",
      "00 a4 00 00 02 2f 01;",
      "00 c0 00 00 0d;",
  });
  m_pDoc->OnScriptStart();
  ASSERT_TRUE(RunQueue());
  EXPECT_FALSE(m_pDoc->IsRunning());

  const std::vector<Bytes> received = Records(TRACE_RECEIVED);
  ASSERT_EQ(received.size(), 7u);
  EXPECT_EQ(received[2], ErrorFrame(VERTA_OP_RESET_CARD, VERTA_ERR_NO_CARD));
  EXPECT_EQ(received[3], AnswerFrame(VERTA_OP_CARD_EVENT, {0x21}));
  EXPECT_EQ(DataOf(received[4]), CTVRSimCard::GetT0Atr());
  EXPECT_EQ(DataOf(received[5]), (Bytes{0x61, 0x0D}));
  EXPECT_EQ(DataOf(received[6]).size(), 15u);

  const std::vector<std::string> texts = Texts(TRACE_ANSWER_TEXT);
  EXPECT_NE(std::find(texts.begin(), texts.end(), " ERROR 0x11 : NO CARD IN THE SELECTED SLOT"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), " SELECT CARD 2 EXECUTED"), texts.end());
  EXPECT_EQ(CTVRHost::Instance().GetCardSlots().GetAtr(1), CTVRSimCard::GetT0Atr());
}

TEST_F(SimBoard, EscapesMoveCardsAndSetTheLatency) {
  Connect();
  BYTE slot = 2;
  m_pDoc->Escape(CTVRSimDoc::ESCAPE_INSERT_CARD, &slot, 1);
  RunQueue();
  EXPECT_EQ(Records(TRACE_RECEIVED), std::vector<Bytes>{AnswerFrame(VERTA_OP_CARD_EVENT, {0x21})});
  EXPECT_TRUE(m_pDoc->GetFirmware().IsCardPresent(2));

  m_pDoc->Escape(CTVRSimDoc::ESCAPE_INSERT_CARD, &slot, 1);
  BYTE noSlot = 9;
  m_pDoc->Escape(CTVRSimDoc::ESCAPE_REMOVE_CARD, &noSlot, 1);
  m_pDoc->Escape(CTVRSimDoc::ESCAPE_REMOVE_CARD, nullptr, 0);
  BYTE latency[] = {0x01, 0x2C};
  m_pDoc->Escape(CTVRSimDoc::ESCAPE_SET_LATENCY, latency, 2);
  m_pDoc->Escape(0x3500, nullptr, 0);
  // What follows the latency escape is itself 300 ms late.
  EXPECT_TRUE(CTVRDispatcher::Instance().RunUntil([&] { return Texts(TRACE_COMMENT).size() >= 6; }, 5s));
  EXPECT_EQ(m_pDoc->GetLatency(), 300u);
  EXPECT_EQ(Records(TRACE_RECEIVED).size(), 1u);  // nothing moved, so no event
  const std::vector<std::string> comments = Texts(TRACE_COMMENT);
  ASSERT_EQ(comments.size(), 6u);
  EXPECT_EQ(comments[1], "Simulated reader: slot 2 already holds a card\r\n");
  EXPECT_EQ(comments[2], "Simulated reader: there is no slot 9\r\n");
  EXPECT_EQ(comments[3], "Simulated reader: there is no slot 0\r\n");
  EXPECT_EQ(comments[4], "Simulated reader: answer latency 300 ms\r\n");
  EXPECT_EQ(comments[5], "Simulated reader: unknown escape code 13568\r\n");

  BYTE huge[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  m_pDoc->Escape(CTVRSimDoc::ESCAPE_SET_LATENCY, huge, 5);
  EXPECT_EQ(m_pDoc->GetLatency(), CTVRSimDoc::MAX_LATENCY_MS);
}

TEST_F(SimBoard, LatencyDelaysTheAnswer) {
  Connect();
  m_pDoc->SetLatency(80);
  const auto start = std::chrono::steady_clock::now();
  Send({VERTA_OP_GET_FIRMWARE});
  ASSERT_TRUE(WaitForReceived(1, 5s));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 80ms);
  EXPECT_FALSE(m_pDoc->m_bWaitAnswer);
}

TEST_F(SimBoard, LateAnswersKeepTheirOrderWhenTheLatencyDrops) {
  Connect();
  m_pDoc->SetLatency(100);
  Send({VERTA_OP_SELECT_CARD, 0x03});
  m_pDoc->SetLatency(0);
  Send({VERTA_OP_SELECT_CARD, 0x04});
  ASSERT_TRUE(WaitForReceived(2, 5s));
  const std::vector<Bytes> received = Records(TRACE_RECEIVED);
  EXPECT_EQ(DataOf(received[0]), Bytes{0x03});
  EXPECT_EQ(DataOf(received[1]), Bytes{0x04});
}

TEST_F(SimBoard, StopDropsAnswersStillOnTheirWay) {
  Connect();
  m_pDoc->SetLatency(150);
  Send({VERTA_OP_GET_FIRMWARE});
  m_pDoc->OnScriptStop();
  EXPECT_FALSE(WaitForReceived(1, 400ms));
}

TEST_F(SimBoard, LatencyComesFromTheEnvironment) {
  setenv("TAVRIC_SIM_LATENCY_MS", "25", 1);
  EXPECT_EQ(CTVRSimDoc().GetLatency(), 25u);
  setenv("TAVRIC_SIM_LATENCY_MS", "25ms", 1);
  EXPECT_EQ(CTVRSimDoc().GetLatency(), 0u);
  setenv("TAVRIC_SIM_LATENCY_MS", "99999999", 1);
  EXPECT_EQ(CTVRSimDoc().GetLatency(), CTVRSimDoc::MAX_LATENCY_MS);
  unsetenv("TAVRIC_SIM_LATENCY_MS");
  EXPECT_EQ(CTVRSimDoc().GetLatency(), 0u);
}

TEST_F(SimBoard, ConfigWriteAndReadReachTheFirmwareDirectly) {
  Connect();
  BYTE count = 0x02;
  m_pDoc->Config(VERTA_OP_READ_REGISTER, 0x00, &count, 1);
  m_pDoc->Config(VERTA_OP_GET_FIRMWARE, 0xFF, nullptr, 0);
  Bytes raw = CommandFrame(VERTA_OP_WRITE_REGISTER, {0x30, 0x5A});
  m_pDoc->Write(raw.data(), DWORD(raw.size()));
  m_pDoc->Read(0x31);
  RunQueue();
  const std::vector<Bytes> received = Records(TRACE_RECEIVED);
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[0], AnswerFrame(VERTA_OP_READ_REGISTER, {0x00, 0x56, 0x02}));
  EXPECT_EQ(received[1], AnswerFrame(VERTA_OP_GET_FIRMWARE, Text("VRT-SIM 2.04")));
  EXPECT_EQ(received[2], AnswerFrame(VERTA_OP_WRITE_REGISTER, {0x30}));
  const std::vector<std::string> comments = Texts(TRACE_COMMENT);
  ASSERT_FALSE(comments.empty());
  EXPECT_EQ(comments.back(),
            "Simulated reader registers:\r\n"
            "00: 56 02 04 06 1D 00 01 00 00 00 00 00 00 00 00 00\r\n"
            "10: 01 00 3F 00 00 00 00 00 00 00 00 00 00 00 00 00\r\n"
            "20: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\r\n"
            "30: 5A\r\n");
}

TEST_F(SimBoard, ConfigAndEscapeEndTheRunningStatement) {
  Connect();
  m_pDoc->SetScriptLines(
      {".config(30);", ".escape(2,01);", ".read(1);", ".write(40 00 01 30 71);", ".command;", "12;"});
  m_pDoc->OnScriptStart();
  ASSERT_TRUE(RunQueue());
  EXPECT_FALSE(m_pDoc->IsRunning());
  const std::vector<Bytes> received = Records(TRACE_RECEIVED);
  ASSERT_EQ(received.size(), 4u);
  EXPECT_EQ(received[1], AnswerFrame(VERTA_OP_CARD_EVENT, {0x10}));
  EXPECT_EQ(received[2], AnswerFrame(VERTA_OP_GET_FIRMWARE, Text("VRT-SIM 2.04")));
  EXPECT_EQ(DataOf(received[3]), (Bytes{0x00, 0x00, 0x01, 0x01, 0x01, 0x00}));  // card 1 is out
}

TEST_F(SimBoard, ProtocolMenuCommandsReachTheReaderOutsideTheRun) {
  Connect();
  m_pDoc->m_eScriptType = SCRIPT_COMMANDS;
  EXPECT_TRUE(m_Protocol.DoCommand(ID_VERTA_SELECT_CARD_1 + 2));
  EXPECT_TRUE(m_Protocol.DoCommand(ID_VERTA_RESET_CARD));
  RunQueue();
  EXPECT_EQ(m_Protocol.GetSelectCard(), 3);
  EXPECT_EQ(m_pDoc->GetFirmware().GetSelectedCard(), 3);
  const std::vector<Bytes> received = Records(TRACE_RECEIVED);
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(DataOf(received[1]), CTVRSimCard::GetT1Atr());
  EXPECT_FALSE(m_pDoc->IsRunning());
}

TEST_F(SimBoard, LoopbackTestPassesAgainstTheSimulator) {
  Connect();
  m_pDoc->m_eScriptType = SCRIPT_COMMANDS;
  m_Protocol.DoCommand(ID_VERTA_LOOPBACK_TEST);
  RunQueue();
  EXPECT_EQ(Texts(TRACE_COMMENT).back(), "LOOPBACK : TEST OK\r\n\r\n");
  EXPECT_EQ(m_Protocol.GetLpbActivated(), 0);
}

TEST_F(SimBoard, TripleDesDirectiveAuthenticatesAgainstTheCard) {
  Connect();
  CTVRRecordingCrypto crypto;
  m_pDoc->m_pCrypto = &crypto;
  m_pDoc->SetScriptLines({".command;", "10;", ".3des(08,10,00112233445566778899AABBCCDDEEFF);", "30;"});
  m_pDoc->OnScriptStart();
  ASSERT_TRUE(RunQueue());
  m_pDoc->m_pCrypto = nullptr;

  EXPECT_FALSE(m_pDoc->IsRunning());
  EXPECT_EQ(crypto.m_Challenge.size(), 8u);
  EXPECT_EQ(crypto.m_bAuthenticationPending, 0);
  EXPECT_TRUE(m_pDoc->GetFirmware().GetCard(1)->IsAuthenticated());
  // The run went on after the exchange: the firmware version came last.
  const std::vector<Bytes> received = Records(TRACE_RECEIVED);
  ASSERT_FALSE(received.empty());
  EXPECT_EQ(received.back(), AnswerFrame(VERTA_OP_GET_FIRMWARE, Text("VRT-SIM 2.04")));
}

TEST_F(SimBoard, RegistersItsMenuWithTheProtocolPlaceholder) {
  const CTVRMenu menu = CTVRSimDoc::GetMenu();
  ASSERT_FALSE(menu.empty());
  EXPECT_EQ(menu.back().m_strText, "&Protocol");
  ASSERT_EQ(menu.back().m_children.size(), 1u);
  EXPECT_EQ(menu.back().m_children[0].m_nID, UINT(ID_PROTOCOL_FIRST));
  EXPECT_STREQ(TVR_RUNTIME_CLASS(CTVRSimDoc)->m_lpszClassName, "CTVRSimDoc");
  EXPECT_EQ(CTVRSimDoc::GetDocStrings().m_strDocName, "Sim");
}

}  // namespace
