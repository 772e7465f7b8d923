// The Delay Options dialog over a document's options, and a board thread's
// synchronous send served while a modal box is open.
#include <atomic>
#include <thread>

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <tavric/messages.h>

#include "document/board_doc_private.h"
#include "document/delay_options_dlg.h"
#include "shell/delay_options_box.h"
#include "shell/widget_prompts.h"
#include "shell_fixture.h"

namespace {

using DialogsTest = CTVRShellFixture;

TEST_F(DialogsTest, DelayOptionsShowTheRecordOkReadsTheControlsAndCancelPutsTheChecksBack) {
  CTVRDelayOptions options;
  options.m_bCommandDelay = TRUE;
  options.m_dwCommandDelay = 300;
  options.m_dwDsrTxDelay = 12;
  {
    CTVRDelayOptionsDlg logic(options);
    logic.Open();
    CTVRDelayOptionsBox box(logic);
    EXPECT_TRUE(box.GetCommandDelay()->isChecked());
    EXPECT_EQ(box.GetDelay()->text(), QStringLiteral("300"));
    EXPECT_TRUE(box.GetDelay()->isEnabled());
    EXPECT_EQ(box.GetDsrTxDelay()->text(), QStringLiteral("12"));
    box.GetDelay()->clear();
    QTest::keyClicks(box.GetDelay(), QStringLiteral("7a5-0"));  // digits only
    EXPECT_EQ(box.GetDelay()->text(), QStringLiteral("750"));
    box.GetFreeReception()->setChecked(true);
    box.accept();
  }
  EXPECT_EQ(options.m_dwCommandDelay, 750u);
  EXPECT_EQ(options.m_bFreeReception, TRUE);
  EXPECT_EQ(options.m_bCommandDelay, TRUE);
  // Cancel puts the checks back but keeps a number the check box read.
  CTVRDelayOptionsDlg logic(options);
  logic.Open();
  CTVRDelayOptionsBox box(logic);
  box.GetDelay()->setText(QStringLiteral("42"));
  box.GetCommandDelay()->click();  // reads every control
  EXPECT_FALSE(box.GetDelay()->isEnabled());
  EXPECT_EQ(options.m_bCommandDelay, FALSE);
  box.reject();
  EXPECT_EQ(options.m_bCommandDelay, TRUE);
  EXPECT_EQ(options.m_dwCommandDelay, 42u);
  // A delay beyond the field saturates instead of wrapping to a short one; an empty one is 0.
  logic.SetDelayText("99999999999999");
  logic.SetDsrTxDelayText("");
  logic.OnOK();
  EXPECT_EQ(options.m_dwCommandDelay, 0xFFFFFFFFu);
  EXPECT_EQ(options.m_dwDsrTxDelay, 0u);
}

TEST_F(DialogsTest, ASynchronousSendFromABoardThreadIsServedWhileAMessageBoxIsOpen) {
  CTVRTestBoard doc;
  CTVRBoardDocPrivate::Of(doc).SetHostContext(&m_Context);
  doc.OnNewDocument();
  CTVRDispatcher::GetInstalled()->RunUntilIdle();
  tvr::HWND hWnd = doc.GetDummyWindow()->GetSafeHwnd();
  std::atomic<bool> boxOpen{true}, sent{false}, servedInTheBox{false};
  std::thread board;
  // Once the box is open, a board thread sends; the box closes once the send
  // has returned (or after two seconds). A send the box did not serve is
  // served after it, and said so.
  OnNextModal<QMessageBox>([&](QMessageBox* pBox) {
    board = std::thread([&] {
      static const char text[] = "served";
      CTVRDispatcher::GetInstalled()->Send(hWnd, WM_RECV_COMMENTS, tvr::WPARAM(text), 0);
      servedInTheBox = boxOpen.load();
      sent = true;
    });
    auto* pPoll = new QTimer(pBox);
    QObject::connect(pPoll, &QTimer::timeout, pBox, [&sent, pBox, ticks = 0]() mutable {
      if (sent || ++ticks > 200) pBox->close();
    });
    pPoll->start(10);
  });
  CTVRWidgetPrompts().MessageBox("A box that the board must not wait for.");
  boxOpen = false;
  EXPECT_TRUE(CTVRDispatcher::GetInstalled()->RunUntil([&] { return sent.load(); }, std::chrono::seconds(5)));
  if (board.joinable()) board.join();
  EXPECT_TRUE(servedInTheBox);
}

// The close question and the Open dialog as the user sees them (the question's
// words: AppTest.EveryWayOfClosingAReaderAsksFirst).
TEST_F(DialogsTest, TheCloseQuestionIsAWarningWithYesAndNoAndTheOpenDialogIsTitledOpen) {
  CTVRWidgetPrompts prompts(&Frame());
  m_Context.SetPrompts(&prompts);
  NewReader();
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  OnNextModal<QMessageBox>([&](QMessageBox* pBox) {
    icon = pBox->icon();
    buttons = pBox->standardButtons();
    pBox->button(QMessageBox::No)->click();
  });
  Frame().GetFrames()[0]->close();
  QString title;
  OnNextModal<QFileDialog>([&](QFileDialog* pDialog) {
    title = pDialog->windowTitle();
    pDialog->reject();
  });
  Frame().OnCommand(57601);
  m_Context.SetPrompts(&m_Prompts);
  EXPECT_EQ(icon, QMessageBox::Warning);
  EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(Frame().GetFrames().size(), 1u);
  EXPECT_EQ(title, QStringLiteral("Open"));
}

}  // namespace
