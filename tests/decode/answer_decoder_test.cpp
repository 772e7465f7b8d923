// Answers of the generic layout (Command.txt / Error.txt protocols) through the
// answer decoder: the decoded text, the received bytes, the card slots, the
// cyphering and loopback hooks, and when the running statement ends.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tavric/crypto.h>

#include "decode/answer_decoder.h"
#include "doc_fixture.h"
#include "trace/trace_log.h"

namespace {

const std::string kDataDir = std::string(TAVRIC_TEST_DATA_DIR) + "/decode";

struct Record {
  int kind;
  std::string data;
  bool operator==(const Record& other) const { return kind == other.kind && data == other.data; }
};

std::ostream& operator<<(std::ostream& os, const Record& r) {
  return os << "{" << r.kind << ", \"" << r.data << "\"}";
}

std::string Str(const std::vector<BYTE>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

class LoopbackProtocol : public CTVRTestProtocol {
 public:
  BYTE GetLpbActivated() override { return m_byLpb; }
  void SetLpbActivated(BYTE state) override { m_byLpb = state; }
  int LpbGie(BYTE*, DWORD) override { return m_nResult; }
  int LpbEmv(BYTE*, DWORD) override { return m_nResult; }
  int GetErrorLpb(BYTE*, DWORD) override { return m_nErrorLpb; }

  BYTE m_byLpb = 0;
  int m_nResult = 0;
  int m_nErrorLpb = 0;
};

class RecordingCrypto : public CTVRCrypto {
 public:
  int GetCryptoActivated() override { return m_nActivated; }
  void ReceivedData(BYTE* data, DWORD length) override { m_Received.emplace_back(data, data + length); }
  void ResetCrypto() override { ++m_nResets; }
  void TripleDes(BYTE* data, DWORD& length) override {
    m_Challenge.assign(data, data + length);
    m_byAfterChallenge = data[length];
    ++m_nTripleDesCalls;
  }

  int m_nActivated = 0;
  int m_nResets = 0;
  int m_nTripleDesCalls = 0;
  std::vector<std::vector<BYTE>> m_Received;
  std::vector<BYTE> m_Challenge;
  BYTE m_byAfterChallenge = 0xFF;
};

class RecordingHook : public CTVRAnswerHook {
 public:
  explicit RecordingHook(CTVRBoardDoc& doc) : m_Doc(doc) {}
  BOOL IsWaitingAnswer() const override { return m_bWaiting; }
  void OnAnswer(const BYTE* answer, DWORD length) override {
    m_Answer.assign(answer, answer + length);
    m_nRecordsAtCall = m_Doc.GetTraceLog().GetCount();
    m_bWaiting = FALSE;
  }
  CTVRBoardDoc& m_Doc;
  BOOL m_bWaiting = TRUE;
  std::vector<BYTE> m_Answer;
  std::size_t m_nRecordsAtCall = 0;
};

class HintView : public CTVRView {
 public:
  void OnUpdate(CTVRView*, LPARAM hint, void*) override { m_Hints.push_back(hint); }
  std::vector<LPARAM> m_Hints;
};

class AnswerDecoder : public CTVRDocFixture {
 protected:
  void SetUp() override {
    CTVRDocFixture::SetUp();
    m_Protocol.CmdTable().LoadPath(kDataDir + "/Command.txt");
    m_Protocol.ErrorTable().LoadPath(kDataDir + "/Error.txt");
    // A statement of a script of commands awaits the answer to D4.
    m_pDoc->m_eScriptType = SCRIPT_COMMANDS;
    m_pDoc->m_bWaitAnswer = TRUE;
    m_pDoc->m_byExpectedOpcode = 0xD4;
    m_pDoc->m_bRunning = TRUE;
    m_Slots.SetListener(nullptr);
    for (BYTE slot = 0; slot < CTVRCardSlots::SLOT_COUNT; ++slot) m_Slots.ClearAtr(slot);
    RunQueue();
    m_nFirstRecord = m_pDoc->GetTraceLog().GetCount();
  }

  // Decodes a copy of the answer that holds exactly its bytes, so that a read
  // past its end is caught by the address sanitizer.
  void Decode(const std::vector<BYTE>& answer) {
    std::unique_ptr<BYTE[]> copy(new BYTE[answer.size() ? answer.size() : 1]);
    std::copy(answer.begin(), answer.end(), copy.get());
    CTVRAnswerDecoder::Decode(*m_pDoc, answer.empty() ? nullptr : copy.get(), DWORD(answer.size()));
  }

  std::vector<Record> Records() const {
    std::vector<Record> records;
    const CTVRTraceLog& log = m_pDoc->GetTraceLog();
    for (std::size_t i = m_nFirstRecord; i < log.GetCount(); ++i) {
      CTVRTraceRecord r = log.GetAt(i);
      records.push_back({r.m_nKind, std::string(reinterpret_cast<const char*>(r.m_pData), r.m_dwCount)});
    }
    return records;
  }

  // Whether the end of the statement was posted (and nothing else).
  static bool EndPosted() { return CTVRDispatcher::Instance().PendingCount() == 1; }
  static bool NothingPosted() { return CTVRDispatcher::Instance().PendingCount() == 0; }

  CTVRCardSlots& m_Slots = CTVRHost::Instance().GetCardSlots();
  std::size_t m_nFirstRecord = 0;
};

TEST_F(AnswerDecoder, NamedCommandIsTracedAsExecutedThenItsBytesAndEndsTheStatement) {
  auto answer = MakeAnswerFrame(0x60, 0xD4, {0x4A, 0x01});
  Decode(answer);
  EXPECT_EQ(Records(), (std::vector<Record>{{3, " Get firmware EXECUTED"}, {1, Str(answer)}}));
  EXPECT_TRUE(EndPosted());
  EXPECT_FALSE(m_pDoc->m_bWaitAnswer);
  EXPECT_TRUE(m_pDoc->m_bRunning);
}

TEST_F(AnswerDecoder, AnswerWithAnotherOpcodeLeavesTheStatementOpen) {
  m_pDoc->m_byExpectedOpcode = 0x30;
  Decode(MakeAnswerFrame(0x60, 0xD4, {0x02}));
  EXPECT_EQ(Records().at(0), (Record{3, " Reader command EXECUTED"}));
  EXPECT_TRUE(NothingPosted());
  EXPECT_FALSE(m_pDoc->m_bWaitAnswer);
}

TEST_F(AnswerDecoder, RawDataScriptTracesOnlyTheBytesAndEndsWhateverTheOpcode) {
  m_pDoc->m_eScriptType = SCRIPT_RAWDATA;
  m_pDoc->m_byExpectedOpcode = 0x55;
  m_pDoc->GetDelayOptions().m_bFreeReception = TRUE;
  auto answer = MakeAnswerFrame(0x60, 0xD4, {0x4A});
  Decode(answer);
  EXPECT_EQ(Records(), (std::vector<Record>{{1, Str(answer)}}));
  EXPECT_TRUE(EndPosted());
  EXPECT_FALSE(m_pDoc->GetDelayOptions().m_bFreeReception);
}

TEST_F(AnswerDecoder, UnknownCodesAndClassesAreReportedAsSuch) {
  Decode(MakeAnswerFrame(0x60, 0x30, {0x02}));  // class 30 names code 01 only
  Decode(MakeAnswerFrame(0x60, 0x77, {0x01}));  // class 77 is not in the file
  m_pDoc->m_bWaitAnswer = FALSE;
  Decode(MakeAnswerFrame(0x60, 0x30, {0x01}));  // not awaited: no " EXECUTED"
  auto records = Records();
  ASSERT_EQ(records.size(), 6u);
  EXPECT_EQ(records[0], (Record{3, " UNKNOWN COMMAND (see command.txt) EXECUTED"}));
  EXPECT_EQ(records[2], (Record{3, " UNKNOWN COMMAND EXECUTED"}));
  EXPECT_EQ(records[4], (Record{3, " Power up"}));
}

TEST_F(AnswerDecoder, ErrorAnswerShowsTheCodeAndItsDescription) {
  Decode(MakeAnswerFrame(0xE0, 0xD4, {0x6A}));
  Decode(MakeAnswerFrame(0xE0, 0xD4, {0x55}));
  auto records = Records();
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0], (Record{3, " ERROR 0x6A : Card removed"}));
  EXPECT_EQ(records[2], (Record{3, " ERROR 0x55 :"}));  // undefined: nothing after the colon
}

