// The named messages as a board sends them: through the real message window
// and queue, from the UI thread and from a thread of the board's own.
#include <atomic>
#include <string>
#include <thread>

#include <tavric/messages.h>
#include <tavric/trace_record.h>

#include "doc_fixture.h"
#include "trace/trace_log.h"

namespace {

constexpr const char* kDisconnectedText =
    "The USB connection has been broken !\n"
    " - either the reader has been unplugged : plug it in and click on the menu \"Reader->Connect\".\n"
    " - or the reader has exited from suspend mode : click on the menu \"Reader->Connect\"\n"
    "\n"
    "Rem. : After resuming from a suspend mode, this message can appear several times after a "
    "\"Reader->Connect\".\n"
    "           Try again \"Reader->Connect\" in a few seconds. The enumeration can take a long time.";

class NamedMessages : public CTVRDocFixture {
 protected:
  std::string RecordText(std::size_t index) {
    const CTVRTraceRecord r = m_pDoc->GetTraceLog().GetAt(index);
    return std::string(reinterpret_cast<const char*>(r.m_pData), r.m_dwCount);
  }
};

TEST_F(NamedMessages, OneOffCommandFromABoardThreadIsSentOnceWithCommandKindOne) {
  std::atomic<bool> done{false};
  LRESULT typeResult = 0;
  LRESULT sendResult = 0;
  const HWND hWnd = Window();
  std::thread board([&] {
    BYTE bytes[6] = {0x00, 0xA4, 0x04, 0x00, 0x01, 0x3F};
    typeResult = SendMessage(hWnd, WM_COMMAND_TYPE, 1, 0);
    sendResult = SendMessage(hWnd, WM_SEND_COMMAND, WPARAM(bytes), 6);
    done = true;
  });
  EXPECT_TRUE(CTVRDispatcher::Instance().RunUntil([&] { return done.load(); }, std::chrono::seconds(10)));
  board.join();

  EXPECT_EQ(typeResult, 1);
  EXPECT_EQ(sendResult, 1);
  ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
  EXPECT_EQ(m_pDoc->m_SentCommandKinds[0], 1u);
  // Framed as a command whatever the script type: header, the six bytes, checksum.
  const std::vector<BYTE> expected = {0x6F, 0x00, 0x06, 0x00, 0xA4,
                                      0x04, 0x00, 0x01, 0x3F, 0x6F ^ 0x06 ^ 0xA4 ^ 0x04 ^ 0x01 ^ 0x3F};
  EXPECT_EQ(m_pDoc->m_Sent[0], expected);
  EXPECT_TRUE(m_pDoc->m_bWaitAnswer);
}

TEST_F(NamedMessages, ApduAndRawDataAreFramedByTheirOwnType) {
  BYTE apdu[2] = {0x84, 0x00};
  SendMessage(Window(), WM_SEND_APDU, WPARAM(apdu), 2);
  SendMessage(Window(), WM_SEND_RAWDATA, WPARAM(apdu), 2);
  ASSERT_EQ(m_pDoc->m_Sent.size(), 2u);
  EXPECT_EQ(m_pDoc->m_Sent[0], (std::vector<BYTE>{0x6F, 0x00, 0x03, 0x00, 0x84, 0x00, 0x6F ^ 0x03 ^ 0x84}));
  EXPECT_EQ(m_pDoc->m_Sent[1], (std::vector<BYTE>{0x84, 0x00}));
}

TEST_F(NamedMessages, CommentsReachTheTraceOnlyWhileTraceIsOn) {
  PostComment(Window(), "card inserted", TRACE_COMMENT);
  RunQueue();
  ASSERT_EQ(m_pDoc->GetTraceLog().GetCount(), 1u);
  EXPECT_EQ(m_pDoc->GetTraceLog().GetAt(0).m_nKind, TRACE_COMMENT);
  EXPECT_EQ(RecordText(0), "card inserted");

  // The kind is the board's choice.
  SendMessage(Window(), WM_RECV_COMMENTS, WPARAM("info"), TRACE_INFO);
  ASSERT_EQ(m_pDoc->GetTraceLog().GetCount(), 2u);
  EXPECT_EQ(m_pDoc->GetTraceLog().GetAt(1).m_nKind, TRACE_INFO);

  m_pDoc->m_bTraceOn = FALSE;
  PostComment(Window(), "dropped", TRACE_COMMENT);
  RunQueue();
  EXPECT_EQ(m_pDoc->GetTraceLog().GetCount(), 2u);
}

TEST_F(NamedMessages, AnOverlongCommentIsCutAtTheBufferAndANullOneIsEmpty) {
  const std::string longText(5000, 'x');
  SendMessage(Window(), WM_RECV_COMMENTS, WPARAM(longText.c_str()), TRACE_COMMENT);
  SendMessage(Window(), WM_RECV_COMMENTS, 0, TRACE_COMMENT);
  ASSERT_EQ(m_pDoc->GetTraceLog().GetCount(), 2u);
  EXPECT_EQ(m_pDoc->GetTraceLog().GetAt(0).m_dwCount, 4095u);
  EXPECT_EQ(m_pDoc->GetTraceLog().GetAt(1).m_dwCount, 0u);
}

TEST_F(NamedMessages, ReaderErrorWithoutAutoPauseBeepsAndLetsTheAwaitedAnswerEndTheCommand) {
  m_pDoc->m_bRunning = TRUE;
  m_pDoc->m_bWaitAnswer = TRUE;
  m_pDoc->m_bAutoPause = FALSE;
  PostMessage(Window(), WM_RECV_ERROR, 0, 0);
  RunQueue();
  EXPECT_EQ(m_Prompts.m_Beeps, std::vector<UINT>{0});
  EXPECT_EQ(m_pDoc->m_nScriptStopCalls, 0);
  EXPECT_TRUE(m_pDoc->IsRunning());
  EXPECT_TRUE(m_pDoc->m_bWaitAnswer);
}

TEST_F(NamedMessages, ReaderErrorWithAutoPauseStopsTheRun) {
  m_pDoc->m_bRunning = TRUE;
  m_pDoc->m_bWaitAnswer = TRUE;
  m_pDoc->m_bBeepOnError = FALSE;
  PostMessage(Window(), WM_RECV_ERROR, 0, 0);
  RunQueue();
  EXPECT_TRUE(m_Prompts.m_Beeps.empty());
  EXPECT_EQ(m_pDoc->m_nScriptStopCalls, 1);
  EXPECT_FALSE(m_pDoc->IsRunning());
  EXPECT_FALSE(m_pDoc->m_bWaitAnswer);
}

TEST_F(NamedMessages, ReaderErrorWithNothingAwaitedStopsEvenWithoutAutoPause) {
  // No answer will come to end the statement, so the run cannot go on.
  m_pDoc->m_bRunning = TRUE;
  m_pDoc->m_bAutoPause = FALSE;
  SendMessage(Window(), WM_RECV_ERROR, 0, 0);
  EXPECT_EQ(m_pDoc->m_nScriptStopCalls, 1);
  EXPECT_FALSE(m_pDoc->IsRunning());
}

TEST_F(NamedMessages, BoardDisconnectedWhileConnectedDisconnectsStopsAndTellsOnce) {
  MarkConnected();
  m_pDoc->m_bRunning = TRUE;
  PostMessage(Window(), WM_RECV_BOARD_DISCONNECTED, 0, 0);
  RunQueue();
  EXPECT_EQ(m_pDoc->m_nDisconnectCalls, 1);
  EXPECT_EQ(m_pDoc->m_nScriptStopCalls, 1);
  EXPECT_FALSE(m_pDoc->IsConnected());
  EXPECT_FALSE(m_Protocol.GetConnected());
  EXPECT_FALSE(m_pDoc->IsRunning());
  ASSERT_EQ(m_Prompts.m_Messages.size(), 1u);
  EXPECT_EQ(m_Prompts.m_Messages[0], kDisconnectedText);

  // A second report finds the document disconnected and says nothing.
  PostMessage(Window(), WM_RECV_BOARD_DISCONNECTED, 0, 0);
  RunQueue();
  EXPECT_EQ(m_Prompts.m_Messages.size(), 1u);
  EXPECT_EQ(m_pDoc->m_nDisconnectCalls, 1);
}

TEST_F(NamedMessages, BoardDisconnectedWhileNotConnectedIsIgnored) {
  m_pDoc->m_bRunning = TRUE;
  SendMessage(Window(), WM_RECV_BOARD_DISCONNECTED, 0, 0);
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
  EXPECT_EQ(m_pDoc->m_nDisconnectCalls, 0);
  EXPECT_EQ(m_pDoc->m_nScriptStopCalls, 0);
  EXPECT_TRUE(m_pDoc->IsRunning());
}

TEST_F(NamedMessages, ReceiveAtrIsRegisteredButHandledByNoDocument) {
  const UINT atrMessage = RegisterMessage("Tavric::ReceiveATR");
  ASSERT_NE(atrMessage, 0u);
  BYTE atr[] = {0x3B, 0x00};
  EXPECT_EQ(SendMessage(Window(), atrMessage, WPARAM(atr), 2), 0);
  EXPECT_EQ(m_pDoc->GetTraceLog().GetCount(), 0u);
  EXPECT_TRUE(m_pDoc->m_Sent.empty());
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
}

TEST_F(NamedMessages, EmptyAndTruncatedAnswersAreHandledWithoutReadingPastThem) {
  m_pDoc->m_eScriptType = SCRIPT_COMMANDS;
  m_pDoc->m_bRunning = TRUE;
  m_pDoc->m_bWaitAnswer = TRUE;
  EXPECT_EQ(SendMessage(Window(), WM_RECV_ANSWER, 0, 5), 1);
  const BYTE one[] = {0x60};
  PostAnswer(Window(), one, 1);
  PostAnswer(Window(), one, 0);
  EXPECT_TRUE(RunQueue());
  EXPECT_FALSE(m_pDoc->m_bWaitAnswer);
}

TEST_F(NamedMessages, LoopbackStepMessageRunsTheProtocolsNextStep) {
  PostMessage(Window(), WM_LPB, 0, 0);
  RunQueue();
  EXPECT_EQ(m_Protocol.m_nStartLpbCalls, 1);
}

TEST_F(NamedMessages, NoActiveDocumentMeansANullBoardAndMessagesGoNowhere) {
  CTVRHost::Instance().SetActiveDocument(nullptr);
  EXPECT_EQ(GetActiveBoard(), 0u);
  BYTE bytes[] = {1, 2};
  EXPECT_FALSE(PostMessage(GetActiveBoard(), WM_SEND_RAWDATA, WPARAM(bytes), 2));
  EXPECT_EQ(SendMessage(GetActiveBoard(), WM_SEND_RAWDATA, WPARAM(bytes), 2), 0);
  RunQueue();
  EXPECT_TRUE(m_pDoc->m_Sent.empty());

  CTVRHost::Instance().SetActiveDocument(m_pDoc.get());
  EXPECT_EQ(GetActiveBoard(), Window());
}

TEST_F(NamedMessages, MessagesQueuedForADestroyedDocumentAreDropped) {
  auto pOther = NewBoard();
  pOther->m_pProtocol = &m_Protocol;
  const HWND hOther = pOther->GetDummyWindow()->GetSafeHwnd();
  CTVRHost::Instance().SetActiveDocument(pOther.get());
  const std::vector<BYTE> answer = MakeAnswerFrame(0x60, 0x01);
  PostAnswer(hOther, answer.data(), DWORD(answer.size()));
  PostComment(hOther, "late", TRACE_COMMENT);
  PostMessage(hOther, WM_END_COMMAND, 0, 0);
  pOther.reset();

  EXPECT_EQ(CTVRHost::Instance().GetActiveDocument(), nullptr);
  EXPECT_TRUE(RunQueue());
  EXPECT_EQ(SendMessage(hOther, WM_COMMAND_TYPE, 1, 0), 0);
  EXPECT_EQ(m_pDoc->GetTraceLog().GetCount(), 0u);
}

}  // namespace
