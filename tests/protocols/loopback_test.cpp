// Loopback tests: the loopback protocol's GIE and EMV runs step by step
// against the simulated reader, and the Verta protocol's one-exchange runs.
#include <chrono>
#include <string>
#include <vector>

#include <tavric/messages.h>

#include "document/board_doc_private.h"
#include "lpb_protocol.h"
#include "protocol_run_fixture.h"
#include "verta_protocol.h"

namespace {

using Bytes = std::vector<BYTE>;
using Clock = std::chrono::steady_clock;

const std::string kTestOk = "LOOPBACK : TEST OK\r\n\r\n";

class LoopbackRun : public CTVRProtocolRunFixture {
 protected:
  void SetUp() override { Open(m_Protocol); }
  CTVRLpbProtocol m_Protocol;
};

TEST_F(LoopbackRun, GieAndEmvTestsPassStepByStepOneSecondApart) {
  struct Case {
    const char* statement;
    std::size_t steps;
    const char* stepName;
  };
  for (const Case& c :
       {Case{"47;", 4, "PC -> IFD : GIE LOOPBACK STEP"}, Case{"45;", 3, "PC -> IFD : EMV LOOPBACK STEP"}}) {
    SCOPED_TRACE(c.statement);
    m_Prompts.m_Beeps.clear();
    const Clock::time_point start = Clock::now();
    Run({c.statement});
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    std::vector<std::string> expected{c.statement[1] == '7' ? "PC -> IFD : GIE LOOPBACK TEST"
                                                            : "PC -> IFD : EMV LOOPBACK TEST"};
    for (std::size_t i = 1; i < c.steps; ++i) expected.push_back(c.stepName);
    expected.push_back(kTestOk);
    EXPECT_EQ(Texts(), expected);
    // Each echo comes back byte for byte.
    EXPECT_EQ(Received().size(), c.steps);
    EXPECT_EQ(m_Prompts.m_Beeps, std::vector<UINT>{10});
    // A second between a step's echo and the next step, and the test is over.
    EXPECT_GE(seconds, double(c.steps - 1) * 0.99);
    EXPECT_EQ(m_Protocol.GetLpbActivated(), 0);
  }
}

TEST_F(LoopbackRun, TheNextStepIsATimedPostAndTheUiThreadKeepsRunning) {
  CTVRBoardDocPrivate::Of(*m_pDoc).SetScriptLines({"45;"});
  CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = SCRIPT_COMMANDS;
  CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStart();
  CTVRDispatcher& dispatcher = *CTVRDispatcher::GetInstalled();
  // The first echo is handled at once; WM_LPB then waits, queued but not due.
  ASSERT_TRUE(dispatcher.RunUntil([&] { return m_Protocol.GetLpbStep() == 1; }, std::chrono::seconds(5)));
  EXPECT_EQ(dispatcher.PendingTimedCount(), 1u);
  EXPECT_FALSE(m_pDoc->IsRunning());  // the loopback answer does not move the script on
  // Ended meanwhile: the step that comes due sends nothing.
  m_Protocol.SetLpbActivated(0);
  RunQueue();
  EXPECT_EQ(Received().size(), 1u);
}

TEST_F(LoopbackRun, ARefusedStepEndsTheTestWithoutSuccess) {
  Run({".escape(4);", "47;"});
  EXPECT_EQ(Received(), (std::vector<Bytes>{{0x15, 0x01, 0x47, 0x01, 0x52}}));
  EXPECT_EQ(Texts().back(), "PC -> IFD : GIE LOOPBACK TEST");
  EXPECT_EQ(m_Protocol.GetLpbActivated(), 0);
  EXPECT_TRUE(m_Prompts.m_Beeps.empty());
}

class VertaLoopback : public CTVRProtocolRunFixture {
 protected:
  void SetUp() override { Open(m_Protocol); }
  CTVRVertaProtocol m_Protocol;
};

TEST_F(VertaLoopback, GieAndEmvRunsFromTheMenuAndAnErrorAnswerEndsThem) {
  CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = SCRIPT_COMMANDS;
  m_pDoc->OnCmdMsg(ID_VERTA_LOOPBACK_TEST, 0, nullptr, nullptr);
  RunQueue();
  EXPECT_EQ(Texts().back(), kTestOk);
  m_nFirstRecord = CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().GetCount();
  m_pDoc->OnCmdMsg(ID_VERTA_LOOPBACK_EMV, 0, nullptr, nullptr);
  RunQueue();
  EXPECT_EQ(Texts(), (std::vector<std::string>{"PC -> IFD : LOOPBACK", "IFD -> PC : LOOPBACK EXECUTED", kTestOk}));
  EXPECT_EQ(m_Prompts.m_Beeps, (std::vector<UINT>{10, 10}));

  // A checksum error answer: the error steps end the test at once.
  m_nFirstRecord = CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().GetCount();
  m_pDoc->Escape(4, nullptr, 0);
  RunQueue();
  m_pDoc->OnCmdMsg(ID_VERTA_LOOPBACK_EMV, 0, nullptr, nullptr);
  RunQueue();
  EXPECT_EQ(Texts().back(), "IFD -> PC : ERROR 0x01 : CHECKSUM ERROR");
  EXPECT_EQ(m_Protocol.GetLpbActivated(), 0);
  EXPECT_EQ(m_Prompts.m_Beeps.size(), 2u);
}

}  // namespace