TEST_F(AnswerDecoder, ErrorAnswerInARawDataScriptIsNotDecoded) {
  m_pDoc->m_eScriptType = SCRIPT_RAWDATA;
  auto answer = MakeAnswerFrame(0xE0, 0xD4, {0x6A});
  Decode(answer);
  EXPECT_EQ(Records(), (std::vector<Record>{{1, Str(answer)}}));
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
  Decode(MakeAnswerFrame(0x60, 0xA0, {0x20}));  // slot 2 counted from 1: slot 1
  EXPECT_FALSE(m_Slots.HasAtr(1));
  EXPECT_EQ(m_Prompts.m_Beeps, (std::vector<UINT>{0, 0}));

  m_Slots.SetAtr(atr, 2, 0);
  m_pDoc->m_bBeepOnError = FALSE;
  Decode(MakeAnswerFrame(0x60, 0xA0, {0x10}));
  EXPECT_FALSE(m_Slots.HasAtr(0));
  EXPECT_EQ(m_Prompts.m_Beeps.size(), 2u);
}

TEST_F(AnswerDecoder, AnswerToResetGoesToTheSelectedCardsSlotOutsideLoopMode) {
  m_Protocol.SetSelectCard(3);
  const std::vector<BYTE> atr = {0x3B, 0x02, 0x14, 0x50};
  m_pDoc->m_bLoopMode = TRUE;
  Decode(MakeAnswerFrame(0x60, 0x30, atr));
  EXPECT_FALSE(m_Slots.HasAtr(2));
  EXPECT_EQ(Records().at(1).kind, 1);  // traced all the same

  m_pDoc->m_bLoopMode = FALSE;
  Decode(MakeAnswerFrame(0x60, 0x30, atr));
  EXPECT_TRUE(m_Slots.HasAtr(2));
  EXPECT_EQ(m_Slots.GetAtr(2), atr);  // the data bytes, without the checksum
}

