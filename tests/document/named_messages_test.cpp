// The named messages as a board sends them: through the real message window
// and queue, from the UI thread and from a thread of the board's own.
#include <atomic>
#include <thread>

#include <tavric/messages.h>
#include <tavric/trace_record.h>

#include "doc_fixture.h"
#include "document/board_doc_private.h"
#include "run_state.h"
#include "trace/trace_log.h"

namespace {

using NamedMessages = CTVRDocFixture;

TEST_F(NamedMessages, AOneOffCommandFromABoardThreadIsSentOnceWithCommandKindOne) {
  std::atomic<LRESULT> sent{-1};
  std::thread board([&, hWnd = Window()] {
    BYTE bytes[6] = {0x00, 0xA4, 0x04, 0x00, 0x01, 0x3F};
    SendMessage(hWnd, WM_COMMAND_TYPE, 1, 0);
    sent = SendMessage(hWnd, WM_SEND_COMMAND, WPARAM(bytes), 6);
  });
  EXPECT_TRUE(CTVRDispatcher::GetInstalled()->RunUntil([&] { return sent != -1; }, std::chrono::seconds(10)));
  board.join();
  EXPECT_EQ(sent, 1);
  EXPECT_EQ(m_pDoc->m_SentCommandKinds, std::vector<DWORD>{1});
  // Framed as a command whatever the script type: header, the six bytes, checksum.
  const std::vector<BYTE> expected = {0x6F, 0x00, 0x06, 0x00, 0xA4,
                                      0x04, 0x00, 0x01, 0x3F, 0x6F ^ 0x06 ^ 0xA4 ^ 0x04 ^ 0x01 ^ 0x3F};
  EXPECT_EQ(m_pDoc->m_Sent, std::vector<std::vector<BYTE>>{expected});
}

TEST_F(NamedMessages, CommentsReachTheTraceOnlyWhileTraceIsOnCutToTheBuffer) {
  const CTVRTraceLog& log = CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog();
  const std::string longText(5000, 'x');
  PostComment(Window(), "card inserted", TRACE_COMMENT);
  RunQueue();
  SendMessage(Window(), WM_RECV_COMMENTS, WPARAM(longText.c_str()), TRACE_INFO);
  SendMessage(Window(), WM_RECV_COMMENTS, 0, TRACE_COMMENT);
  CTVRBoardDocPrivate::Of(*m_pDoc).GetRunController().SetTraceOn(FALSE);
  PostComment(Window(), "dropped", TRACE_COMMENT);
  RunQueue();
  ASSERT_EQ(log.GetCount(), 3u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(log.GetAt(0).m_pData), log.GetAt(0).m_dwCount), "card inserted");
  EXPECT_EQ(log.GetAt(1).m_nKind, TRACE_INFO) << "the kind is the board's choice";
  EXPECT_EQ(log.GetAt(1).m_dwCount, 4095u);
  EXPECT_EQ(log.GetAt(2).m_dwCount, 0u);
  EXPECT_EQ(SendMessage(Window(), WM_RECV_ANSWER, 0, 5), 1) << "a null answer is an empty one";
}

TEST_F(NamedMessages, AReaderErrorWithNoAnswerAwaitedStopsTheRunEvenWithoutAutoPause) {
  // Nothing would end the statement; with an answer awaited, see the run control tests.
  tvr_test::SetRun(*m_pDoc, true);
  CTVRBoardDocPrivate::Of(*m_pDoc).m_bAutoPause = FALSE;
  SendMessage(Window(), WM_RECV_ERROR, 0, 0);
  EXPECT_EQ(m_pDoc->m_nScriptStopCalls, 1);
  EXPECT_FALSE(m_pDoc->IsRunning());
}

TEST_F(NamedMessages, ABrokenConnectionIsToldOnceAndStopsTheRunOnlyWhenConnected) {
  tvr_test::SetRun(*m_pDoc, true);
  SendMessage(Window(), WM_RECV_BOARD_DISCONNECTED, 0, 0);
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
  EXPECT_EQ(m_pDoc->m_nDisconnectCalls + m_pDoc->m_nScriptStopCalls, 0);
  EXPECT_TRUE(m_pDoc->IsRunning());

  MarkConnected();
  PostMessage(Window(), WM_RECV_BOARD_DISCONNECTED, 0, 0);
  PostMessage(Window(), WM_RECV_BOARD_DISCONNECTED, 0, 0);
  RunQueue();
  // Its words: the scenario case sim_fault_disconnect.
  EXPECT_EQ(m_Prompts.m_Messages.size(), 1u);
  EXPECT_EQ(m_pDoc->m_nDisconnectCalls, 1);
  EXPECT_EQ(m_pDoc->m_nScriptStopCalls, 1);
  EXPECT_FALSE(m_pDoc->IsConnected());
  EXPECT_FALSE(m_pDoc->IsRunning());
}

