// Run control through the real queue: each statement's frame is answered
// through a posted answer, the decoder posts the end of the command, and
// EndCommand moves the run on (the route of commands the document does not
// handle itself: ProtocolMenu).
#include <tuple>

#include <tavric/messages.h>

#include "doc_fixture.h"
#include "document/board_doc_private.h"
#include "document/run_controller.h"
#include "trace/trace_log.h"
#include "trace_reader.h"

namespace {

// The statements sent so far, whether the run goes on, the marked line.
using Outcome = std::tuple<std::vector<int>, bool, int>;

class RunControl : public CTVRDocFixture {
 protected:
  void SetUp() override {
    CTVRDocFixture::SetUp();
    MarkConnected();
    CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = SCRIPT_COMMANDS;
  }
  // Statements "01 0k;": the second command byte (frame byte 4) tells which
  // statement a frame came from.
  void SetStatements(int count) {
    std::vector<std::string> lines;
    for (int k = 1; k <= count; ++k) lines.push_back("01 0" + std::to_string(k) + ";");
    SetScript(lines);
    m_pDoc->m_Sent.clear();
  }
  Outcome Now() {
    std::vector<int> sent;
    for (const auto& frame : m_pDoc->m_Sent) sent.push_back(frame.size() > 4 ? frame[4] : -1);
    const std::vector<int> marked = tvr_test::MarkedLines(*m_pDoc);
    EXPECT_EQ(marked.size(), 1u) << "one line carries the next-statement mark";
    return {sent, bool(m_pDoc->IsRunning()), marked.empty() ? -1 : marked.back()};
  }
  void Answer(BYTE opcode = 0x01) {
    const auto answer = MakeAnswerFrame(0x60, opcode);
    PostAnswer(Window(), answer.data(), DWORD(answer.size()));
  }
  void StartAndRun() {
    CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStart();
    EXPECT_TRUE(RunQueue());
  }
};

TEST_F(RunControl, LoopModeRepeatsUntilStopAndStopMarksTheStatementAfterTheLastSent) {
  SetStatements(3);
  m_pDoc->SetResponder(CTVRTestBoard::EchoResponder());
  m_pDoc->DoCommand(ID_SCRIPT_LOOP);
  CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStart();
  EXPECT_TRUE(
      CTVRDispatcher::GetInstalled()->RunUntil([&] { return m_pDoc->m_Sent.size() >= 20; }, std::chrono::seconds(10)));
  m_pDoc->DoCommand(ID_SCRIPT_STOP);
  std::vector<int> cycle;
  for (std::size_t i = 0; i < m_pDoc->m_Sent.size(); ++i) cycle.push_back(int(i % 3) + 1);
  EXPECT_TRUE(RunQueue());
  EXPECT_EQ(Now(), Outcome(cycle, false, cycle.back() % 3));
}

// A breakpoint, or a breakpoint line, halts a free run and Start resumes it;
// Step executes one statement even on a breakpoint, and Start after it runs
// to the end, the mark staying on the last statement. Each ends at the
// script's end.
TEST_F(RunControl, ABreakpointHaltsAFreeRunAndStepExecutesOneStatementEvenOnOne) {
  const struct {
    std::vector<std::string> script;  // line 1 carries a breakpoint
    std::vector<std::pair<UINT, Outcome>> presses;
  } cases[] = {
      {{"01 01;", "01 02;"}, {{ID_SCRIPT_START, {{1}, false, 1}}, {ID_SCRIPT_START, {{1, 2}, false, 1}}}},
      {{"01 01;", ".b;", "01 02;"}, {{ID_SCRIPT_START, {{1}, false, 1}}, {ID_SCRIPT_START, {{1, 2}, false, 2}}}},
      // An expectation is checked with the statement it follows, but not past a breakpoint.
      {{"01 01;", ".expect(*);", "01 02;"},
       {{ID_SCRIPT_START, {{1}, false, 1}}, {ID_SCRIPT_START, {{1, 2}, false, 2}}}},
      {{"01 01;", "01 02;", "01 03;"},
       {{ID_SCRIPT_STEP, {{1}, false, 1}},
        {ID_SCRIPT_STEP, {{1, 2}, false, 2}},
        {ID_SCRIPT_START, {{1, 2, 3}, false, 2}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script[1]);
    SetScript(c.script);
    CTVRBoardDocPrivate::Of(*m_pDoc).SetLineState(1,
                                                  CTVRBoardDocPrivate::Of(*m_pDoc).GetLineState(1) | LINE_BREAKPOINT);
    m_pDoc->m_Sent.clear();
    m_pDoc->SetResponder(CTVRTestBoard::EchoResponder());
    for (const auto& [command, outcome] : c.presses) {
      m_pDoc->DoCommand(command);
      EXPECT_TRUE(RunQueue());
      EXPECT_EQ(Now(), outcome) << command;
    }
    EXPECT_TRUE(CTVRBoardDocPrivate::Of(*m_pDoc).IsStepMode()) << "the script's end leaves step mode on";
  }
}

// A breakpoint set on an expectation's line while a loop runs halts the loop
// there, though the rounds before checked it with its statement.
TEST_F(RunControl, ABreakpointSetDuringALoopHaltsItOnAnExpectation) {
  SetScript({"01 01;", ".expect(*);", "01 02;"});
  m_pDoc->m_Sent.clear();
  m_pDoc->SetResponder(CTVRTestBoard::EchoResponder());
  m_pDoc->DoCommand(ID_SCRIPT_LOOP);
  CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStart();
  auto& dispatcher = *CTVRDispatcher::GetInstalled();
  ASSERT_TRUE(dispatcher.RunUntil([&] { return m_pDoc->m_Sent.size() >= 6; }, std::chrono::seconds(10)));
  CTVRBoardDocPrivate::Of(*m_pDoc).SetLineState(1, CTVRBoardDocPrivate::Of(*m_pDoc).GetLineState(1) | LINE_BREAKPOINT);
  EXPECT_TRUE(dispatcher.RunUntil([&] { return !m_pDoc->IsRunning(); }, std::chrono::seconds(10)));
  EXPECT_EQ(std::get<2>(Now()), 1);
  EXPECT_EQ(m_pDoc->m_Sent.back().at(4), 1) << "halted before the check that follows statement 1";
  m_pDoc->DoCommand(ID_SCRIPT_STOP);
}

// The answer awaited when a reader error (or Stop) comes is traced in any case,
// and moves the run on only when the error did not pause it.
TEST_F(RunControl, AReaderErrorBeepsAndStopsTheRunOnlyWithAutoPause) {
  enum { kErrorWithoutAutoPause, kErrorWithAutoPause, kStop };
  for (int c : {kErrorWithoutAutoPause, kErrorWithAutoPause, kStop}) {
    SCOPED_TRACE(c);
    SetStatements(2);
    m_Prompts.m_Beeps.clear();
    CTVRBoardDocPrivate::Of(*m_pDoc).m_bAutoPause = c == kErrorWithAutoPause;
    CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStart();
    if (c == kStop)
      m_pDoc->OnScriptStop();
    else
      PostMessage(Window(), WM_RECV_ERROR, 0, 0);
    RunQueue();
    EXPECT_EQ(Now(), Outcome({1}, c == kErrorWithoutAutoPause, c == kErrorWithoutAutoPause ? 0 : 1));
    EXPECT_EQ(m_pDoc->IsWaitingAnswer(), c == kErrorWithoutAutoPause);
    EXPECT_EQ(m_Prompts.m_Beeps.size(), c == kStop ? 0u : 1u);
    const std::size_t records = CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().GetCount();
    Answer();
    RunQueue();
    EXPECT_GT(CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().GetCount(), records);
    EXPECT_EQ(Now(), c == kErrorWithoutAutoPause ? Outcome({1, 2}, true, 1) : Outcome({1}, false, 1));
    m_pDoc->OnScriptStop();
  }
}

// A failed expectation under each .on_mismatch, pressed through Step or Start
// in loop mode: the frames sent, how the run rests, the counts. (A free run:
// the scenario cases verdicts_on_mismatch_*.)
TEST_F(RunControl, AMismatchGoesOnPausesOrStopsTheRunInFreeStepAndLoopMode) {
  enum EMode { kRun, kStep, kLoop };
  const struct {
    const char* action;
    EMode mode;
    int presses;
    std::vector<int> sent;
    CTVRRunController::ERunState state;
    bool pausedOnMismatch;
    unsigned long long met, failed;
  } cases[] = {
      {"pause", kStep, 4, {1}, CTVRRunController::RUN_PAUSED, true, 1, 1},
      {"pause", kStep, 5, {1, 2}, CTVRRunController::RUN_IDLE, false, 1, 1},  // the script's end
      {"stop", kStep, 4, {1}, CTVRRunController::RUN_STOPPED, false, 1, 1},
      {"pause", kLoop, 2, {1, 2, 1}, CTVRRunController::RUN_PAUSED, true, 2, 2},
      {"stop", kLoop, 1, {1}, CTVRRunController::RUN_STOPPED, false, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.action) + " " + std::to_string(c.mode) + " " + std::to_string(c.presses));
    // The echo is never empty: the second expectation fails.
    SetScript({".on_mismatch(" + std::string(c.action) + ");", "01 01;", ".expect(*);", ".expect();", "01 02;"});
    m_pDoc->m_Sent.clear();
    m_pDoc->SetResponder(CTVRTestBoard::EchoResponder());
    CTVRBoardDocPrivate::Of(*m_pDoc).SetLoopMode(c.mode == kLoop);
    for (int i = 0; i < c.presses; ++i) {
      m_pDoc->DoCommand(c.mode == kStep ? ID_SCRIPT_STEP : ID_SCRIPT_START);
      ASSERT_TRUE(RunQueue());
    }
    const CTVRRunController& run = CTVRBoardDocPrivate::Of(*m_pDoc).GetRunController();
    // Whichever way it rests, the mark is on the line after the failed expectation.
    EXPECT_EQ(Now(), Outcome(c.sent, false, 4));
    EXPECT_EQ(int(run.GetState()), int(c.state));
    EXPECT_EQ(run.IsPausedOnMismatch(), c.pausedOnMismatch);
    EXPECT_EQ(run.GetVerdicts().GetMet(), c.met);
    EXPECT_EQ(run.GetVerdicts().GetFailed(), c.failed);
    ASSERT_EQ(run.GetVerdicts().GetMismatches().size(), c.failed);
    EXPECT_EQ(run.GetVerdicts().GetMismatches().back().m_nLine, 4);
    m_pDoc->OnScriptStop();
    CTVRBoardDocPrivate::Of(*m_pDoc).SetLoopMode(FALSE);
  }
}

TEST_F(RunControl, AContinuationPostedBeforeStopAndStartDoesNotSendAheadOfTheAnswer) {
  // Start runs a row of directives and queues the next one; Stop and Start
  // again run it and send a frame. The queued continuation of the first run
  // must not send the next frame before the reader has answered.
  const int directives = CTVRRunController::kInlineStatements + 2;
  std::vector<std::string> script(std::size_t(directives + 1), ".info;");
  script.insert(script.end(), {"01 01;", "01 02;"});
  SetScript(script);
  CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStart();
  m_pDoc->OnScriptStop();
  StartAndRun();
  EXPECT_EQ(Now(), Outcome({1}, true, directives + 1));
}

TEST_F(RunControl, ARunDoesNotGoOnWhileAnotherDocumentIsActive) {
  SetStatements(2);
  auto pOther = NewBoard();
  CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStart();
  m_Context.Host().SetActiveDocument(pOther.get());
  Answer();
  RunQueue();
  EXPECT_EQ(Now(), Outcome({1}, true, 0));
  EXPECT_TRUE(pOther->m_Sent.empty());
  m_Context.Host().SetActiveDocument(m_pDoc.get());
}

}  // namespace