TEST_F(AnswerDecoder, MaskAnswerSetsTheMaskOfEverySlot) {
  m_Protocol.SetSelectCard(2);
  Decode(MakeAnswerFrame(0x60, m_Protocol.GetMaskCode(), {'V', '4', '.', '2'}));
  EXPECT_EQ(m_Slots.GetMask(1), "V4.2");
  EXPECT_EQ(m_Slots.GetMask(4), "V4.2");
  EXPECT_EQ(m_Slots.GetShownSlot(), 1);
}

TEST_F(AnswerDecoder, UnsolicitedAnswerIsTracedEvenWithTraceOff) {
  m_pDoc->m_bWaitAnswer = FALSE;
  m_pDoc->m_bTraceOn = FALSE;
  auto answer = MakeAnswerFrame(0x60, 0xD4, {0x4A});
  Decode(answer);
  EXPECT_EQ(Records(), (std::vector<Record>{{3, " Get firmware"}, {1, Str(answer)}}));
  EXPECT_FALSE(m_pDoc->m_bTraceOn);
  EXPECT_TRUE(NothingPosted());
}

TEST_F(AnswerDecoder, AwaitedAnswerWithTraceOffIsNotTracedButEndsTheStatement) {
  m_pDoc->m_bTraceOn = FALSE;
  Decode(MakeAnswerFrame(0x60, 0xD4, {0x4A}));
  EXPECT_TRUE(Records().empty());
  EXPECT_TRUE(EndPosted());
}

TEST_F(AnswerDecoder, AnswerToAOneOffCommandEndsItWithoutMovingTheScript) {
  m_pDoc->m_dwCommandType = 1;
  Decode(MakeAnswerFrame(0x60, 0xD4, {0x4A}));
  EXPECT_TRUE(NothingPosted());
  EXPECT_FALSE(m_pDoc->m_bRunning);
  EXPECT_FALSE(m_pDoc->m_bWaitAnswer);
  EXPECT_EQ(m_pDoc->m_dwCommandType, 0u);
}

TEST_F(AnswerDecoder, ViewsHearOfEveryAnswerWithHint8AfterItsRecords) {
  HintView view;
  m_pDoc->AddView(&view);
  Decode(MakeAnswerFrame(0x60, 0xD4, {0x4A}));
  m_pDoc->RemoveView(&view);
  EXPECT_EQ(view.m_Hints, (std::vector<LPARAM>{HINT_TRACE_RECORD, HINT_TRACE_RECORD, HINT_EXTENT}));
}

TEST_F(AnswerDecoder, RegisterDialogGetsTheAnswerFirst) {
  RecordingHook hook(*m_pDoc);
  m_pDoc->m_pRegisterDialog = &hook;
  auto answer = MakeAnswerFrame(0x60, 0xD4, {0x4A});
  Decode(answer);
  m_pDoc->m_pRegisterDialog = nullptr;
  EXPECT_EQ(hook.m_Answer, answer);
  EXPECT_EQ(hook.m_nRecordsAtCall, m_nFirstRecord);
  EXPECT_EQ(Records().size(), 2u);  // and the answer is decoded as usual
}

