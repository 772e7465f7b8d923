// The interpreter on its own, over a real line store and a fake document:
// which document services each kind of statement ends in, in which order,
// and what it leaves for the run to do next.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tavric/crypto.h>

#include "document/interpreter.h"
#include "document/line_store.h"
#include "fake_doc_sink.h"
#include "platform/user_prompts.h"

namespace {

using Calls = std::vector<std::string>;

class InterpreterAloneTest : public ::testing::Test {
 protected:
  // Loads the script and executes the statement at its first statement line;
  // returns the calls the statement made (loading's own are left out).
  Calls Execute(const std::vector<std::string>& script, int* result = nullptr) {
    m_Lines.SetScriptLines(script);
    m_Sink.m_Calls.clear();
    const int r = m_Interpreter.SendCurrentCommand();
    if (result != nullptr) *result = r;
    return m_Sink.m_Calls;
  }

  CTVRPromptRecorder m_Prompts;
  CTVRFakeDocSink m_Sink;
  CTVRLineStore m_Lines{m_Sink};
  CTVRInterpreter m_Interpreter{m_Lines, m_Sink};
};

TEST_F(InterpreterAloneTest, EachStatementEndsInItsOwnDocumentService) {
  const struct {
    std::vector<std::string> script;
    int result;
    Calls calls;
  } cases[] = {
      // Bytes go out with the document's script type; the answer ends them.
      {{"00 a4 04 00;"}, 1, {"Started", "Send 1 00 A4 04 00"}},
      // The comment lines above the statement are echoed first, CR LF each.
      {{"* select", "", "00 a4;"}, 1, {"Started", "Trace 2 * select\r\n\r\n", "Send 1 00 A4"}},
      // Directives that complete at once hand the run on.
      {{".rawdata;"}, 1, {"Started", "Type 0", "EndCommand"}},
      {{".APDU;"}, 1, {"Started", "Type 2", "EndCommand"}},
      {{".trace(off);"}, 1, {"Started", "TraceOn 0", "EndCommand"}},
      {{".loop;"}, 1, {"Started", "Loop 1", "EndCommand"}},
      {{".save;"}, 1, {"Started", "SaveLog", "EndCommand"}},
      {{".clear;"}, 1, {"Started", "Trace 5", "EndCommand"}},
      // The board's services wait for its answer.
      {{".config(1f, 02, abcd);"}, 1, {"Started", "Config 1F 02 AB CD"}},
      {{".write(01 02 03);"}, 1, {"Started", "Write 01 02 03"}},
      {{".read(16);"}, 1, {"Started", "Read 16"}},
      {{".escape(1,0203);"},
       1,
       {"Started", "Trace 4  ESCAPE COMMAND ( 1 )", "Trace 0 02 03", "Escape 1 02 03",
        "Trace 3  ESCAPE COMMAND ANSWER"}},
      // Nothing to do: no service, no end; the run waits for Stop.
      {{".nothing;"}, 0, {"Started"}},
      {{";"}, 0, {"Started"}},
      // Without a cyphering object ".3des(" is no directive of ours.
      {{".3des(08,10,00112233445566778899AABBCCDDEEFF);"}, 0, {"Started"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script.back());
    m_Sink.m_bTraceOn = TRUE;
    m_Sink.m_bLoopMode = FALSE;
    int result = -1;
    EXPECT_EQ(Execute(c.script, &result), c.calls);
    EXPECT_EQ(result, c.result);
  }
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
}

TEST_F(InterpreterAloneTest, WithTheTraceOffOnlyTheClearIsWritten) {
  m_Sink.m_bTraceOn = FALSE;
  EXPECT_EQ(Execute({"* hidden", ".info;"}), (Calls{"Started", "EndCommand"}));
  EXPECT_EQ(m_Interpreter.GetLoopCounter(), 1) << "counted all the same";
  EXPECT_EQ(Execute({".escape(3500);"}), (Calls{"Started", "Escape 3500"}));
  EXPECT_EQ(Execute({".clear;"}), (Calls{"Started", "Trace 5", "EndCommand"}));
}

TEST_F(InterpreterAloneTest, TheStatementMovesTheCurrentLineAndTheEndOfTheScriptStopsTheRun) {
  m_Lines.SetScriptLines({"00 a4", "04 00;", "* last"});
  EXPECT_EQ(m_Interpreter.SendCurrentCommand(), 1);
  EXPECT_EQ(m_Lines.GetCurrentLine(), 2);
  EXPECT_EQ(m_Lines.GetMarkedLine(), 0) << "moving the mark is the run's business";

  m_Lines.SetCurrentLine(3);
  m_Sink.m_Calls.clear();
  EXPECT_EQ(m_Interpreter.SendCurrentCommand(), 0);
  EXPECT_EQ(m_Sink.m_Calls, Calls{"RunEnded"});
}

TEST_F(InterpreterAloneTest, LoopTheCounterAndTheDurationsLiveInTheInterpreter) {
  m_Interpreter.SetLoopCounter(4);
  m_Sink.m_bLoopMode = TRUE;
  Execute({".loop;"});
  EXPECT_EQ(m_Interpreter.GetLoopCounter(), 4) << "loop mode was on already";
  m_Sink.m_bLoopMode = FALSE;
  Execute({".loop;"});
  EXPECT_EQ(m_Interpreter.GetLoopCounter(), 0);

  Execute({".start_duration;"});
  EXPECT_TRUE(m_Interpreter.IsDurationStarted());
  m_Interpreter.Reset();
  EXPECT_FALSE(m_Interpreter.IsDurationStarted());
  Execute({".display_duration;"});
  EXPECT_EQ(m_Prompts.m_Messages,
            std::vector<std::string>{"Error : the .StartDuration and .StopDuration commands have not been found !"});
}

TEST_F(InterpreterAloneTest, TripleDesArmsTheCypheringObjectAndSendsTheChallengeOutsideTheRun) {
  struct CRecordingCrypto : CTVRCrypto {
    void Set3desParameters(BYTE mode, BYTE challenge, BYTE authenticate, BYTE* key) override {
      m_Parameters = {mode, challenge, authenticate, key[0], key[15]};
    }
    std::vector<BYTE> m_Parameters;
  } crypto;
  m_Sink.m_pCrypto = &crypto;
  EXPECT_EQ(Execute({".3des(08,10,00112233445566778899AABBCCDDEEFF);"}),
            (Calls{"Started", "OneOff 00 00 84 00 00 08"}));
  EXPECT_EQ(crypto.m_Parameters, (std::vector<BYTE>{0, 0x08, 0x10, 0x00, 0xFF}));
  EXPECT_TRUE(crypto.IsExchangePending());
}

TEST_F(InterpreterAloneTest, TheEscapeAnswerIsExpectedUntilTheDecoderClearsIt) {
  Execute({".escape(3500);"});
  EXPECT_TRUE(m_Interpreter.IsEscapeAnswerExpected());
  m_Interpreter.SetEscapeAnswerExpected(FALSE);
  Execute({"00 a4;"});
  EXPECT_FALSE(m_Interpreter.IsEscapeAnswerExpected()) << "a frame does not arm it";
}

}  // namespace
