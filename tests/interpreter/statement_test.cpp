// Statements of bytes: assembly over lines, comments, quoted text, tokens, the
// 300-byte limit, the comment echo, and the statements that do nothing.
#include <string>
#include <vector>

#include "interpreter_fixture.h"

namespace {

using ByteVec = std::vector<BYTE>;

TEST_F(InterpreterTest, OneLineStatementSendsItsBytesWithTheScriptType) {
  m_pDoc->m_dwCommandType = 1;  // left over from a one-off command
  EXPECT_EQ(Step({"00 A4 04 00 02 3F 00;"}), 1);
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  EXPECT_EQ(m_pDoc->m_Sent[0], (ByteVec{0x00, 0xA4, 0x04, 0x00, 0x02, 0x3F, 0x00})) << "raw data goes unframed";
  EXPECT_TRUE(m_pDoc->m_bRunning);
  EXPECT_EQ(m_pDoc->m_SentCommandKinds[0], 0u) << "a script statement";

  m_pDoc->m_Sent.clear();
  m_pDoc->m_eScriptType = SCRIPT_COMMANDS;
  m_pDoc->m_nCurrentLine = 0;
  m_pDoc->SendCurrentCommand();
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  const ByteVec& frame = m_pDoc->m_Sent[0];
  ASSERT_EQ(frame.size(), 11u) << "framed by the protocol's Command";
  EXPECT_EQ(frame[0], CTVRTestProtocol::FRAME_TYPE);
  EXPECT_EQ(ByteVec(frame.begin() + 3, frame.end() - 1), (ByteVec{0x00, 0xA4, 0x04, 0x00, 0x02, 0x3F, 0x00}));
}

TEST_F(InterpreterTest, StatementOverThreeLinesWithAComment) {
  Step({"00 a4", "04 00 /* select */", "02 3f 00;", "00 b0;"});
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  EXPECT_EQ(m_pDoc->m_Sent[0], (ByteVec{0x00, 0xA4, 0x04, 0x00, 0x02, 0x3F, 0x00}));
  EXPECT_EQ(m_pDoc->m_nCurrentLine, 3) << "the line after the statement";
}

TEST_F(InterpreterTest, StarAndSlashCommentsEndEachLine) {
  Step({"00 a4 * star comment 11", "04 00 // slash 22", "* whole line 33", "01;"});
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  EXPECT_EQ(m_pDoc->m_Sent[0], (ByteVec{0x00, 0xA4, 0x04, 0x00, 0x01}));
}

TEST_F(InterpreterTest, AStatementNeverClosedRunsToTheEndOfTheScript) {
  Step({"00 a4", "04 00"});
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  EXPECT_EQ(m_pDoc->m_Sent[0], (ByteVec{0x00, 0xA4, 0x04, 0x00}));
  EXPECT_EQ(m_pDoc->m_nCurrentLine, 2);
}

TEST_F(InterpreterTest, QuotedTextGivesItsByteValuesInTheCaseWritten) {
  Step({"00 d6 00 00 03 \"abc\";"});
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  EXPECT_EQ(m_pDoc->m_Sent[0], (ByteVec{0x00, 0xD6, 0x00, 0x00, 0x03, 0x61, 0x62, 0x63}));

  m_pDoc->m_Sent.clear();
  Step({"\"AB C\" ff;"});
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  EXPECT_EQ(m_pDoc->m_Sent[0], (ByteVec{0x41, 0x42, 0x20, 0x43, 0xFF}));
}

TEST_F(InterpreterTest, OnlyOneQuotedPairIsConvertedPerLineAdded) {
  // The second pair of the first line waits for the next line; the pair left
  // on the last line is never converted and its token reads as 0.
  Step({"00 \"a\" \"b\"", "\"c\";"});
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  EXPECT_EQ(m_pDoc->m_Sent[0], (ByteVec{0x00, 0x61, 0x62, 0x00}));

  Step({"00 \"a\" \"b\" \"c\"", "\"d\"", "01;"});
  ASSERT_EQ(m_pDoc->m_Sent.size(), 2u);
  EXPECT_EQ(m_pDoc->m_Sent[1], (ByteVec{0x00, 0x61, 0x62, 0x63, 0x00, 0x01}));
}

TEST_F(InterpreterTest, QuotedTextMaySpanTwoLines) {
  // The lines are joined with a space, which the quotes then hold.
  Step({"00 \"ab", "cd\" 01;"});
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  EXPECT_EQ(m_pDoc->m_Sent[0], (ByteVec{0x00, 0x61, 0x62, 0x20, 0x63, 0x64, 0x01}));
}

TEST_F(InterpreterTest, AHugeUnterminatedStatementIsCutAt300Bytes) {
  // A data file loaded by mistake: one statement of a hundred thousand lines,
  // with a stray quote at its top that never closes.
  std::vector<std::string> lines{"\"7f"};
  lines.resize(100000, "00 11 22 33 44 55 66 77 /* data */");
  Step(lines);
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  EXPECT_EQ(m_pDoc->m_Sent[0].size(), 300u);
  EXPECT_EQ(m_pDoc->m_Sent[0][0], 0x00) << "the token with the stray quote reads as 0";
  EXPECT_EQ(m_pDoc->m_Sent[0][2], 0x11);
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_EQ(m_pDoc->m_nCurrentLine, 100000);
}

TEST_F(InterpreterTest, TokensGiveTheLowByteOfTheirHexadecimalValue) {
  Step({"00a4 0400;"});
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  EXPECT_EQ(m_pDoc->m_Sent[0], (ByteVec{0xA4, 0x00}));

  // Non-hexadecimal tokens read their leading hex digits, 0 when none.
  Step({"a4 0a4 1a4 FFFFFFFFFF3c zz 7g 0x3f\t12   ;"});
  ASSERT_EQ(m_pDoc->m_Sent.size(), 2u);
  EXPECT_EQ(m_pDoc->m_Sent[1], (ByteVec{0xA4, 0xA4, 0xA4, 0x3C, 0x00, 0x07, 0x3F, 0x12}));
}

TEST_F(InterpreterTest, MoreThan300BytesSendsTheFirst300AndSaysSo) {
  std::string text;
  ByteVec first300;
  for (int i = 0; i < 301; ++i) {
    char token[4];
    std::snprintf(token, sizeof token, "%02x ", i & 0xFF);
    text += token;
    if (i < 300) first300.push_back(BYTE(i));
  }
  Step({text + ";"});
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  EXPECT_EQ(m_pDoc->m_Sent[0], first300);
  EXPECT_EQ(Messages(),
            std::vector<std::string>{"Error : more than 300 bytes in the statement, only the first 300 are sent !"});

  // Exactly 300 is within the limit.
  Messages().clear();
  text.resize(300 * 3);
  Step({text + ";"});
  ASSERT_EQ(m_pDoc->m_Sent.size(), 2u);
  EXPECT_EQ(m_pDoc->m_Sent[1].size(), 300u);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(InterpreterTest, CommentLinesBeforeAStatementAreEchoedFirst) {
  Step({"00 a4;", "* select MF", "", "00 a4 04 00;"});
  m_pDoc->GetTraceLog().Clear();
  m_pDoc->m_nCurrentLine = 3;
  m_pDoc->SendCurrentCommand();
  EXPECT_EQ(Kinds(), (std::vector<int>{TRACE_COMMENT, TRACE_SENT}));
  EXPECT_EQ(Records(TRACE_COMMENT), std::vector<std::string>{"* select MF\r\n\r\n"});
}

TEST_F(InterpreterTest, OnLineZeroTheEchoLooksAtTheStatementsOwnFirstLine) {
  // With nothing above it, the echo starts on line 0 itself: a one-line
  // statement ends there and is not echoed, the first line of a longer one is.
  Step({"00 a4;", "00 b0;"});
  EXPECT_TRUE(Records(TRACE_COMMENT).empty());
  Step({"00 a4", "04 00;"});
  EXPECT_EQ(Records(TRACE_COMMENT), std::vector<std::string>{"00 a4\r\n"});
}

TEST_F(InterpreterTest, NoEchoForEmptyLinesOnlyOrWithTheTraceOff) {
  Step({"00 a4;", "", "   ", "00 b0;"});
  m_pDoc->GetTraceLog().Clear();
  m_pDoc->m_nCurrentLine = 3;
  m_pDoc->SendCurrentCommand();
  EXPECT_EQ(Records(TRACE_COMMENT), std::vector<std::string>{"\r\n   \r\n"}) << "blanks count as text";

  m_pDoc->GetTraceLog().Clear();
  m_pDoc->m_Lines[2] = "";
  m_pDoc->m_nCurrentLine = 3;
  m_pDoc->SendCurrentCommand();
  EXPECT_TRUE(Records(TRACE_COMMENT).empty());

  m_pDoc->GetTraceLog().Clear();
  m_pDoc->m_Lines[2] = "* hidden";
  m_pDoc->m_bTraceOn = FALSE;
  m_pDoc->m_nCurrentLine = 3;
  m_pDoc->SendCurrentCommand();
  EXPECT_TRUE(Records(TRACE_COMMENT).empty());
  EXPECT_EQ(m_pDoc->m_Sent.size(), 4u) << "the frame still goes out";
}

TEST_F(InterpreterTest, TooShortStatementsSendNothingAndKeepTheRunWaiting) {
  const std::vector<std::vector<std::string>> scripts{{";", "00 b0;"}, {"a;", "00 b0;"}, {"  ;  ", "00 b0;"}, {"7"}};
  for (const auto& script : scripts) {
    SCOPED_TRACE(script[0]);
    m_pDoc->m_bRunning = FALSE;
    EXPECT_EQ(Step(script), 0);
    EXPECT_TRUE(m_pDoc->m_Sent.empty());
    EXPECT_TRUE(m_pDoc->m_bRunning) << "only Stop ends the run";
    EXPECT_EQ(m_pDoc->m_nMarkedLine, 0) << "EndCommand was not called";
  }
}

TEST_F(InterpreterTest, PastTheLastLineNothingRuns) {
  SetScript({"00 a4;"});
  m_pDoc->m_bRunning = TRUE;
  m_pDoc->m_nCurrentLine = 1;
  EXPECT_EQ(m_pDoc->SendCurrentCommand(), 0);
  EXPECT_FALSE(m_pDoc->m_bRunning);
  EXPECT_TRUE(m_pDoc->m_Sent.empty());
}

TEST_F(InterpreterTest, WithoutAProtocolTheRunStaysRunning) {
  m_pDoc->m_pProtocol = nullptr;
  EXPECT_EQ(Step({"00 a4;"}), 1);
  EXPECT_TRUE(m_pDoc->m_Sent.empty());
  EXPECT_TRUE(m_pDoc->m_bRunning);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Unknown Protocol!"});
}

TEST_F(InterpreterTest, ThePcscProtocolAlwaysRunsRawData) {
  m_Protocol.SetMenuId(187);
  m_pDoc->m_eScriptType = SCRIPT_APDU;
  Step({"00 a4 04 00;"});
  EXPECT_EQ(m_pDoc->m_eScriptType, SCRIPT_RAWDATA);
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  EXPECT_EQ(m_pDoc->m_Sent[0], (ByteVec{0x00, 0xA4, 0x04, 0x00}));
}

}  // namespace
