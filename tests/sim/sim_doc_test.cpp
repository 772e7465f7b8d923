// Whole runs against the simulated reader: the real plug-ins load from the run
// folder, and a reader document of the same classes, with the Verta protocol,
// runs scripts whose answers come back through the named messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <tavric/crypto.h>
#include <tavric/doc_template.h>
#include <tavric/messages.h>
#include <tavric/trace_record.h>

#include "contract/host.h"
#include "contract/plugin_loader.h"
#include "document/board_doc_private.h"
#include "platform/dispatcher.h"
#include "platform/user_prompts.h"
#include "sim_doc.h"
#include "test_context.h"
#include "trace/trace_log.h"
#include "trace_reader.h"
#include "triple_des_crypto.h"
#include "verta_frame.h"
#include "verta_protocol.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<BYTE>;

class SimBoard : public ::testing::Test {
 protected:
  void SetUp() override {
    RunQueue();
    m_Protocol.GetCmdCode()->LoadPath(std::string(TAVRIC_SOURCE_DATA_DIR) + "/Command.txt");
    m_Protocol.GetErrorCode()->LoadPath(std::string(TAVRIC_SOURCE_DATA_DIR) + "/Error.txt");
    NewConnectedDoc();
  }
  void TearDown() override {
    m_Context.Host().SetActiveDocument(nullptr);
    m_pDoc.reset();
    RunQueue();
  }

  void NewConnectedDoc(const std::vector<std::string>& script = {}) {
    m_Context.Host().SetActiveDocument(nullptr);
    m_pDoc = std::make_unique<CTVRSimDoc>();
    CTVRBoardDocPrivate::Of(*m_pDoc).SetHostContext(&m_Context);
    m_pDoc->OnNewDocument();
    CTVRBoardDocPrivate::Of(*m_pDoc).m_pProtocol = &m_Protocol;
    CTVRBoardDocPrivate::Of(*m_pDoc).m_pCrypto = &m_Crypto;
    CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = SCRIPT_COMMANDS;
    CTVRBoardDocPrivate::Of(*m_pDoc).SetScriptLines(script);
    m_Context.Host().SetActiveDocument(m_pDoc.get());
    CTVRBoardDocPrivate::Of(*m_pDoc).OnReaderConnect();
    ASSERT_TRUE(m_pDoc->IsConnected());
    RunQueue();
  }
  static bool RunQueue() { return CTVRDispatcher::GetInstalled()->RunUntilIdle(10s); }

  std::vector<std::string> Records(int kind) { return tvr_test::TraceTexts(*m_pDoc, kind); }
  // The opcode of each frame of that kind.
  std::vector<BYTE> Opcodes(int kind) {
    std::vector<BYTE> opcodes;
    for (const std::string& frame : Records(kind)) opcodes.push_back(frame.size() > 3 ? BYTE(frame[3]) : 0);
    return opcodes;
  }
  int MarkedLine() { return tvr_test::MarkedLine(*m_pDoc); }

  CTVRTestContext m_Context;
  CTVRPromptRecorder m_Prompts{m_Context};
  CTVRVertaProtocol m_Protocol;
  CTVRTripleDesCrypto m_Crypto;
  std::unique_ptr<CTVRSimDoc> m_pDoc;
};

TEST_F(SimBoard, AnswersArePostedNeverDeliveredInsideSend) {
  Bytes command{VERTA_OP_GET_FIRMWARE};
  CTVRBoardDocPrivate::Of(*m_pDoc).SendData(command.data(), DWORD(command.size()), SCRIPT_COMMANDS);
  EXPECT_TRUE(Records(TRACE_RECEIVED).empty());
  RunQueue();
  EXPECT_EQ(Opcodes(TRACE_RECEIVED), Bytes{VERTA_OP_GET_FIRMWARE});
  EXPECT_EQ(m_Context.Host().GetCardSlots().GetMask(0), "VRT-SIM 2.04");
}

// The triple-DES exchange of ".3des(" end to end: the real cyphering object
// and the simulated card, whose key is 40 41 ... 4F (the exchange that
// authenticates is the golden example triple_des).
class TripleDesExchange : public SimBoard {
 protected:
  using Record = std::pair<int, std::string>;  // kind, then the text or the frame's opcode as two hex digits
  std::vector<Record> AllRecords() {
    std::vector<Record> records = tvr_test::TraceRecords(*m_pDoc);
    for (Record& r : records) {
      if (r.first != TRACE_SENT && r.first != TRACE_RECEIVED) continue;
      // A frame: its opcode and, for the card's answers, the status word.
      const std::string& text = r.second;
      char summary[16];
      const std::size_t n = text.size();
      std::snprintf(summary, sizeof summary, "%02X %02X%02X", n > 3 ? BYTE(text[3]) : 0, n > 6 ? BYTE(text[n - 3]) : 0,
                    n > 6 ? BYTE(text[n - 2]) : 0);
      r.second = summary;
    }
    return records;
  }
  static std::string Des(const char* key) { return std::string(".3des(08,10,") + key + ");"; }
  static constexpr const char* kCardKey = "404142434445464748494A4B4C4D4E4F";
};