TEST_F(AnswerDecoder, OtherLayoutsGetOnlyTheCommonEndForNow) {
  m_Protocol.SetMenuId(187);
  auto answer = MakeAnswerFrame(0x60, 0xD4, {0x4A});
  Decode(answer);
  EXPECT_EQ(Records(), (std::vector<Record>{{1, Str(answer)}}));
  EXPECT_TRUE(EndPosted());
}

TEST_F(AnswerDecoder, ShortAnswersAreNeverReadPastTheirEnd) {
  // Every prefix of three answers, in both script types: the decoder must
  // neither crash nor read beyond the length (the sanitizer build checks the
  // reads), and the bytes traced are exactly the answer's.
  const std::vector<std::vector<BYTE>> frames = {MakeAnswerFrame(0xE0, 0x20, {0x6A}),
                                                 MakeAnswerFrame(0x60, 0xA0, {0x20}),
                                                 MakeAnswerFrame(0x60, 0x10, {0x3B, 0x00})};
  for (EScriptType type : {SCRIPT_RAWDATA, SCRIPT_COMMANDS}) {
    for (const auto& frame : frames) {
      for (std::size_t length = 0; length <= frame.size(); ++length) {
        m_pDoc->m_eScriptType = type;
        m_pDoc->m_bWaitAnswer = TRUE;
        std::vector<BYTE> prefix(frame.begin(), frame.begin() + std::ptrdiff_t(length));
        Decode(prefix);
        ASSERT_FALSE(Records().empty());
        EXPECT_EQ(Records().back(), (Record{1, Str(prefix)})) << "length " << length;
      }
    }
  }
}

TEST_F(AnswerDecoder, BytesBeyondTheAnswerReadAsZero) {
  Decode({0x60, 0x00, 0x00, 0xD4});  // no data byte: code 00 of class D4
  Decode({0xE0});                    // no error code byte
  auto records = Records();
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0], (Record{3, " Reader command EXECUTED"}));
  EXPECT_EQ(records[2], (Record{3, " ERROR 0x00 :"}));
}

TEST_F(AnswerDecoder, EmptyAnswerIsNoErrorAnswerEvenForErrorCodeZero) {
  m_Protocol.SetProtocolErrorCode(0x00);
  Decode({});
  EXPECT_EQ(Records(), (std::vector<Record>{{1, ""}}));
}

TEST_F(AnswerDecoder, WithoutAProtocolOnlyTheBytesAreTraced) {
  m_pDoc->m_pProtocol = nullptr;
  auto answer = MakeAnswerFrame(0x60, 0xD4, {0x4A});
  Decode(answer);
  EXPECT_EQ(Records(), (std::vector<Record>{{1, Str(answer)}}));
}

class AnswerDecoderLoopback : public AnswerDecoder {
 protected:
  void SetUp() override {
    AnswerDecoder::SetUp();
    m_Loopback.CmdTable().LoadPath(kDataDir + "/Command.txt");
    UseProtocol(m_Loopback);
  }
  LoopbackProtocol m_Loopback;
};

TEST_F(AnswerDecoderLoopback, PassedStepIsTracedWithABeepAndDoesNotMoveTheScript) {
  m_Loopback.m_byLpb = 1;
  m_Loopback.m_nResult = 1;
  m_pDoc->m_bTraceOn = FALSE;
  auto answer = MakeAnswerFrame(0x60, 0xD4, {0x4A});
  Decode(answer);
  EXPECT_EQ(Records(), (std::vector<Record>{{1, Str(answer)}, {2, "LOOPBACK : TEST OK\r\n\r\n"}}));
  EXPECT_EQ(m_Prompts.m_Beeps, (std::vector<UINT>{10}));
  EXPECT_TRUE(NothingPosted());
  EXPECT_FALSE(m_pDoc->m_bRunning);
  EXPECT_EQ(m_pDoc->m_dwCommandType, 0u);
}

TEST_F(AnswerDecoderLoopback, EmvStepThatFailsWritesNoSuccessText) {
  m_Loopback.m_byLpb = 2;
  m_Loopback.m_nResult = 0;
  Decode(MakeAnswerFrame(0x60, 0xD4, {0x4A}));
  for (const Record& r : Records()) EXPECT_NE(r.kind, 2);
  EXPECT_TRUE(m_Prompts.m_Beeps.empty());
  EXPECT_TRUE(NothingPosted());
}

TEST_F(AnswerDecoderLoopback, ErrorThatEndsTheLoopbackStopsIt) {
  m_Loopback.m_byLpb = 1;
  m_Loopback.m_nResult = 1;
  m_Loopback.m_nErrorLpb = 1;
  Decode(MakeAnswerFrame(0xE0, 0xD4, {0x6A}));
  EXPECT_EQ(m_Loopback.m_byLpb, 0);
  for (const Record& r : Records()) EXPECT_NE(r.kind, 2);
  EXPECT_TRUE(EndPosted());  // an ordinary answer again
}

