// Whole runs through the message queue: loop mode over directives only, which
// must neither grow the stack nor keep a Stop waiting.
#include <chrono>

#include <tavric/message_window.h>
#include <tavric/messages.h>

#include "document/board_doc_private.h"
#include "document/run_controller.h"
#include "interpreter_fixture.h"

namespace {

using namespace std::chrono_literals;

TEST_F(InterpreterTest, ALoopOfDirectivesKeepsTheStackFlatAndStopStillWins) {
  // Brings the Stop command through the queue, as a click would arrive.
  class CStopWindow : public CTVRMessageWindow {
   public:
    explicit CStopWindow(CTVRBoardDoc& doc) {
      SetHandler(Message(), [&doc](WPARAM, LPARAM) {
        doc.OnScriptStop();
        return LRESULT(1);
      });
    }
    static UINT Message() { return RegisterMessage("TavricTest::Stop"); }
  } stop(*m_pDoc);

  CTVRBoardDocPrivate::Of(*m_pDoc).GetRunController().SetTraceOn(FALSE);
  CTVRBoardDocPrivate::Of(*m_pDoc).SetLoopMode(TRUE);
  SetScript({".info;", ".t(0);"});
  CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStart();
  // Two statements per count: 100,000 statements. Were each one started
  // from inside the previous, the stack would have overflowed long before.
  auto& dispatcher = *CTVRDispatcher::GetInstalled();
  ASSERT_TRUE(dispatcher.RunUntil([&] { return CTVRBoardDocPrivate::Of(*m_pDoc).GetLoopCounter() >= 50000; }, 60s));
  ASSERT_TRUE(m_pDoc->IsRunning());

  const int countAtStop = CTVRBoardDocPrivate::Of(*m_pDoc).GetLoopCounter();
  ASSERT_TRUE(PostMessage(stop.GetSafeHwnd(), CStopWindow::Message(), 0, 0));
  ASSERT_TRUE(dispatcher.RunUntil([&] { return !m_pDoc->IsRunning(); }, 5s));
  // Directives that end at once run in rows of at most kInlineStatements
  // between two trips through the queue: Stop comes after that row at most.
  EXPECT_LE(CTVRBoardDocPrivate::Of(*m_pDoc).GetLoopCounter() - countAtStop,
            CTVRRunController::kInlineStatements / 2 + 1)
      << "at most the row of statements under way ran";
  // Nothing of the stopped run is left in the queue.
  const int countStopped = CTVRBoardDocPrivate::Of(*m_pDoc).GetLoopCounter();
  EXPECT_TRUE(RunQueue());
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetLoopCounter(), countStopped);
}

TEST_F(InterpreterTest, LoopModeOverCommentsOnlyWaitsForStop) {
  CTVRBoardDocPrivate::Of(*m_pDoc).SetLoopMode(TRUE);
  SetScript({"* only", "", "// comments"});
  CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStart();
  ASSERT_TRUE(RunQueue(2s)) << "nothing keeps posting";
  EXPECT_TRUE(m_pDoc->IsRunning());
  EXPECT_TRUE(m_pDoc->m_Sent.empty());
}

}  // namespace
