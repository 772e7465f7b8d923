// Run control through the real queue: each statement's frame is answered by
// the test board through a posted answer, the decoder posts the end of the
// command, and EndCommand moves the run on.
#include <string>
#include <vector>

#include <tavric/messages.h>
#include <tavric/trace_record.h>

#include "doc_fixture.h"
#include "trace/trace_log.h"

namespace {

class RunControl : public CTVRDocFixture {
 protected:
  void SetUp() override {
    CTVRDocFixture::SetUp();
    MarkConnected();
    m_pDoc->m_eScriptType = SCRIPT_COMMANDS;
  }

  // Statements "01 0k;": the second command byte (frame byte 4) tells which
  // statement a frame came from.
  void SetStatements(int count) {
    std::vector<std::string> lines;
    for (int k = 1; k <= count; ++k) lines.push_back("01 0" + std::to_string(k) + ";");
    SetScript(lines);
  }
  std::vector<int> SentStatements() {
    std::vector<int> ids;
    for (const auto& frame : m_pDoc->m_Sent) ids.push_back(frame.size() > 4 ? frame[4] : -1);
    return ids;
  }
  int MarkedLine() {
    int marked = -1;
    for (int i = 0; i < m_pDoc->GetLineCount(); ++i) {
      if ((m_pDoc->GetLineState(i) & LINE_NEXT) == 0) continue;
      EXPECT_EQ(marked, -1) << "two lines carry the next-statement mark";
      marked = i;
    }
    return marked;
  }
  void Answer(CTVRBoardDoc& doc, BYTE opcode) {
    const auto answer = MakeAnswerFrame(0x60, opcode);
    PostAnswer(doc.GetDummyWindow()->GetSafeHwnd(), answer.data(), DWORD(answer.size()));
  }
  void Answer(BYTE opcode = 0x01) { Answer(*m_pDoc, opcode); }
};

TEST_F(RunControl, StartRunsEveryStatementToTheEndAndLeavesTheMarkOnTheLast) {
  SetStatements(3);
  m_pDoc->SetResponder(CTVRTestBoard::EchoResponder());
  m_pDoc->DoCommand(ID_SCRIPT_START);
  EXPECT_TRUE(RunQueue());
  EXPECT_EQ(SentStatements(), (std::vector<int>{1, 2, 3}));
  EXPECT_FALSE(m_pDoc->IsRunning());
  EXPECT_TRUE(m_pDoc->m_bStepMode);
  EXPECT_EQ(MarkedLine(), 2);
}

TEST_F(RunControl, StartPastTheLastLineSendsNothing) {
  SetStatements(2);
  m_pDoc->m_nCurrentLine = m_pDoc->GetLineCount();
  m_pDoc->OnScriptStart();
  RunQueue();
  EXPECT_TRUE(m_pDoc->m_Sent.empty());
  EXPECT_FALSE(m_pDoc->IsRunning());
}

TEST_F(RunControl, LoopModeRepeatsUntilStopAndStopMarksTheStatementAfterTheLastSent) {
  SetStatements(3);
  m_pDoc->SetResponder(CTVRTestBoard::EchoResponder());
  m_pDoc->DoCommand(ID_SCRIPT_LOOP);
  ASSERT_TRUE(m_pDoc->m_bLoopMode);
  m_pDoc->OnScriptStart();
  EXPECT_TRUE(
      CTVRDispatcher::Instance().RunUntil([&] { return m_pDoc->m_Sent.size() >= 20; }, std::chrono::seconds(10)));
  m_pDoc->DoCommand(ID_SCRIPT_STOP);
  const std::size_t sent = m_pDoc->m_Sent.size();
  EXPECT_TRUE(RunQueue());
  EXPECT_EQ(m_pDoc->m_Sent.size(), sent);
  EXPECT_FALSE(m_pDoc->IsRunning());
  EXPECT_EQ(m_pDoc->m_nScriptStopCalls, 1);
  const auto ids = SentStatements();
  for (std::size_t i = 0; i < ids.size(); ++i) ASSERT_EQ(ids[i], int(i % 3) + 1);
  EXPECT_EQ(MarkedLine(), ids.back() % 3);
}

TEST_F(RunControl, ALoopOfDirectivesKeepsAFlatStackAndYieldsToStop) {
  // Every statement ends at once, inside the previous one's EndCommand; tens
  // of thousands of them would overflow the stack if each recursed.
  m_pDoc->m_bTraceOn = FALSE;
  SetScript({".info;", ".trace(off);"});
  m_pDoc->m_bLoopMode = TRUE;
  m_pDoc->OnScriptStart();
  EXPECT_TRUE(
      CTVRDispatcher::Instance().RunUntil([&] { return m_pDoc->m_nLoopCounter >= 50000; }, std::chrono::seconds(30)));
  m_pDoc->OnScriptStop();
  const int counter = m_pDoc->m_nLoopCounter;
  EXPECT_TRUE(RunQueue());
  EXPECT_EQ(m_pDoc->m_nLoopCounter, counter);
  EXPECT_FALSE(m_pDoc->IsRunning());
}

TEST_F(RunControl, DirectivesAndFramesRunInScriptOrder) {
  SetScript({".trace(off);", "01 01;", ".trace(on);", ".command;", "01 02;"});
  m_pDoc->SetResponder(CTVRTestBoard::EchoResponder());
  m_pDoc->OnScriptStart();
  RunQueue();
  EXPECT_EQ(SentStatements(), (std::vector<int>{1, 2}));
  // The first frame went out with the trace off, the second with it on again.
  std::vector<std::vector<BYTE>> traced;
  for (std::size_t i = 0; i < m_pDoc->GetTraceLog().GetCount(); ++i) {
    const CTVRTraceRecord r = m_pDoc->GetTraceLog().GetAt(i);
    if (r.m_nKind == TRACE_SENT) traced.emplace_back(r.m_pData, r.m_pData + r.m_dwCount);
  }
  ASSERT_EQ(traced.size(), 1u);
  EXPECT_EQ(traced[0], m_pDoc->m_Sent[1]);
}

TEST_F(RunControl, AContinuationPostedBeforeStopAndStartDoesNotSendAheadOfTheAnswer) {
  // Start runs two directives and queues the third; Stop and Start again run
  // it and send a frame. The queued continuation of the first run must not
  // send the next frame before the reader has answered.
  SetScript({".info;", ".info;", ".info;", "01 01;", "01 02;"});
  m_pDoc->OnScriptStart();
  m_pDoc->OnScriptStop();
  m_pDoc->OnScriptStart();
  RunQueue();
  EXPECT_EQ(SentStatements(), std::vector<int>{1});
  EXPECT_TRUE(m_pDoc->IsRunning());
  EXPECT_TRUE(m_pDoc->m_bWaitAnswer);
}

TEST_F(RunControl, ABreakpointHaltsBeforeItsLineAndStartResumesThere) {
  SetStatements(3);
  m_pDoc->SetLineState(1, m_pDoc->GetLineState(1) | LINE_BREAKPOINT);
  m_pDoc->SetResponder(CTVRTestBoard::EchoResponder());
  m_pDoc->OnScriptStart();
  RunQueue();
  EXPECT_EQ(SentStatements(), std::vector<int>{1});
  EXPECT_FALSE(m_pDoc->IsRunning());
  EXPECT_EQ(MarkedLine(), 1);

  m_pDoc->OnScriptStart();
  RunQueue();
  EXPECT_EQ(SentStatements(), (std::vector<int>{1, 2, 3}));
}

TEST_F(RunControl, StepExecutesExactlyOneStatementEvenOnABreakpoint) {
  SetStatements(3);
  m_pDoc->SetResponder(CTVRTestBoard::EchoResponder());
  m_pDoc->DoCommand(ID_SCRIPT_STEP);
  RunQueue();
  EXPECT_EQ(SentStatements(), std::vector<int>{1});
  EXPECT_FALSE(m_pDoc->IsRunning());
  EXPECT_EQ(MarkedLine(), 1);

  m_pDoc->SetLineState(1, m_pDoc->GetLineState(1) | LINE_BREAKPOINT);
  m_pDoc->OnScriptStep();
  RunQueue();
  EXPECT_EQ(SentStatements(), (std::vector<int>{1, 2}));
  EXPECT_EQ(MarkedLine(), 2);
}

TEST_F(RunControl, ABreakpointDirectiveHaltsAFreeRunAndIsANoOperationOnResume) {
  SetScript({"01 01;", ".b;", "01 02;"});
  m_pDoc->SetResponder(CTVRTestBoard::EchoResponder());
  m_pDoc->OnScriptStart();
  RunQueue();
  EXPECT_EQ(SentStatements(), std::vector<int>{1});
  EXPECT_FALSE(m_pDoc->IsRunning());
  EXPECT_EQ(MarkedLine(), 1);

  m_pDoc->OnScriptStart();
  RunQueue();
  EXPECT_EQ(SentStatements(), (std::vector<int>{1, 2}));
  EXPECT_FALSE(m_pDoc->IsRunning());
}

TEST_F(RunControl, AReaderErrorWithoutAutoPauseWaitsForTheAnswer) {
  SetStatements(2);
  m_pDoc->m_bAutoPause = FALSE;
  m_pDoc->OnScriptStart();
  PostMessage(Window(), WM_RECV_ERROR, 0, 0);
  RunQueue();
  EXPECT_TRUE(m_pDoc->IsRunning());
  EXPECT_EQ(m_Prompts.m_Beeps.size(), 1u);

  Answer();
  RunQueue();
  EXPECT_EQ(SentStatements(), (std::vector<int>{1, 2}));
}

TEST_F(RunControl, AReaderErrorWithAutoPauseStopsAtOnceAndTheLateAnswerIsOnlyTraced) {
  SetStatements(2);
  m_pDoc->OnScriptStart();
  PostMessage(Window(), WM_RECV_ERROR, 0, 0);
  RunQueue();
  EXPECT_FALSE(m_pDoc->IsRunning());
  EXPECT_EQ(MarkedLine(), 1);

  const std::size_t records = m_pDoc->GetTraceLog().GetCount();
  Answer();
  RunQueue();
  EXPECT_EQ(SentStatements(), std::vector<int>{1});
  EXPECT_FALSE(m_pDoc->IsRunning());
  EXPECT_GT(m_pDoc->GetTraceLog().GetCount(), records);
  EXPECT_EQ(MarkedLine(), 1);
}

TEST_F(RunControl, AnAnswerAfterStopDoesNotMoveTheRun) {
  SetStatements(3);
  m_pDoc->OnScriptStart();
  m_pDoc->OnScriptStop();
  EXPECT_FALSE(m_pDoc->m_bWaitAnswer);
  EXPECT_EQ(MarkedLine(), 1);
  Answer();
  RunQueue();
  EXPECT_EQ(SentStatements(), std::vector<int>{1});
  EXPECT_FALSE(m_pDoc->IsRunning());
  EXPECT_EQ(MarkedLine(), 1);
}

TEST_F(RunControl, ARunDoesNotGoOnWhileAnotherDocumentIsActive) {
  SetStatements(2);
  auto pOther = NewBoard();
  pOther->m_pProtocol = &m_Protocol;
  m_pDoc->OnScriptStart();
  CTVRHost::Instance().SetActiveDocument(pOther.get());
  Answer();
  RunQueue();
  EXPECT_EQ(SentStatements(), std::vector<int>{1});
  EXPECT_TRUE(m_pDoc->IsRunning());
  EXPECT_TRUE(pOther->m_Sent.empty());
  EXPECT_FALSE(pOther->IsRunning());
  CTVRHost::Instance().SetActiveDocument(m_pDoc.get());
}

TEST_F(RunControl, AOneOffCommandDuringARunEndsTheRunWithoutMovingTheScript) {
  SetStatements(3);
  m_pDoc->OnScriptStart();
  ASSERT_EQ(MarkedLine(), 0);
  BYTE quick[2] = {0x05, 0x06};
  SendMessage(GetActiveBoard(), WM_COMMAND_TYPE, 1, 0);
  SendMessage(GetActiveBoard(), WM_SEND_COMMAND, WPARAM(quick), 2);
  ASSERT_EQ(m_pDoc->m_SentCommandKinds, (std::vector<DWORD>{0, 1}));

  Answer(0x05);
  Answer(0x01);
  RunQueue();
  EXPECT_EQ(m_pDoc->m_Sent.size(), 2u);
  EXPECT_FALSE(m_pDoc->IsRunning());
  EXPECT_EQ(m_pDoc->m_dwCommandType, 0u);
  EXPECT_EQ(MarkedLine(), 0);
}

TEST_F(RunControl, RunCommandsAreOfferedOnlyWhenTheyApply) {
  CTVRCmdUI start(ID_SCRIPT_START), step(ID_SCRIPT_STEP), stop(ID_SCRIPT_STOP);
  auto update = [&] {
    for (CTVRCmdUI* ui : {&start, &step, &stop}) {
      ui->m_bEnabled = TRUE;
      EXPECT_TRUE(m_pDoc->DoUpdate(*ui));
    }
  };
  update();
  EXPECT_TRUE(start.m_bEnabled);
  EXPECT_TRUE(step.m_bEnabled);
  EXPECT_FALSE(stop.m_bEnabled);
  m_pDoc->m_bRunning = TRUE;
  update();
  EXPECT_FALSE(start.m_bEnabled);
  EXPECT_FALSE(step.m_bEnabled);
  EXPECT_TRUE(stop.m_bEnabled);
  m_pDoc->m_bConnected = FALSE;
  update();
  EXPECT_FALSE(start.m_bEnabled);
  EXPECT_FALSE(stop.m_bEnabled);
}

TEST_F(RunControl, LoopAndScriptTypeCommandsToggleAndCheck) {
  m_pDoc->m_nLoopCounter = 7;
  CTVRCmdUI loop(ID_SCRIPT_LOOP);
  m_pDoc->DoCommand(ID_SCRIPT_LOOP);
  m_pDoc->DoUpdate(loop);
  EXPECT_EQ(loop.m_nCheck, 1);
  EXPECT_EQ(m_pDoc->m_nLoopCounter, 0);
  m_pDoc->DoCommand(ID_SCRIPT_LOOP);
  m_pDoc->DoUpdate(loop);
  EXPECT_EQ(loop.m_nCheck, 0);

  const UINT ids[] = {ID_SCRIPT_RAWDATA, ID_SCRIPT_COMMANDS, ID_SCRIPT_APDU};
  for (int chosen = 0; chosen < 3; ++chosen) {
    m_pDoc->DoCommand(ids[chosen]);
    EXPECT_EQ(m_pDoc->GetScriptType(), EScriptType(chosen));
    for (int other = 0; other < 3; ++other) {
      CTVRCmdUI ui(ids[other]);
      m_pDoc->DoUpdate(ui);
      EXPECT_EQ(ui.m_nCheck, other == chosen ? 1 : 0);
    }
  }
}

}  // namespace
