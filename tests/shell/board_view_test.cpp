// The trace pane: records in their colours, growth at the end at screen rate,
// the context menu, the display switch, the kept text reloaded, saving and
// printing, all from the document's record store.
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPrinter>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QWheelEvent>

#include "document/board_doc_private.h"
#include "menu_texts.h"
#include "shell/options_dlg.h"
#include "trace/trace_log.h"
#include "view_fixture.h"

namespace {

const std::string kIndent(12, ' ');

class BoardView : public CTVRViewFixture {
 protected:
  void Info(const std::string& text) { CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(text, TRACE_INFO); }
  std::string ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "(none)";
  }
  QTemporaryDir m_Dir;
};

TEST_F(BoardView, EachRecordKindIsPaintedInItsColour) {
  const BYTE sent[] = {0x6F, 0x00, 0x01, 0xD4, 0xBA, 0x6F, 0x00, 0x01};
  const BYTE received[] = {0x60, 0x00, 0x01, 0xD4, 0xB5, 0x60, 0x00, 0x01};
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(" Get firmware", TRACE_COMMAND_NAME);          // line 0
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(sent, 8, TRACE_SENT);                          // line 1
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(" Get firmware EXECUTED", TRACE_ANSWER_TEXT);  // line 2
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(received, 8, TRACE_RECEIVED);                  // line 3, empty line 4
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage("* a comment\r\n", TRACE_COMMENT);             // line 5
  Info("Loop 1");                                                                               // line 6
  m_pTrace->FlushFrame();
  const QImage image = m_pTrace->viewport()->grab().toImage();
  const int h = m_pTrace->GetLineHeight();
  // The hue families found on a line.
  auto hues = [&](int line) {
    std::set<EHue> found;
    tvr_test::CountPixels(image, QRect(0, line * h, image.width(), h), [&](QColor c) {
      if (Hue(c) != HUE_NONE) found.insert(Hue(c));
      return false;
    });
    return found;
  };
  const std::vector<std::pair<int, std::set<EHue>>> expected = {
      {0, {HUE_BLACK}}, {1, {HUE_PURPLE}}, {2, {HUE_BLACK}}, {3, {HUE_BLUE}}, {4, {}}, {5, {HUE_GREEN}}, {6, {HUE_RED}},
  };
  for (const auto& [line, wanted] : expected) EXPECT_EQ(hues(line), wanted) << line;
  EXPECT_EQ(m_pTrace->GetLine(1), kIndent + "6F 00 01 D4 BA 6F 00 01 ");
}

TEST_F(BoardView, ALoopIsFollowedToItsLastRecordUnlessTheUserScrolledAway) {
  MarkConnected();
  m_pDoc->SetResponder(CTVRTestBoard::EchoResponder());
  // The comment is wider than the pane: its scroll bar comes with the first loop.
  SetScript({"* a comment line wider than the trace pane, so that its horizontal scroll bar appears", ".info;",
             "01 02 03;", "01 04;"});
  CTVRBoardDocPrivate::Of(*m_pDoc).SetLoopMode(TRUE);
  QScrollBar* pBar = m_pTrace->verticalScrollBar();
  // Runs the loop until `records` more have arrived, then stops it and waits
  // for the frame that shows the last record.
  auto loop = [&](std::size_t records) {
    const std::size_t until = CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().GetCount() + records;
    CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStart();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().GetCount() >= until; }, 20000));
    m_pDoc->OnScriptStop();
    RunQueue();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_pTrace->IsFramePending(); }, 2000));
  };
  auto lastShown = [&] { return m_pTrace->GetFirstVisibleLine() + m_pTrace->GetVisibleLineCount() - 1; };

  loop(20000);
  EXPECT_TRUE(m_pTrace->horizontalScrollBar()->isVisible());
  EXPECT_EQ(lastShown(), m_pTrace->GetLineCount() - 1);
  EXPECT_EQ(pBar->value(), pBar->maximum());

  // Scrolled up by the wheel, the pane stays on the lines the user is reading.
  QWheelEvent wheel(QPointF(20, 20), m_pTrace->viewport()->mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, 120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(m_pTrace->viewport(), &wheel);
  const std::size_t top = m_pTrace->GetFirstVisibleLine();
  ASSERT_LT(top, pBar->maximum());
  const std::string topLine = m_pTrace->GetLine(top);
  loop(2000);
  EXPECT_EQ(m_pTrace->GetFirstVisibleLine(), top);
  EXPECT_EQ(m_pTrace->GetLine(top), topLine);

  // Back at the end, it follows again.
  QTest::keyClick(m_pTrace, Qt::Key_End, Qt::ControlModifier);
  loop(2000);
  EXPECT_EQ(lastShown(), m_pTrace->GetLineCount() - 1);
}

