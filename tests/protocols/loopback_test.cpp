// The loopback protocol's timed steps against the simulated reader (the runs
// themselves are the golden examples loopback and loopback_emv).
#include <chrono>

#include "document/board_doc_private.h"
#include "lpb_protocol.h"
#include "protocol_run_fixture.h"

namespace {

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

}  // namespace
