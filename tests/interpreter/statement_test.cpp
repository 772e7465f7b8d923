// Statements of bytes: the framing, the 300-byte limit over a hundred thousand
// lines, the statements that do nothing, and a statement edited between two
// sends. Assembly over lines, comments, quoted text, tokens and the limit
// itself are the scenario case statements_bytes; the comment lines echoed
// ahead of a statement, statements_echo.
#include <functional>
#include <tuple>

#include "document/board_doc_private.h"
#include "document/line_store.h"
#include "interpreter_fixture.h"
#include "run_state.h"

namespace {

const ByteVec kSelect{0x00, 0xA4, 0x04, 0x00, 0x02, 0x3F, 0x00};

TEST_F(InterpreterTest, TheScriptTypeDecidesTheFraming) {
  CTVRBoardDocPrivate::Of(*m_pDoc).GetRunController().OnCommandType(1);  // left over from a one-off command
  CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = SCRIPT_COMMANDS;
  Step({"00 A4 04 00 02 3F 00;"});
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  const ByteVec& frame = m_pDoc->m_Sent[0];
  ASSERT_EQ(frame.size(), 11u);
  EXPECT_EQ(frame[0], CTVRTestProtocol::FRAME_TYPE);
  EXPECT_EQ(ByteVec(frame.begin() + 3, frame.end() - 1), kSelect);
  EXPECT_EQ(m_pDoc->m_SentCommandKinds[0], 0u) << "a script statement";

  // The PC/SC protocol always runs raw data.
  m_Protocol.SetAnswerLayout(ANSWER_PCSC);
  Step({"00 a4 04 00;"});
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType, SCRIPT_RAWDATA);
  EXPECT_EQ(m_pDoc->m_Sent[1], (ByteVec{0x00, 0xA4, 0x04, 0x00}));
}

// A data file loaded by mistake: a hundred thousand lines after a stray quote.
TEST_F(InterpreterTest, AHundredThousandLinesAfterAStrayQuoteSendTheFirst300Bytes) {
  Strings lines{"\"7f"};
  lines.resize(100000, "00 11 22 33 44 55 66 77 /* data */");
  Step(lines);
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  EXPECT_EQ(m_pDoc->m_Sent[0].size(), 300u);
  EXPECT_EQ(m_pDoc->m_Sent[0][0], 0x00) << "the token with the stray quote reads as 0";
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetCurrentLine(), 100000);
  EXPECT_EQ(Messages(), Strings{"Error : more than 300 bytes in the statement, only the first 300 are sent !"});
}

TEST_F(InterpreterTest, StatementsThatSendNothing) {
  for (const Strings& script :
       {Strings{";", "00 b0;"}, Strings{"a;", "00 b0;"}, Strings{"  ;  ", "00 b0;"}, Strings{"7"}}) {
    SCOPED_TRACE(script[0]);
    tvr_test::SetRun(*m_pDoc, false);
    EXPECT_EQ(Step(script), 0);
    EXPECT_TRUE(m_pDoc->IsRunning()) << "only Stop ends the run";
    EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetMarkedLine(), 0) << "EndCommand was not called";
  }
  EXPECT_TRUE(m_pDoc->m_Sent.empty());
}

// A statement is read once while the script stays as it is: each edit that
// can change one is read anew, whatever it touched.
TEST_F(InterpreterTest, AStatementEditedBetweenTwoSendsGoesOutAsEdited) {
  auto& doc = CTVRBoardDocPrivate::Of(*m_pDoc);
  doc.m_eScriptType = SCRIPT_COMMANDS;
  const std::tuple<std::function<void()>, ByteVec, int> cases[] = {
      // the edit, the bytes line 0 sends then, the line after the statement
      {[] {}, {0x00, 0xA4}, 1},
      {[&doc] { doc.SetLine(0, "00 b0 01;"); }, {0x00, 0xB0, 0x01}, 1},
      {[&doc] { doc.SetLine(0, "00 b0 02"), doc.SetLine(1, "03;"); }, {0x00, 0xB0, 0x02, 0x03}, 2},
      {[&doc] { doc.InsertLine(0, "7f;", 0); }, {0x7F}, 1},
      {[this] { SetScript({"55 66;"}); }, {0x55, 0x66}, 1},
  };
  SetScript({"00 a4;", ".apdu;", "11 22;"});
  for (const auto& [edit, bytes, next] : cases) {
    edit();
    m_pDoc->m_Sent.clear();
    doc.GetLineStore().SetCurrentLine(0);
    doc.SendCurrentCommand();
    ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
    EXPECT_EQ(ByteVec(m_pDoc->m_Sent[0].begin() + 3, m_pDoc->m_Sent[0].end() - 1), bytes);
    EXPECT_EQ(doc.GetLineStore().GetCurrentLine(), next);
  }
}

// A loop's second round reads each statement after the one read before it
// without a look-up: an edit of the next statement, made between two of its
// sends, is still read anew.
TEST_F(InterpreterTest, TheNextStatementOfALoopEditedBeforeItsTurnGoesOutAsEdited) {
  auto& doc = CTVRBoardDocPrivate::Of(*m_pDoc);
  doc.m_eScriptType = SCRIPT_COMMANDS;
  SetScript({"01;", "02;"});
  const auto sendLine = [&](int line) {
    m_pDoc->m_Sent.clear();
    doc.GetLineStore().SetCurrentLine(line);
    doc.SendCurrentCommand();
    EXPECT_EQ(m_pDoc->m_Sent.size(), 1u);
    return m_pDoc->m_Sent.empty() ? ByteVec{} : ByteVec(m_pDoc->m_Sent[0].begin() + 3, m_pDoc->m_Sent[0].end() - 1);
  };
  // A first round, and the second round's first statement.
  EXPECT_EQ(sendLine(0), ByteVec{0x01});
  EXPECT_EQ(sendLine(1), ByteVec{0x02});
  EXPECT_EQ(sendLine(0), ByteVec{0x01});
  doc.SetLine(1, "03;");
  EXPECT_EQ(sendLine(1), ByteVec{0x03});
}

}  // namespace
