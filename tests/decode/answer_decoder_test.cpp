// Answers of the generic layout (Command.txt / Error.txt protocols) through the
// answer decoder: the decoded text, the received bytes, the card slots, the
// cyphering and loopback hooks, and when the running statement ends.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <tavric/crypto.h>

#include "decode/answer_decoder.h"
#include "doc_fixture.h"
#include "run_state.h"
#include "trace/trace_log.h"
#include "trace_reader.h"

namespace {

using Bytes = std::vector<BYTE>;
using Record = std::pair<int, std::string>;  // kind and bytes of a trace record

const std::string kDataDir = std::string(TAVRIC_TEST_DATA_DIR) + "/decode";

std::string Str(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

class LoopbackProtocol : public CTVRTestProtocol {
 public:
  BYTE GetLpbActivated() override { return m_byLpb; }
  void SetLpbActivated(BYTE state) override { m_byLpb = state; }
  int LpbGie(BYTE*, DWORD) override { return 1; }
  int GetErrorLpb(BYTE*, DWORD) override { return 1; }
  BYTE m_byLpb = 1;
};

class RecordingCrypto : public CTVRCrypto {
 public:
  int GetCryptoActivated() override { return m_nActivated; }
  void ReceivedData(BYTE* data, DWORD length) override { m_Received.emplace_back(data, data + length); }
  void ResetCrypto() override { ++m_nResets; }
  void TripleDes(BYTE* data, DWORD& length) override { m_Challenges.emplace_back(data, data + length + 1); }
  int m_nActivated = 0;
  int m_nResets = 0;
  std::vector<Bytes> m_Received;
  std::vector<Bytes> m_Challenges;  // each with the byte after it
};

class AnswerDecoder : public CTVRDocFixture {
 protected:
  void SetUp() override {
    CTVRDocFixture::SetUp();
    m_Protocol.CmdTable().LoadPath(kDataDir + "/Command.txt");
    m_Protocol.ErrorTable().LoadPath(kDataDir + "/Error.txt");
    m_pDoc->m_pCrypto = &m_Crypto;  // not activated, no exchange pending
    Await(0xD4);
    m_Slots.SetListener(nullptr);
    for (BYTE slot = 0; slot < CTVRCardSlots::SLOT_COUNT; ++slot) m_Slots.ClearAtr(slot);
  }
  // A statement of a script of commands awaits the answer to this opcode;
  // the queue is empty and the records start here.
  void Await(BYTE opcode) {
    RunQueue();
    m_pDoc->m_eScriptType = SCRIPT_COMMANDS;
    tvr_test::SetRun(*m_pDoc, true, true);
    m_pDoc->SetExpectedOpcode(opcode);
    m_nFirstRecord = m_pDoc->GetTraceLog().GetCount();
  }
  // Decodes a copy that holds exactly the answer's bytes, so that a read past
  // its end is caught by the address sanitizer.
  void Decode(const Bytes& answer) {
    Bytes copy = answer;
    m_pDoc->OnReceiveAnswer(copy.empty() ? nullptr : copy.data(), DWORD(copy.size()));
  }
  std::vector<Record> Records() const { return tvr_test::TraceRecords(*m_pDoc, m_nFirstRecord); }
  // Whether the end of the statement was posted (and nothing else).
  static bool EndPosted() { return CTVRDispatcher::Instance().PendingCount() == 1; }

  CTVRCardSlots& m_Slots = CTVRHost::Instance().GetCardSlots();
  std::size_t m_nFirstRecord = 0;
  RecordingCrypto m_Crypto;  // outlives the document, which TearDown deletes
};

TEST_F(AnswerDecoder, DecodedTextBytesAndTheEndOfTheStatement) {
  struct CCase {
    const char* what;
    Bytes answer;
    const char* text;  // the decoded text, nullptr: none
    bool ends;         // the end of the statement is posted
    BYTE expected = 0xD4;
    BOOL wait = TRUE;  // the statement awaits an answer
    BOOL traceOn = TRUE;
    EScriptType type = SCRIPT_COMMANDS;
    bool bytes = true;  // the answer's bytes are traced
  };
  const CCase cases[] = {
      {"named, awaited", MakeAnswerFrame(0x60, 0xD4, {0x4A, 0x01}), " Get firmware EXECUTED", true},
      {"another opcode", MakeAnswerFrame(0x60, 0xD4, {0x02}), " Reader command EXECUTED", false, 0x30},
      {"unnamed code", MakeAnswerFrame(0x60, 0x30, {0x02}), " UNKNOWN COMMAND (see command.txt) EXECUTED", false},
      {"class not in the file", MakeAnswerFrame(0x60, 0x77, {0x01}), " UNKNOWN COMMAND EXECUTED", false},
      {"not awaited", MakeAnswerFrame(0x60, 0x30, {0x01}), " Power up", false, 0xD4, FALSE},
      {"raw data", MakeAnswerFrame(0x60, 0xD4, {0x4A}), nullptr, true, 0x55, TRUE, TRUE, SCRIPT_RAWDATA},
      {"error", MakeAnswerFrame(0xE0, 0xD4, {0x6A}), " ERROR 0x6A : Card removed", true},
      {"undefined error, any opcode", MakeAnswerFrame(0xE0, 0x30, {0x55}), " ERROR 0x55 :", true},
      {"unsolicited, trace off", MakeAnswerFrame(0x60, 0xD4, {0x4A}), " Get firmware", false, 0xD4, FALSE, FALSE},
      {"trace off", MakeAnswerFrame(0x60, 0xD4, {0x4A}), nullptr, true, 0xD4, TRUE, FALSE, SCRIPT_COMMANDS, false},
      // Bytes beyond the answer read as zero.
      {"no data byte", {0x60, 0x00, 0x00, 0xD4}, " Reader command EXECUTED", true},
      {"no error code", {0xE0}, " ERROR 0x00 :", true},
  };
  for (const CCase& c : cases) {
    SCOPED_TRACE(c.what);
    Await(c.expected);
    m_pDoc->m_eScriptType = c.type;
    tvr_test::SetRun(*m_pDoc, true, c.wait);
    m_pDoc->GetRunController().SetTraceOn(c.traceOn);
    m_pDoc->GetDelayOptions().m_bFreeReception = TRUE;
    Decode(c.answer);
    std::vector<Record> expected;
    if (c.text) expected.emplace_back(TRACE_ANSWER_TEXT, c.text);
    if (c.bytes) expected.emplace_back(TRACE_RECEIVED, Str(c.answer));
    EXPECT_EQ(Records(), expected);
    EXPECT_EQ(EndPosted(), c.ends);
    EXPECT_FALSE(m_pDoc->IsWaitingAnswer());
    EXPECT_EQ(m_pDoc->IsTraceOn(), c.traceOn);  // forced on for an unsolicited answer, then restored
    EXPECT_EQ(m_pDoc->GetDelayOptions().m_bFreeReception, c.type == SCRIPT_RAWDATA ? FALSE : TRUE);
  }
}

TEST_F(AnswerDecoder, ShortAnswersAreNeverReadPastTheirEnd) {
  // Every prefix of three answers, in both script types: the sanitizer build
  // checks the reads, and the bytes traced are exactly the answer's.
  const std::vector<Bytes> frames = {MakeAnswerFrame(0xE0, 0x20, {0x6A}), MakeAnswerFrame(0x60, 0xA0, {0x20}),
                                     MakeAnswerFrame(0x60, 0x10, {0x3B, 0x00})};
  for (EScriptType type : {SCRIPT_RAWDATA, SCRIPT_COMMANDS})
    for (const Bytes& frame : frames)
      for (std::size_t length = 0; length <= frame.size(); ++length) {
        m_pDoc->m_eScriptType = type;
        tvr_test::SetRun(*m_pDoc, true, true);
        const Bytes prefix(frame.begin(), frame.begin() + std::ptrdiff_t(length));
        Decode(prefix);
        ASSERT_FALSE(Records().empty());
        EXPECT_EQ(Records().back(), Record(TRACE_RECEIVED, Str(prefix))) << "length " << length;
      }
}

TEST_F(AnswerDecoder, FailedCardSelectionGoesBackToTheOldCard) {
  m_Protocol.SetSelectCard(4);
  m_Protocol.SetOldSelectCard(2);
  m_Slots.ShowSlot(5);
  Decode(MakeAnswerFrame(0xE0, m_Protocol.GetOpcodeSelectCard(), {0x01}));
  EXPECT_EQ(m_Protocol.GetSelectCard(), 2);
  EXPECT_EQ(m_Slots.GetShownSlot(), 1);
}

TEST_F(AnswerDecoder, CardEventBeepsAndClearsTheSlotTheCardLeft) {
  const BYTE atr[] = {0x3B, 0x00};
  m_Slots.SetAtr(atr, 2, 1);
  Decode(MakeAnswerFrame(0x60, 0xA0, {0x21}));  // bit 0 set: a card came in
  EXPECT_TRUE(m_Slots.HasAtr(1));
  Decode(MakeAnswerFrame(0x60, 0xA0, {0x20}));  // the high bits count slots from 1
  EXPECT_FALSE(m_Slots.HasAtr(1));
  Decode(MakeAnswerFrame(0x60, 0xA0, {0x00}));  // no slot 0: nothing to clear
  EXPECT_EQ(m_Prompts.m_Beeps, (std::vector<UINT>{0, 0, 0}));
}

TEST_F(AnswerDecoder, AnswerToResetAndMaskGoToTheSelectedCardsSlot) {
  m_Protocol.SetSelectCard(3);
  const Bytes atr = {0x3B, 0x02, 0x14, 0x50};
  m_pDoc->SetLoopMode(TRUE);
  Decode(MakeAnswerFrame(0x60, 0x30, atr));
  EXPECT_FALSE(m_Slots.HasAtr(2));  // not in loop mode
  m_pDoc->SetLoopMode(FALSE);
  Decode(MakeAnswerFrame(0x60, 0x30, atr));
  EXPECT_EQ(m_Slots.GetAtr(2), atr);  // the data bytes, without the checksum

  Decode(MakeAnswerFrame(0x60, m_Protocol.GetMaskCode(), {'V', '4', 0, '2'}));
  EXPECT_EQ(m_Slots.GetMask(4), "V4");  // one mask for every slot, up to its first zero byte
}

TEST_F(AnswerDecoder, LoopbackStepIsJudgedWithoutMovingTheScript) {
  LoopbackProtocol loopback;
  UseProtocol(loopback);
  m_pDoc->GetRunController().SetTraceOn(FALSE);
  const Bytes answer = MakeAnswerFrame(0x60, 0xD4, {0x4A});
  Decode(answer);
  EXPECT_EQ(Records(), (std::vector<Record>{{1, Str(answer)}, {2, "LOOPBACK : TEST OK\r\n\r\n"}}));
  EXPECT_EQ(m_Prompts.m_Beeps, (std::vector<UINT>{10}));
  EXPECT_EQ(CTVRDispatcher::Instance().PendingCount(), 0u);
  EXPECT_FALSE(m_pDoc->IsRunning());

  // An error the protocol takes as the end of the loopback stops it.
  Await(0xD4);
  Decode(MakeAnswerFrame(0xE0, 0xD4, {0x6A}));
  EXPECT_EQ(loopback.m_byLpb, 0);
  EXPECT_TRUE(EndPosted());  // an ordinary answer again
}

TEST_F(AnswerDecoder, TripleDesExchangeFromChallengeToTheCypheredAnswer) {
  // The directive sent the challenge request as a one-off command.
  m_Crypto.OnChallengeRequested();
  m_pDoc->GetRunController().OnCommandType(1);
  const Bytes challenge = MakeAnswerFrame(0x60, 0x84, {1, 2, 3, 4, 5, 6, 7, 8, 0x90, 0x00});
  Decode(challenge);
  EXPECT_EQ(m_Crypto.m_Challenges, (std::vector<Bytes>{{1, 2, 3, 4, 5, 6, 7, 8, 0}}));  // zero-terminated
  // The bytes are traced once, by the challenge step, and nothing after it.
  EXPECT_EQ(Records(), (std::vector<Record>{{3, " UNKNOWN COMMAND EXECUTED"}, {1, Str(challenge)}}));
  EXPECT_FALSE(m_pDoc->IsTraceOn());
  EXPECT_EQ(CTVRDispatcher::Instance().PendingCount(), 0u);

  // The answer to the cyphered command ends the directive like a statement.
  m_pDoc->GetRunController().OnCommandType(1);
  Decode(MakeAnswerFrame(0x60, 0xD4, {0x4A, 0x90, 0x00}));
  EXPECT_FALSE(m_Crypto.IsExchangePending());
  EXPECT_FALSE(m_Crypto.IsChallengeReceived());
  EXPECT_EQ(Records().at(2), Record(3, " Get firmware EXECUTED"));
  EXPECT_TRUE(m_pDoc->IsTraceOn());
  EXPECT_TRUE(m_pDoc->IsRunning());
  EXPECT_TRUE(EndPosted());
}

TEST_F(AnswerDecoder, ActiveCypheringGetsDataWithoutStatusAndIsResetByAnError) {
  m_Crypto.m_nActivated = 1;
  Decode(MakeAnswerFrame(0x60, 0xD4, {0x4A, 0x07, 0x90, 0x00}));
  Decode(MakeAnswerFrame(0x60, 0xD4, {0x4A}));  // fewer than two data bytes: none
  EXPECT_EQ(m_Crypto.m_Received, (std::vector<Bytes>{{0x4A, 0x07}, {}}));

  // An error during the exchange resets it and ends the directive.
  Await(0xD4);
  m_Crypto.OnChallengeRequested();
  m_Crypto.OnChallengeReceived();
  m_pDoc->GetRunController().SetTraceOn(FALSE);
  m_pDoc->GetRunController().OnCommandType(1);
  Decode(MakeAnswerFrame(0xE0, 0xD4, {0x6A}));
  EXPECT_EQ(m_Crypto.m_nResets, 1);
  EXPECT_FALSE(m_Crypto.IsExchangePending() || m_Crypto.IsChallengeReceived());
  EXPECT_EQ(Records().at(0), Record(3, " ERROR 0x6A : Card removed"));
  EXPECT_TRUE(m_pDoc->IsTraceOn());
  EXPECT_TRUE(EndPosted());
}

}  // namespace
