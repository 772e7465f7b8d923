// Every directive: its effect, its messages, and whether the run goes straight
// on (the step ends at once) or waits for the board's answer. What .info,
// .trace and .escape put in the trace is the scenario case directives_trace;
// the script type's directives, and names inside longer texts, the scenario
// case directives_local.
#include <tuple>

#include "document/board_doc_private.h"
#include "document/interpreter.h"
#include "document/run_controller.h"
#include "interpreter_fixture.h"
#include "platform/process_clock.h"

namespace {

class DirectiveTest : public InterpreterTest {
 protected:
  // Steps a one-directive script followed by a statement; a directive that
  // completes at once moved the mark and ended the run, one that waits for the
  // board's answer did neither.
  void StepDirective(const std::string& directive, int result, bool endedAtOnce) {
    SCOPED_TRACE(directive);
    EXPECT_EQ(Step({directive, "00 b0;"}), result);
    EXPECT_EQ(m_pDoc->IsRunning(), endedAtOnce ? FALSE : TRUE);
    EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetMarkedLine(), endedAtOnce ? 1 : 0);
  }
  // The board's config calls as (code, code1, buffer).
  std::vector<std::tuple<int, int, ByteVec>> Configs() const {
    std::vector<std::tuple<int, int, ByteVec>> calls;
    for (const auto& call : m_pDoc->m_Configs) calls.emplace_back(call.code, call.code1, call.data);
    return calls;
  }
};

TEST_F(DirectiveTest, LocalDirectivesEndTheStepAtOnce) {
  CTVRBoardDocPrivate::Of(*m_pDoc).GetRunController().SetTraceOn(FALSE);
  StepDirective(".b;", 1, true);
  StepDirective(".save;", 1, true);
  StepDirective(".clear;", 1, true);

  CTVRBoardDocPrivate::Of(*m_pDoc).SetLoopCounter(5);
  StepDirective(".loop;", 1, true);
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetLoopCounter(), 0) << "reset when loop mode was off";
  CTVRBoardDocPrivate::Of(*m_pDoc).SetLoopCounter(3);
  StepDirective(".loop;", 1, true);
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetLoopCounter(), 3) << "kept when it was already on";

  StepDirective(".GetResponse(On);", 1, true);
  EXPECT_TRUE(m_pDoc->IsGetResponseOn());
  StepDirective(".getresponse(off);", 1, true);
  EXPECT_FALSE(m_pDoc->IsGetResponseOn());

  StepDirective(".t(250);", 1, true);
  EXPECT_TRUE(CTVRBoardDocPrivate::Of(*m_pDoc).m_DelayOptions.m_bCommandDelay);
  StepDirective(".T(0);", 1, true);
  EXPECT_FALSE(CTVRBoardDocPrivate::Of(*m_pDoc).m_DelayOptions.m_bCommandDelay);
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).m_DelayOptions.m_dwCommandDelay, 250u) << ".t(0) keeps the value";

  // The first matching rule wins: ".t(0)" before ".t(", both before ".config(".
  CTVRBoardDocPrivate::Of(*m_pDoc).m_DelayOptions.m_bCommandDelay = TRUE;
  StepDirective(".config(01).t(0);", 1, true);
  EXPECT_FALSE(CTVRBoardDocPrivate::Of(*m_pDoc).m_DelayOptions.m_bCommandDelay);
  EXPECT_EQ(Kinds(), (std::vector<int>{TRACE_SAVE_LOG, TRACE_CLEAR})) << "written with the trace off";
  EXPECT_TRUE(m_pDoc->m_Configs.empty());
  EXPECT_TRUE(m_pDoc->m_Sent.empty());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(DirectiveTest, UnknownDirectivesDoNothingAndKeepTheRunWaiting) {
  CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = SCRIPT_COMMANDS;
  for (const char* text : {". rawdata;", ".rawdatax;", ".t 250;", ".read 16;", ".nonsense;", ".3des(08,10,00);"})
    StepDirective(text, 0, false);
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType, SCRIPT_COMMANDS);
  EXPECT_TRUE(m_pDoc->m_Sent.empty());
  EXPECT_TRUE(m_pDoc->m_Reads.empty());
  EXPECT_TRUE(Messages().empty()) << ".3des without a cyphering object is unknown, not a syntax error";
}

TEST_F(DirectiveTest, DurationIsReportedInSecondsOfTheProcessClock) {
  long now = 1250;
  CTVRProcessClock::SetSource([&now] { return now; });
  Run({".start_duration;", "00 00;", ".stop_duration;", ".display_duration;"});
  now = 3750;
  CTVRBoardDocPrivate::Of(*m_pDoc).EndCommand();  // the frame in between is never answered
  RunQueue();
  CTVRProcessClock::SetSource(nullptr);
  EXPECT_EQ(Records(TRACE_INFO), Strings{"(m_Stop - m_Start) / CLOCKS_PER_SEC = Duration seconds\r\n"
                                         "(3750 - 1250)/ 1000 = 2.500000 seconds\r\n"});

  // A start or a stop missing: the scenario case directives_duration. A reset
  // forgets a duration started.
  Step({".start_duration;", "00 00;"});
  CTVRInterpreter& interpreter = CTVRBoardDocPrivate::Of(*m_pDoc).GetInterpreter();
  EXPECT_TRUE(interpreter.IsDurationStarted());
  interpreter.Reset();
  EXPECT_FALSE(interpreter.IsDurationStarted());
}

TEST_F(DirectiveTest, BoardDirectivesPassTheirArgumentsAndWaitForTheAnswer) {
  for (const char* text :
       {".config(1f);", ".config(1f, 123);", ".CONFIG( 1F , 02 , ABcd );", ".write(01 02 03);", ".write(123);",
        ".write();", ".read(16);", ".read( 2 5 );", ".read(x);", ".read(99999999999);"})
    StepDirective(text, 1, false);
  // An odd buffer gets a leading 0; without code1 it is FF.
  EXPECT_EQ(Configs(), (decltype(Configs()){{0x1F, 0xFF, {}}, {0x1F, 0xFF, {0x01, 0x23}}, {0x1F, 0x02, {0xAB, 0xCD}}}));
  EXPECT_EQ(m_pDoc->m_Writes, (std::vector<ByteVec>{{0x01, 0x02, 0x03}, {0x12}, {}})) << "an odd digit is dropped";
  EXPECT_EQ(m_pDoc->m_Reads, (std::vector<DWORD>{16, 25, 0, 0xFFFFFFFFu}));
  EXPECT_TRUE(Messages().empty());
}

// The messages of malformed arguments, the calls that go on with a value cut
// (the code of .config and of .escape) and the malformed .3des that asks
// nothing: the scenario case directives_malformed. Here, the values cut that
// a run does not show.
TEST_F(DirectiveTest, AValueTooLongIsCutAndASyntaxErrorLeavesItAlone) {
  StepDirective(".t(123456789);", 1, true);
  StepDirective(".t(250;", 1, true);
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).m_DelayOptions.m_dwCommandDelay, 12345678u);
  StepDirective(".config(1f, 345, zz);", 1, false);
  // The second code cut to its first two digits; a pair that is not hexadecimal gives 0.
  EXPECT_EQ(Configs(), (decltype(Configs()){{0x1F, 0x34, {0x00}}}));
}

}  // namespace