TEST_F(TripleDesExchange, AnErrorAnswerEndsTheExchangeAndResetsTheCyphering) {
  // Card 2 is empty: the reader answers the challenge request with an error.
  NewConnectedDoc({"20 02;", Des(kCardKey), "30;"});
  CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStart();
  ASSERT_TRUE(RunQueue());
  const std::vector<Record> records = AllRecords();
  ASSERT_GE(records.size(), 6u);
  EXPECT_EQ(records[records.size() - 6], (Record{TRACE_ANSWER_TEXT, " ERROR 0x11 : NO CARD IN THE SELECTED SLOT"}));
  EXPECT_EQ(records[records.size() - 4], (Record{TRACE_COMMAND_NAME, " GET FIRMWARE VERSION"}));
  EXPECT_FALSE(m_Crypto.IsExchangePending() || m_Crypto.IsChallengeReceived());
  EXPECT_FALSE(m_pDoc->IsRunning());
  EXPECT_EQ(MarkedLine(), 2);

  // While deciphering is on, answers form one CBC stream (each deciphered
  // from the block before), and an error answer starts it again from zero.
  m_Crypto.SetCryptoActivated(1);
  m_Crypto.Set3DecypheringKey("00112233445566778899AABBCCDDEEFF");
  const std::string readEight = "00 00 B0 00 00 08;";  // the bytes 00 to 07 of file 0001
  NewConnectedDoc(
      {"20 01;", "10;", "00 00 A4 00 0C 02 00 01;", readEight, readEight, "20 02;", "10;", "20 01;", readEight});
  CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStart();
  ASSERT_TRUE(RunQueue());
  EXPECT_EQ(Records(TRACE_COMMENT), (std::vector<std::string>{
                                        "Simulated reader connected\r\n",
                                        "DECIPHERED DATA : 13 bytes, not whole blocks of 8\r\n",  // the ATR
                                        "DECIPHERED DATA : 75 C8 D7 9E 36 90 8A F1\r\n",
                                        "DECIPHERED DATA : 75 C9 D5 9D 32 95 8C F6\r\n",
                                        // the reset of the empty slot 2 fails: the stream starts again
                                        "DECIPHERED DATA : 75 C8 D7 9E 36 90 8A F1\r\n",
                                    }));
}

}  // namespace

namespace {

// The Verta protocol gives the host's protocol-side toolbar commands their
// frames and their enabled and checked states, through the document's route.
class VertaHostCommands : public SimBoard {
 protected:
  std::pair<BOOL, int> State(UINT id) {
    CTVRCmdUI ui(id);
    m_pDoc->DoUpdate(ui);
    return {ui.m_bEnabled, ui.m_nCheck};
  }
  // The opcode and data bytes of the last frame sent.
  Bytes LastSent() {
    const std::vector<std::string> sent = Records(TRACE_SENT);
    if (sent.empty()) return {};
    const std::string& frame = sent.back();
    return frame.size() > 4 ? Bytes(frame.begin() + 3, frame.end() - 1) : Bytes{};
  }
  void Run(UINT id) {
    EXPECT_TRUE(m_pDoc->DoCommand(id)) << id;
    RunQueue();
  }
};

TEST_F(VertaHostCommands, CardPowerAndMaskCommandsSendOneOffFrames) {
  EXPECT_EQ(State(36011), std::make_pair(TRUE, 1));
  Run(36013);
  EXPECT_EQ(LastSent(), (Bytes{0x20, 0x03}));
  EXPECT_EQ(std::make_tuple(State(36011), State(36013)),
            std::make_tuple(std::make_pair(TRUE, 0), std::make_pair(TRUE, 1)));

  Run(35016);
  EXPECT_EQ(LastSent(), Bytes{0x10});
  EXPECT_EQ(std::make_tuple(State(35015), State(35016)),
            std::make_tuple(std::make_pair(TRUE, 0), std::make_pair(TRUE, 1)));
  Run(35017);
  EXPECT_EQ(LastSent(), Bytes{0x11});
  EXPECT_EQ(State(35016), std::make_pair(TRUE, 0)) << "powered off";
  Run(35002);
  EXPECT_EQ(LastSent(), Bytes{0x30});
  EXPECT_EQ(Records(TRACE_SENT).size(), 4u);
  EXPECT_FALSE(m_pDoc->IsRunning());

  CTVRBoardDocPrivate::Of(*m_pDoc).OnReaderDisconnect();
  for (UINT id : {36011u, 35015u, 35017u, 35002u, 32783u}) EXPECT_FALSE(State(id).first) << id;
}

TEST_F(VertaHostCommands, StandardsAndModesAreCheckedChoicesAndTheEmvLoopbackIsGreyed) {
  Run(35001);
  EXPECT_EQ(m_Protocol.GetStandard(), 1);
  EXPECT_EQ(std::make_tuple(State(35000), State(35001)),
            std::make_tuple(std::make_pair(TRUE, 0), std::make_pair(TRUE, 1)));
  Run(32777);
  EXPECT_EQ(m_Protocol.GetMode(), 2);
  EXPECT_EQ(State(32777), std::make_pair(TRUE, 1));
  EXPECT_TRUE(Records(TRACE_SENT).empty()) << "choices send nothing";

  EXPECT_FALSE(State(32784).first);
  Run(32783);
  EXPECT_EQ(LastSent().front(), 0x40);
}

}  // namespace
