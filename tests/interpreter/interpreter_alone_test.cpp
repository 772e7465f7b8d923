// The interpreter on its own, over a real line store and a fake document:
// which document services each kind of statement ends in, in which order,
// and what it leaves for the run to do next (each directive's own effects:
// directive_test.cpp).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/interpreter.h"
#include "document/line_store.h"
#include "fake_doc_sink.h"
#include "platform/user_prompts.h"
#include "test_context.h"

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

  CTVRTestContext m_Context;
  CTVRPromptRecorder m_Prompts{m_Context};
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
      {{"* select", "", "00 a4 04 00;"}, 1, {"Started", "Trace 2 * select\r\n\r\n", "Send 1 00 A4 04 00"}},
      // Directives that complete at once hand the run on.
      {{".rawdata;"}, 1, {"Started", "Type 0", "EndCommand"}},
      // The board's services wait for its answer.
      {{".config(1f, 02, abcd);"}, 1, {"Started", "Config 1F 02 AB CD"}},
      {{".escape(1,0203);"},
       1,
       {"Started", "Trace 4  ESCAPE COMMAND ( 1 )", "Trace 0 02 03", "Escape 1 02 03",
        "Trace 3  ESCAPE COMMAND ANSWER"}},
      // Nothing to do: no service, no end; the run waits for Stop.
      {{".nothing;"}, 0, {"Started"}},
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

TEST_F(InterpreterAloneTest, AResetForgetsTheDurationStarted) {
  Execute({".start_duration;"});
  EXPECT_TRUE(m_Interpreter.IsDurationStarted());
  m_Interpreter.Reset();
  EXPECT_FALSE(m_Interpreter.IsDurationStarted());
}

}  // namespace