TEST_F(BoardView, OldRecordsLeaveThePaneAndSaveLogStillWritesAllSinceTheClear) {
  CTVRBoardDocPrivate::Of(*m_pDoc).SetScriptPath((m_Dir.path() + "/long.cmd").toStdString());
  // Tools > Options sets the limit of every open pane, and keeps it.
  CTVROptionsDlg options;
  options.GetRecordLimit()->setValue(1000);
  options.accept();
  EXPECT_EQ(m_pTrace->GetRecordLimit(), 1000u);
  EXPECT_EQ(CTVRBoardView::GetStoredRecordLimit(), 1000u);
  CTVRBoardView::StoreRecordLimit(CTVRBoardView::DEFAULT_RECORD_LIMIT);
  m_pTrace->SetRecordLimit(1000);

  Info("before the clear");
  CTVRBoardDocPrivate::Of(*m_pDoc).OnEditClearAll();
  std::string all;
  auto add = [&](int from, int to) {
    for (int i = from; i < to; ++i) {
      Info("record " + std::to_string(i));
      all += "record " + std::to_string(i) + "\r\n";
    }
    m_pTrace->FlushFrame();
  };
  add(0, 900);
  // Scrolled up to one record, the pane keeps it in sight while older ones go.
  m_pTrace->verticalScrollBar()->setValue(800);
  ASSERT_EQ(m_pTrace->GetLine(800), "record 800");
  add(900, 1100);
  EXPECT_EQ(m_pTrace->GetLine(m_pTrace->GetFirstVisibleLine()), "record 800");
  EXPECT_NE(m_pTrace->GetLine(0), "record 0");
  add(1100, 3000);
  EXPECT_LE(m_pTrace->GetRecordCount(), 1000u);
  EXPECT_LE(CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().GetCount(), 1000u);
  EXPECT_EQ(m_pTrace->GetLine(m_pTrace->GetLineCount() - 2), "record 2999");

  m_pTrace->DoCommand(ID_LOGFILE_SAVE);
  EXPECT_EQ(ReadFile(m_Dir.path() + "/long.log"), all);
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
}

TEST_F(BoardView, TheDisplaySwitchChangesWhatFollowsAndAKeptTextReloads) {
  const BYTE bytes[] = {'O', 'K'};
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(" Read", TRACE_COMMAND_NAME);
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(bytes, 2, TRACE_SENT);
  CTVRCmdUI ui(ID_HEX_TO_ASCII);
  m_pTrace->OnCmdMsg(ID_HEX_TO_ASCII, CN_UPDATE_COMMAND_UI, &ui, nullptr);  // routed to the document
  EXPECT_EQ(ui.m_nCheck, 1);
  m_pTrace->DoCommand(ID_HEX_TO_ASCII);
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(bytes, 2, TRACE_SENT);
  const std::string text = "PC -> IFD : Read\r\n" + kIndent + "4F 4B \r\n" + kIndent + "OK\r\n";
  EXPECT_EQ(m_pTrace->GetWholeText(), text);

  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessage(nullptr, 0, TRACE_KEEP);
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetKeptTrace(), text);
  CTVRBoardDocPrivate::Of(*m_pDoc).OnEditClearAll();
  EXPECT_EQ(m_pTrace->GetLineCount(), 1u);
  CTVRBoardDocPrivate::Of(*m_pDoc).NotifyMessageForReload(CTVRBoardDocPrivate::Of(*m_pDoc).GetKeptTrace());
  EXPECT_EQ(m_pTrace->GetWholeText(), text);
  EXPECT_EQ(m_pTrace->GetLine(1), kIndent + "4F 4B ");
}

