// Every directive: its effect, its messages, and whether the run goes straight
// on (the step ends at once) or waits for the board's answer.
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include <tavric/crypto.h>

#include "interpreter_fixture.h"

namespace {

using ByteVec = std::vector<BYTE>;

class DirectiveTest : public InterpreterTest {
 protected:
  // A directive that completes at once ended the step: EndCommand moved the
  // mark to the next statement and the run is over.
  void ExpectEndedAtOnce() {
    EXPECT_FALSE(m_pDoc->m_bRunning);
    EXPECT_EQ(m_pDoc->m_nMarkedLine, 1);
  }
  // A board directive waits for the answer: still running, mark not moved.
  void ExpectWaitingForTheAnswer() {
    EXPECT_TRUE(m_pDoc->m_bRunning);
    EXPECT_EQ(m_pDoc->m_nMarkedLine, 0);
  }
  // Steps a one-directive script followed by a statement.
  int StepDirective(const std::string& directive) { return Step({directive, "00 b0;"}); }
};

// ---- Script type, loop, trace --------------------------------------------

TEST_F(DirectiveTest, ScriptTypeDirectivesIgnoreCase) {
  EXPECT_EQ(StepDirective(".APDU;"), 1);
  EXPECT_EQ(m_pDoc->m_eScriptType, SCRIPT_APDU);
  ExpectEndedAtOnce();
  StepDirective(".Command;");
  EXPECT_EQ(m_pDoc->m_eScriptType, SCRIPT_COMMANDS);
  StepDirective("  .RAWDATA  ;");
  EXPECT_EQ(m_pDoc->m_eScriptType, SCRIPT_RAWDATA);
  EXPECT_TRUE(m_pDoc->m_Sent.empty());
}

TEST_F(DirectiveTest, UnknownDirectivesDoNothingAndKeepTheRunWaiting) {
  m_pDoc->m_eScriptType = SCRIPT_COMMANDS;
  for (const char* text : {". rawdata;", ".rawdatax;", ".t 250;", ".read 16;", ".nonsense;", ".3des(08,10,00);"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(StepDirective(text), 0);
    EXPECT_EQ(m_pDoc->m_eScriptType, SCRIPT_COMMANDS);
    ExpectWaitingForTheAnswer();
  }
  EXPECT_TRUE(m_pDoc->m_Sent.empty());
  EXPECT_TRUE(m_pDoc->m_Reads.empty());
  EXPECT_TRUE(Messages().empty()) << ".3des without a cyphering object is unknown, not a syntax error";
}

TEST_F(DirectiveTest, BreakpointDirectiveIsANoOperation) {
  EXPECT_EQ(StepDirective(".b;"), 1);
  ExpectEndedAtOnce();
  EXPECT_TRUE(m_pDoc->m_Sent.empty());
}

TEST_F(DirectiveTest, LoopResetsTheCounterOnlyWhenLoopModeWasOff) {
  m_pDoc->m_nLoopCounter = 5;
  StepDirective(".loop;");
  EXPECT_TRUE(m_pDoc->m_bLoopMode);
  EXPECT_EQ(m_pDoc->m_nLoopCounter, 0);

  m_pDoc->m_nLoopCounter = 3;
  StepDirective(".loop;");
  EXPECT_TRUE(m_pDoc->m_bLoopMode);
  EXPECT_EQ(m_pDoc->m_nLoopCounter, 3);
}

TEST_F(DirectiveTest, TraceOffSilencesCommentsAndFramesUntilTraceOn) {
  Run({".trace(off);", "* quiet", "00 a4;"});
  EXPECT_FALSE(m_pDoc->m_bTraceOn);
  EXPECT_EQ(m_pDoc->m_Sent.size(), 1u);
  EXPECT_TRUE(Kinds().empty());

  Run({".TRACE(ON);", "* loud", "00 a4;"});
  EXPECT_TRUE(m_pDoc->m_bTraceOn);
  EXPECT_EQ(Records(TRACE_COMMENT), std::vector<std::string>{"* loud\r\n"});
}

TEST_F(DirectiveTest, SaveAndClearGoToTheTraceView) {
  m_pDoc->m_bTraceOn = FALSE;
  StepDirective(".save;");
  ExpectEndedAtOnce();
  StepDirective(".clear;");
  ExpectEndedAtOnce();
  EXPECT_EQ(Kinds(), (std::vector<int>{TRACE_SAVE_LOG, TRACE_CLEAR})) << "written whether the trace is on or not";
}

// ---- Information and durations ---------------------------------------------

TEST_F(DirectiveTest, InfoCountsAndPrintsTheScriptTheDateAndTheCounter) {
  Run({".info;", "* between", ".INFO;"});
  const auto infos = Records(TRACE_INFO);
  ASSERT_EQ(infos.size(), 2u);
  const std::regex form(
      "> Script Name : noname\r\n"
      "> (Mon|Tue|Wed|Thu|Fri|Sat|Sun) [A-Z][a-z]{2} [ 0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] \r\n"
      "> Loop Counter : ([0-9]+) \r\n");
  std::smatch match;
  ASSERT_TRUE(std::regex_match(infos[0], match, form)) << infos[0];
  EXPECT_EQ(match[2], "1");
  ASSERT_TRUE(std::regex_match(infos[1], match, form)) << infos[1];
  EXPECT_EQ(match[2], "2");
  EXPECT_FALSE(m_pDoc->m_bRunning);
}

TEST_F(DirectiveTest, DurationIsReportedInSecondsOfTheProcessClock) {
  Run({".start_duration;", "00 00;", ".stop_duration;", ".display_duration;"});
  // The frame in between is never answered: finish the run by hand.
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  m_pDoc->EndCommand();
  RunQueue();

  const auto reports = Records(TRACE_INFO);
  ASSERT_EQ(reports.size(), 1u);
  const std::regex form(
      "\\(m_Stop - m_Start\\) / CLOCKS_PER_SEC = Duration seconds\r\n"
      "\\(([0-9]+) - ([0-9]+)\\)/ 1000 = ([0-9]+\\.[0-9]{6}) seconds\r\n");
  std::smatch match;
  ASSERT_TRUE(std::regex_match(reports[0], match, form)) << reports[0];
  const long stop = std::stol(match[1]);
  const long start = std::stol(match[2]);
  EXPECT_EQ(stop, m_pDoc->m_lStopTime);
  EXPECT_EQ(start, m_pDoc->m_lStartTime);
  EXPECT_GE(stop, start);
  EXPECT_NEAR(std::strtod(match[3].str().c_str(), nullptr), (stop - start) / 1000.0, 1e-6);
  EXPECT_FALSE(m_pDoc->m_bDurationStarted);
  EXPECT_FALSE(m_pDoc->m_bDurationStopped);
}

TEST_F(DirectiveTest, DurationMessagesNameWhatIsMissing) {
  struct Case {
    std::vector<std::string> script;
    const char* message;
  };
  const std::vector<Case> cases{
      {{".display_duration;"}, "Error : the .StartDuration and .StopDuration commands have not been found !"},
      {{".start_duration;", ".display_duration;"}, "Error : the .StopDuration command has not been found !"},
      {{".stop_duration;", ".display_duration;"}, "Error : the .StartDuration command has not been found !"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    Messages().clear();
    Run(c.script);
    EXPECT_EQ(Messages(), std::vector<std::string>{c.message});
    EXPECT_FALSE(m_pDoc->m_bDurationStarted);
    EXPECT_FALSE(m_pDoc->m_bDurationStopped);
  }
  EXPECT_TRUE(Records(TRACE_INFO).empty());
}

// ---- Command delay -----------------------------------------------------------

TEST_F(DirectiveTest, DelayIsSetThenSwitchedOffKeepingItsValue) {
  StepDirective(".t(250);");
  EXPECT_TRUE(m_pDoc->m_DelayOptions.m_bCommandDelay);
  EXPECT_EQ(m_pDoc->m_DelayOptions.m_dwCommandDelay, 250u);
  ExpectEndedAtOnce();

  StepDirective(".T(0);");
  EXPECT_FALSE(m_pDoc->m_DelayOptions.m_bCommandDelay);
  EXPECT_EQ(m_pDoc->m_DelayOptions.m_dwCommandDelay, 250u);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(DirectiveTest, DelayOfMoreThanEightDigitsIsReportedAndCut) {
  StepDirective(".t(123456789);");
  EXPECT_EQ(Messages(), std::vector<std::string>{"Error : Size of delay > 99999999 !"});
  EXPECT_EQ(m_pDoc->m_DelayOptions.m_dwCommandDelay, 12345678u);
  EXPECT_TRUE(m_pDoc->m_DelayOptions.m_bCommandDelay);
  ExpectEndedAtOnce();
}

TEST_F(DirectiveTest, DelayWithoutClosingParenthesisIsASyntaxError) {
  m_pDoc->m_DelayOptions.m_dwCommandDelay = 77;
  StepDirective(".t(250;");
  EXPECT_EQ(Messages(), std::vector<std::string>{".t(xxx) syntax error !"});
  EXPECT_EQ(m_pDoc->m_DelayOptions.m_dwCommandDelay, 77u);
  EXPECT_FALSE(m_pDoc->m_DelayOptions.m_bCommandDelay);
  ExpectEndedAtOnce();
}

// ---- Board directives --------------------------------------------------------

TEST_F(DirectiveTest, ConfigTakesACodeAnOptionalCode1AndABuffer) {
  EXPECT_EQ(StepDirective(".config(1f);"), 1);
  ExpectWaitingForTheAnswer();
  StepDirective(".config(1f, 123);");
  StepDirective(".CONFIG( 1F , 02 , ABcd );");
  ASSERT_EQ(m_pDoc->m_Configs.size(), 3u);
  EXPECT_EQ(m_pDoc->m_Configs[0].code, 0x1F);
  EXPECT_EQ(m_pDoc->m_Configs[0].code1, 0xFF);
  EXPECT_TRUE(m_pDoc->m_Configs[0].data.empty());
  EXPECT_EQ(m_pDoc->m_Configs[1].code1, 0xFF);
  EXPECT_EQ(m_pDoc->m_Configs[1].data, (ByteVec{0x01, 0x23})) << "an odd buffer gets a leading 0";
  EXPECT_EQ(m_pDoc->m_Configs[2].code, 0x1F);
  EXPECT_EQ(m_pDoc->m_Configs[2].code1, 0x02);
  EXPECT_EQ(m_pDoc->m_Configs[2].data, (ByteVec{0xAB, 0xCD}));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(DirectiveTest, ConfigCodesLongerThanOneByteAreReportedAndTheCallGoesOn) {
  StepDirective(".config(123, 01);");
  StepDirective(".config(1f, 345, zz);");
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Error : Size of Code > FF !", "Error : Size of Code1 > FF !"}));
  ASSERT_EQ(m_pDoc->m_Configs.size(), 2u);
  EXPECT_EQ(m_pDoc->m_Configs[0].code, 0x12) << "cut to its first two digits";
  EXPECT_EQ(m_pDoc->m_Configs[0].data, (ByteVec{0x01}));
  EXPECT_EQ(m_pDoc->m_Configs[1].code1, 0x34);
  EXPECT_EQ(m_pDoc->m_Configs[1].data, (ByteVec{0x00})) << "a pair that is not hexadecimal gives 0";
}

TEST_F(DirectiveTest, ConfigWithoutParenthesesIsASyntaxError) {
  StepDirective(".config(1f;");
  EXPECT_EQ(Messages(),
            std::vector<std::string>{".config(code) syntax error !\n.config(code, Buffer) syntax error !\n"
                                     ".config(code, code1, Buffer) syntax error ! (see the documentation)"});
  EXPECT_TRUE(m_pDoc->m_Configs.empty());
  ExpectEndedAtOnce();
}

TEST_F(DirectiveTest, WriteTakesPairsOfDigitsAndDropsAnOddOne) {
  EXPECT_EQ(StepDirective(".write(01 02 03);"), 1);
  ExpectWaitingForTheAnswer();
  StepDirective(".write(123);");
  StepDirective(".write();");
  ASSERT_EQ(m_pDoc->m_Writes.size(), 3u);
  EXPECT_EQ(m_pDoc->m_Writes[0], (ByteVec{0x01, 0x02, 0x03}));
  EXPECT_EQ(m_pDoc->m_Writes[1], (ByteVec{0x12}));
  EXPECT_TRUE(m_pDoc->m_Writes[2].empty());

  StepDirective(".write(01 02;");
  EXPECT_EQ(Messages(), std::vector<std::string>{".write(XX YY ZZ) syntax error !\n'XX YY ZZ' = buffer to write."});
  EXPECT_EQ(m_pDoc->m_Writes.size(), 3u);
  ExpectEndedAtOnce();
}

TEST_F(DirectiveTest, ReadTakesADecimalCount) {
  EXPECT_EQ(StepDirective(".read(16);"), 1);
  ExpectWaitingForTheAnswer();
  StepDirective(".read( 2 5 );");
  StepDirective(".read(x);");
  StepDirective(".read(99999999999);");
  EXPECT_EQ(m_pDoc->m_Reads, (std::vector<DWORD>{16, 25, 0, 0xFFFFFFFFu}));

  StepDirective(".read(16;");
  EXPECT_EQ(Messages(), std::vector<std::string>{".read(n) syntax error !\nn = Number of byte to read in decimal."});
  ExpectEndedAtOnce();
}

TEST_F(DirectiveTest, EscapeWithoutDataTracesTheCodeAndExpectsTheAnswer) {
  EXPECT_EQ(StepDirective(".escape(3500);"), 1);
  ExpectWaitingForTheAnswer();
  ASSERT_EQ(m_pDoc->m_Escapes.size(), 1u);
  EXPECT_EQ(m_pDoc->m_Escapes[0].code, 0x3500u);
  EXPECT_TRUE(m_pDoc->m_Escapes[0].data.empty());
  EXPECT_TRUE(m_pDoc->m_bEscapeAnswerExpected);
  EXPECT_EQ(Kinds(), (std::vector<int>{TRACE_COMMAND_NAME, TRACE_ANSWER_TEXT}));
  EXPECT_EQ(Records(TRACE_COMMAND_NAME), std::vector<std::string>{" ESCAPE COMMAND ( 3500 )"});
  EXPECT_EQ(Records(TRACE_ANSWER_TEXT), std::vector<std::string>{" ESCAPE COMMAND ANSWER"});
}

TEST_F(DirectiveTest, EscapeWithDataTracesTheBytesSent) {
  StepDirective(".escape(1,0203);");
  StepDirective(".escape(AbC, 123);");
  ASSERT_EQ(m_pDoc->m_Escapes.size(), 2u);
  EXPECT_EQ(m_pDoc->m_Escapes[0].code, 1u);
  EXPECT_EQ(m_pDoc->m_Escapes[0].data, (ByteVec{0x02, 0x03}));
  EXPECT_EQ(m_pDoc->m_Escapes[1].code, 0xABCu);
  EXPECT_EQ(m_pDoc->m_Escapes[1].data, (ByteVec{0x12, 0x03})) << "an odd last digit is a byte of its own";
  EXPECT_EQ(Kinds(), (std::vector<int>{TRACE_COMMAND_NAME, TRACE_SENT, TRACE_ANSWER_TEXT, TRACE_COMMAND_NAME,
                                       TRACE_SENT, TRACE_ANSWER_TEXT}));
  EXPECT_EQ(Records(TRACE_COMMAND_NAME),
            (std::vector<std::string>{" ESCAPE COMMAND ( 1 )", " ESCAPE COMMAND ( ABC )"}));
  EXPECT_EQ(Records(TRACE_SENT), (std::vector<std::string>{Bytes({0x02, 0x03}), Bytes({0x12, 0x03})}));
}

TEST_F(DirectiveTest, EscapeWithTheTraceOffStillCallsTheBoard) {
  m_pDoc->m_bTraceOn = FALSE;
  StepDirective(".escape(1,02);");
  EXPECT_EQ(m_pDoc->m_Escapes.size(), 1u);
  EXPECT_TRUE(Kinds().empty());
  EXPECT_TRUE(m_pDoc->m_bEscapeAnswerExpected);
}

TEST_F(DirectiveTest, EscapeCodeLongerThanEightDigitsIsReportedAndCut) {
  StepDirective(".escape(123456789,01);");
  EXPECT_EQ(Messages(), std::vector<std::string>{"escape(code,data) syntax error : the code length > 8 digits!\n"});
  ASSERT_EQ(m_pDoc->m_Escapes.size(), 1u);
  EXPECT_EQ(m_pDoc->m_Escapes[0].code, 0x12345678u);
  EXPECT_EQ(m_pDoc->m_Escapes[0].data, (ByteVec{0x01}));
}

TEST_F(DirectiveTest, EscapeWithoutClosingParenthesisIsASyntaxError) {
  StepDirective(".escape(1,02;");
  EXPECT_EQ(Messages(), std::vector<std::string>{".escape(code,data) syntax error !\n"});
  EXPECT_TRUE(m_pDoc->m_Escapes.empty());
  EXPECT_FALSE(m_pDoc->m_bEscapeAnswerExpected);
  ExpectEndedAtOnce();
}

// ---- Triple-DES authentication -------------------------------------------------

class CRecordingCrypto : public CTVRCrypto {
 public:
  void Set3desParameters(BYTE mode, BYTE challengeLength, BYTE authenticateLength, BYTE* key) override {
    m_Calls.push_back({mode, challengeLength, authenticateLength, ByteVec(key, key + 16)});
  }
  struct Call {
    BYTE mode;
    BYTE challengeLength;
    BYTE authenticateLength;
    ByteVec key;
  };
  std::vector<Call> m_Calls;
};

class TripleDesTest : public DirectiveTest {
 protected:
  void SetUp() override {
    DirectiveTest::SetUp();
    m_pDoc->m_pCrypto = &m_Crypto;
  }
  void TearDown() override {
    m_pDoc->m_pCrypto = nullptr;
    DirectiveTest::TearDown();
  }
  CRecordingCrypto m_Crypto;
};

TEST_F(TripleDesTest, ParametersGoToTheCypheringAndAChallengeToTheReader) {
  EXPECT_EQ(StepDirective(".3des(08, 10, 00112233445566778899AABBCCDDEEFF);"), 1);
  ASSERT_EQ(m_Crypto.m_Calls.size(), 1u);
  EXPECT_EQ(m_Crypto.m_Calls[0].mode, 0);
  EXPECT_EQ(m_Crypto.m_Calls[0].challengeLength, 8);
  EXPECT_EQ(m_Crypto.m_Calls[0].authenticateLength, 16);
  EXPECT_EQ(m_Crypto.m_Calls[0].key,
            (ByteVec{0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}));
  EXPECT_EQ(m_Crypto.m_bAuthenticationPending, 1);

  // Framed as a command, sent as a one-off outside the run.
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  const ByteVec& frame = m_pDoc->m_Sent[0];
  ASSERT_EQ(frame.size(), 10u);
  EXPECT_EQ(frame[0], CTVRTestProtocol::FRAME_TYPE);
  EXPECT_EQ(ByteVec(frame.begin() + 3, frame.end() - 1), (ByteVec{0x00, 0x00, 0x84, 0x00, 0x00, 0x08}));
  EXPECT_EQ(m_pDoc->m_SentCommandKinds[0], 1u);
  EXPECT_EQ(m_pDoc->m_nMarkedLine, 0) << "the answer, not the directive, ends the command";
}

TEST_F(TripleDesTest, MalformedParametersAreASyntaxError) {
  const std::string key32 = "00112233445566778899aabbccddeeff";
  for (const std::string& text :
       {".3des(8,10," + key32 + ");", ".3des(08,10," + key32.substr(1) + ");", ".3des(08,10," + key32 + "00);",
        ".3des(08,10," + key32 + ",);", ".3des(08;10;" + key32 + ");", ".3des(08,10," + key32 + ";"}) {
    SCOPED_TRACE(text);
    Messages().clear();
    EXPECT_EQ(StepDirective(text), 1);
    EXPECT_EQ(Messages(), std::vector<std::string>{
                              ".3des(GetChallengeDataLength,ExternalAuthenticateDataLength,key) syntax error !"});
    ExpectEndedAtOnce();
  }
  EXPECT_TRUE(m_Crypto.m_Calls.empty());
  EXPECT_TRUE(m_pDoc->m_Sent.empty());
  EXPECT_EQ(m_Crypto.m_bAuthenticationPending, 0);
}

// ---- Order of the table ------------------------------------------------------------

TEST_F(DirectiveTest, TheFirstMatchingDirectiveWins) {
  // ".t(0)" is caught before the general ".t(" rule, and both before ".config(".
  m_pDoc->m_DelayOptions.m_bCommandDelay = TRUE;
  StepDirective(".config(01).t(0);");
  EXPECT_FALSE(m_pDoc->m_DelayOptions.m_bCommandDelay);
  EXPECT_TRUE(m_pDoc->m_Configs.empty());
  // Whole-text names do not match inside longer texts.
  StepDirective(".apdu.clear;");
  EXPECT_EQ(m_pDoc->m_eScriptType, SCRIPT_RAWDATA);
  EXPECT_EQ(Kinds(), std::vector<int>{TRACE_CLEAR});
}

}  // namespace
