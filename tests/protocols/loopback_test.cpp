// Loopback tests: the loopback protocol's timed steps against the simulated
// reader, and the Verta protocol's one-exchange runs (the runs themselves are
// the golden examples loopback, loopback_emv and loopback_error).
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

const std::string kTestOk = "LOOPBACK : TEST OK\r\n\r\n";

class LoopbackRun : public CTVRProtocolRunFixture {
 protected:
  void SetUp() override { Open(m_Protocol); }
  CTVRLpbProtocol m_Protocol;
};

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