// Posted to a document destroyed before they are handled (no active
// document at all: ActiveBoard).
TEST_F(NamedMessages, MessagesWithoutALiveDocumentGoNowhere) {
  auto pOther = NewBoard();
  const HWND hOther = pOther->GetDummyWindow()->GetSafeHwnd();
  m_Context.Host().SetActiveDocument(pOther.get());
  const std::vector<BYTE> answer = MakeAnswerFrame(0x60, 0x01);
  PostAnswer(hOther, answer.data(), DWORD(answer.size()));
  PostComment(hOther, "late", TRACE_COMMENT);
  pOther.reset();
  EXPECT_TRUE(RunQueue());
  EXPECT_EQ(SendMessage(hOther, WM_COMMAND_TYPE, 1, 0), 0);
  EXPECT_TRUE(m_pDoc->m_Sent.empty());
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().GetCount(), 0u);
}

TEST_F(NamedMessages, TheBoardsReportCallsPostTheNamedMessagesFromItsOwnThread) {
  CTVRCardSlots& slots = m_Context.Host().GetCardSlots();
  const BYTE atr[] = {0x3B, 0x02, 0x14, 0x50};
  slots.SetAtr(atr, sizeof atr, 4);
  const std::vector<BYTE> answer = MakeAnswerFrame(0x60, 0x01);
  auto fromBoardThread = [](auto&& calls) {
    std::thread board(calls);
    board.join();
    RunQueue();
  };
  fromBoardThread([&] {
    m_pDoc->ReportComment("board comment\r\n", TRACE_COMMENT);
    m_pDoc->ReportAnswer(answer.data(), DWORD(answer.size()));
    m_pDoc->ReportCardRemoved(5);
  });
  const CTVRTraceLog& log = CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog();
  ASSERT_GE(log.GetCount(), 2u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(log.GetAt(0).m_pData), log.GetAt(0).m_dwCount),
            "board comment\r\n");
  EXPECT_EQ(log.GetAt(1).m_nKind, TRACE_RECEIVED);
  EXPECT_EQ(std::vector<BYTE>(log.GetAt(1).m_pData, log.GetAt(1).m_pData + log.GetAt(1).m_dwCount), answer);
  EXPECT_FALSE(slots.HasAtr(4));
  // The end of a statement, an error and a lost reader reported from the
  // board's thread: the runs over the rack of readers (TavricRunTest).
}

}  // namespace

TEST_F(NamedMessages, ACardRemovedEmptiesItsSlotAndLeavesTheOthers) {
  CTVRCardSlots& slots = m_Context.Host().GetCardSlots();
  const BYTE atr[] = {0x3B, 0x02, 0x14, 0x50};
  for (BYTE slot = 0; slot < CTVRCardSlots::SLOT_COUNT; ++slot) slots.SetAtr(atr, sizeof atr, slot);
  m_Protocol.SetSelectCard(3);
  struct CCase {
    WPARAM wParam;
    int emptied;  // 0-based slot, -1 for none
  };
  // 0: the card the protocol addresses (card 3, slot index 2); 1 to 6 as said;
  // anything else names no slot.
  for (const CCase& c : {CCase{5, 4}, CCase{0, 2}, CCase{7, -1}, CCase{WPARAM(-1), -1}}) {
    for (BYTE slot = 0; slot < CTVRCardSlots::SLOT_COUNT; ++slot) slots.SetAtr(atr, sizeof atr, slot);
    PostMessage(Window(), WM_RECV_CARD_REMOVED, c.wParam, 0);
    RunQueue();
    for (int slot = 0; slot < CTVRCardSlots::SLOT_COUNT; ++slot)
      EXPECT_EQ(slots.HasAtr(slot), slot != c.emptied) << "wParam " << c.wParam << ", slot " << slot;
    if (c.emptied >= 0) {
      EXPECT_EQ(slots.GetShownSlot(), c.emptied) << "the bar shows the slot emptied";
      EXPECT_EQ(slots.GetAtrLines(c.emptied), std::vector<std::string>{"no data"});
    }
  }
}