class AnswerDecoderCrypto : public AnswerDecoder {
 protected:
  void SetUp() override {
    AnswerDecoder::SetUp();
    m_pDoc->m_pCrypto = &m_Crypto;
  }
  void TearDown() override {
    m_pDoc->m_pCrypto = nullptr;
    AnswerDecoder::TearDown();
  }
  RecordingCrypto m_Crypto;
};

TEST_F(AnswerDecoderCrypto, ChallengeAnswerGoesToTripleDesAndSilencesTheTrace) {
  // The directive injected the challenge request as a one-off command.
  m_Crypto.m_bAuthenticationPending = 1;
  m_pDoc->m_dwCommandType = 1;
  auto answer = MakeAnswerFrame(0x60, 0x84, {1, 2, 3, 4, 5, 6, 7, 8, 0x90, 0x00});
  Decode(answer);
  EXPECT_EQ(m_Crypto.m_nTripleDesCalls, 1);
  EXPECT_EQ(m_Crypto.m_Challenge, (std::vector<BYTE>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(m_Crypto.m_byAfterChallenge, 0);  // zero-terminated
  EXPECT_EQ(m_Crypto.m_bChallengeReceived, 1);
  // The bytes are traced once, by the challenge step, and nothing after it.
  auto records = Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], (Record{3, " UNKNOWN COMMAND EXECUTED"}));
  EXPECT_EQ(records[1], (Record{1, Str(answer)}));
  EXPECT_FALSE(m_pDoc->m_bTraceOn);
  EXPECT_TRUE(NothingPosted());
}

TEST_F(AnswerDecoderCrypto, AnswerToTheCypheredCommandEndsTheDirectiveLikeAStatement) {
  m_Crypto.m_bAuthenticationPending = 1;
  m_Crypto.m_bChallengeReceived = 1;
  m_pDoc->m_bTraceOn = FALSE;
  m_pDoc->m_bWaitAnswer = FALSE;
  m_pDoc->m_bRunning = FALSE;
  m_pDoc->m_dwCommandType = 1;
  Decode(MakeAnswerFrame(0x60, 0xD4, {0x4A, 0x90, 0x00}));
  EXPECT_EQ(m_Crypto.m_bAuthenticationPending, 0);
  EXPECT_EQ(m_Crypto.m_bChallengeReceived, 0);
  EXPECT_EQ(Records().at(0), (Record{3, " Get firmware EXECUTED"}));
  EXPECT_TRUE(m_pDoc->m_bTraceOn);
  EXPECT_TRUE(m_pDoc->m_bRunning);
  EXPECT_TRUE(EndPosted());
  EXPECT_EQ(m_Crypto.m_nTripleDesCalls, 0);
}

TEST_F(AnswerDecoderCrypto, ErrorDuringTheExchangeResetsItAndEndsTheDirective) {
  m_Crypto.m_nActivated = 1;
  m_Crypto.m_bAuthenticationPending = 1;
  m_Crypto.m_bChallengeReceived = 1;
  m_pDoc->m_bTraceOn = FALSE;
  m_pDoc->m_dwCommandType = 1;
  Decode(MakeAnswerFrame(0xE0, 0xD4, {0x6A}));
  EXPECT_EQ(m_Crypto.m_nResets, 1);
  EXPECT_EQ(m_Crypto.m_bAuthenticationPending, 0);
  EXPECT_EQ(m_Crypto.m_bChallengeReceived, 0);
  EXPECT_EQ(Records().at(0), (Record{3, " ERROR 0x6A : Card removed"}));
  EXPECT_TRUE(m_pDoc->m_bTraceOn);
  EXPECT_TRUE(EndPosted());
}

TEST_F(AnswerDecoderCrypto, ActiveCypheringGetsTheDataWithoutStatusBytes) {
  m_Crypto.m_nActivated = 1;
  Decode(MakeAnswerFrame(0x60, 0xD4, {0x4A, 0x07, 0x90, 0x00}));
  Decode(MakeAnswerFrame(0x60, 0xD4, {0x4A}));  // fewer than two data bytes: none
  ASSERT_EQ(m_Crypto.m_Received.size(), 2u);
  EXPECT_EQ(m_Crypto.m_Received[0], (std::vector<BYTE>{0x4A, 0x07}));
  EXPECT_TRUE(m_Crypto.m_Received[1].empty());
  EXPECT_EQ(m_Crypto.m_nResets, 0);
}

}  // namespace