TEST_F(BoardView, TheContextMenuClearsSelectsAndCopies) {
  Info("PC line");
  Info("second line");
  m_pTrace->FlushFrame();
  std::unique_ptr<QMenu> pMenu(m_pTrace->CreateContextMenu());
  EXPECT_EQ(tvr_test::ActionTexts(pMenu->actions(), true).join('|').toStdString(),
            "Clear All|Select All|-|Undo (off)|-|Cut (off)|Copy (off)|Paste (off)");

  // A drag selects; Copy takes the text with CR LF between lines.
  const int h = m_pTrace->GetLineHeight(), w = m_pTrace->GetCharWidth();
  Drag(m_pTrace->viewport(), QPoint(2 + 3 * w + 1, h / 2), QPoint(2 + 6 * w + 1, h + h / 2));
  QTest::keyClick(m_pTrace, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "line\r\nsecond");
  pMenu.reset(m_pTrace->CreateContextMenu());
  pMenu->actions()[1]->trigger();  // Select All
  m_pTrace->DoCommand(CTVRBoardView::ID_EDIT_COPY);
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "PC line\r\nsecond line\r\n");

  pMenu->actions()[0]->trigger();  // Clear All (the records stay: TraceTextView.ClearEmptiesTheView...)
  EXPECT_EQ(m_pTrace->GetWholeText(), "");
  EXPECT_FALSE(m_pTrace->HasSelection());
}

// Records are painted once a frame, not one by one; following the end, the
// pane shows the last record and the empty line after it (scrolled up, it
// stays: ALoopIsFollowedToItsLastRecordUnlessTheUserScrolledAway). The long
// trace is searched from the selection.
TEST_F(BoardView, RecordsAppendAtTheEndOncePerFrameAndALongTraceIsSearchedFromTheSelection) {
  m_pTrace->FlushFrame();
  const std::size_t frames = m_pTrace->GetFrameCount();
  for (int i = 0; i < 20000; ++i) Info(i % 5000 == 4321 ? "reader says: card removed" : "record " + std::to_string(i));
  // Nothing is repainted per record.
  EXPECT_EQ(m_pTrace->GetFrameCount(), frames);
  // A loaded machine may run the frame's timer late; it still comes, once.
  EXPECT_TRUE(QTest::qWaitFor([&] { return m_pTrace->GetFrameCount() != frames; }, 2000));
  EXPECT_EQ(m_pTrace->GetFrameCount(), frames + 1);
  EXPECT_FALSE(m_pTrace->IsFramePending()) << "no second frame for the same records";
  EXPECT_EQ(m_pTrace->GetFirstVisibleLine(), 20001 - m_pTrace->GetVisibleLineCount());

  ASSERT_TRUE(m_pTrace->FindNext("card removed"));
  EXPECT_EQ(m_pTrace->GetSelectionStart(), (CTVRBoardView::Position{4321, 13}));
  EXPECT_EQ(m_pTrace->GetSelectionEnd(), (CTVRBoardView::Position{4321, 25}));
  const std::size_t top = m_pTrace->GetFirstVisibleLine();
  EXPECT_LE(top, 4321u);
  EXPECT_GT(top + m_pTrace->GetVisibleLineCount(), 4321u);
  ASSERT_TRUE(m_pTrace->FindNext("card removed"));
  EXPECT_EQ(m_pTrace->GetSelectionStart().first, 9321u);
  QTest::keyClick(m_pTrace, Qt::Key_F3);
  QTest::keyClick(m_pTrace, Qt::Key_F3);
  EXPECT_EQ(m_pTrace->GetSelectionStart().first, 19321u);
  EXPECT_FALSE(m_pTrace->FindNext("card removed"));
  EXPECT_EQ(m_pTrace->GetSelectionStart().first, 19321u);
  EXPECT_FALSE(m_pTrace->FindNext("not there"));
}

TEST_F(BoardView, PrintingPutsEveryLineOnPagesWithHalfInchMargins) {
  auto pages = [&](int lines) {
    CTVRBoardDocPrivate::Of(*m_pDoc).OnEditClearAll();
    for (int i = 0; i < lines; ++i) Info("line " + std::to_string(i));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_Dir.path() + "/trace.pdf");
    m_pTrace->PrintTo(printer);
    EXPECT_EQ(printer.pageLayout().margins(QPageLayout::Inch), QMarginsF(0.5, 0.5, 0.5, 0.5));
    const std::string pdf = ReadFile(m_Dir.path() + "/trace.pdf");
    int count = 0;
    for (std::size_t at = pdf.find("/Type /Page\n"); at != std::string::npos; at = pdf.find("/Type /Page\n", at + 1))
      ++count;
    return count;
  };
  EXPECT_EQ(pages(3), 1);
  // A4 less an inch holds well under 300 lines of 13-pixel text, and well over 30.
  const int many = pages(300);
  EXPECT_GE(many, 2);
  EXPECT_LE(many, 10);
}

}  // namespace
