// The script editor pane: keys, mouse, clipboard, breakpoints, the next
// statement and the read-only state, driven as a user would, with the line
// store as the only place the text lives.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QClipboard>
#include <QImage>
#include <QMenu>

#include "document/board_doc_private.h"
#include "view_fixture.h"

namespace {

using Pos = CTVRScriptView::CPosition;
using Script = std::vector<std::string>;

// One user action: a key (with modifiers) or a text typed.
struct Key {
  int m_nKey = 0;
  Qt::KeyboardModifiers m_Modifiers = Qt::NoModifier;
  const char* m_pszText = nullptr;
};
Key Type(const char* text) {
  return Key{0, Qt::NoModifier, text};
}

class ScriptView : public CTVRViewFixture {
 protected:
  void Press(const std::vector<Key>& keys) {
    for (const Key& key : keys) {
      if (key.m_pszText)
        QTest::keyClicks(m_pScript, key.m_pszText);
      else
        QTest::keyClick(m_pScript, Qt::Key(key.m_nKey), key.m_Modifiers);
    }
  }
  // The script replaced, the caret placed (no selection).
  void Start(const Script& lines, Pos caret) {
    SetScript(lines);
    if (lines.empty()) CTVRBoardDocPrivate::Of(*m_pDoc).RemoveLine(0);
    m_pDoc->UpdateAllViews(nullptr, HINT_ALL, nullptr);  // as a loaded script is shown
    m_pScript->SetSelection(caret, caret);
  }
  // What a Copy puts on the clipboard.
  std::string Copied() {
    QApplication::clipboard()->clear();
    m_pScript->DoCommand(CTVRScriptView::ID_EDIT_COPY);
    return QApplication::clipboard()->text().toStdString();
  }
  bool Enabled(tvr::UINT id) {
    CTVRCmdUI ui(id);
    m_pScript->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui, nullptr);
    return ui.m_bEnabled != FALSE;
  }
};

TEST_F(ScriptView, TypedKeysEditTheLineStore) {
  struct Case {
    const char* m_pszName;
    Script m_Before;
    Pos m_Caret;
    std::vector<Key> m_Keys;
    Script m_After;
    Pos m_CaretAfter;
  };
  const Case cases[] = {
      {"typing into an empty document", {}, {0, 0}, {Type("00 a4;")}, {"00 a4;"}, {6, 0}},
      {"Enter at column 0", {"00 a4;", "00 b0;"}, {0, 1}, {{Qt::Key_Return}}, {"00 a4;", "", "00 b0;"}, {0, 2}},
      {"Enter inside a line", {"00 a4 04;"}, {5, 0}, {{Qt::Key_Enter}}, {"00 a4", " 04;"}, {0, 1}},
      {"Backspace at the start of line 0", {"ab", "cd"}, {0, 0}, {{Qt::Key_Backspace}}, {"ab", "cd"}, {0, 0}},
      {"Backspace at column 0 of line 1", {"ab", "cd"}, {0, 1}, {{Qt::Key_Backspace}}, {"abcd"}, {2, 0}},
      {"Backspace inside a line", {"abc"}, {2, 0}, {{Qt::Key_Backspace}}, {"ac"}, {1, 0}},
      {"Delete at the end of the last line", {"ab", "cd"}, {2, 1}, {{Qt::Key_Delete}}, {"ab", "cd"}, {2, 1}},
      {"Delete at the end of a line", {"ab", "cd"}, {2, 0}, {{Qt::Key_Delete}}, {"abcd"}, {2, 0}},
      {"Tab is a character", {"ab"}, {1, 0}, {{Qt::Key_Tab}}, {"a\tb"}, {2, 0}},
      {"Insert is ignored", {"ab"}, {1, 0}, {{Qt::Key_Insert}, Type("x")}, {"axb"}, {2, 0}},
  };
  for (const Case& c : cases) {
    Start(c.m_Before, c.m_Caret);
    Press(c.m_Keys);
    EXPECT_EQ(Lines(), c.m_After) << c.m_pszName;
    EXPECT_EQ(m_pScript->GetCaret(), c.m_CaretAfter) << c.m_pszName;
    EXPECT_EQ(m_pScript->GetAnchor(), c.m_CaretAfter) << c.m_pszName;
  }
}

TEST_F(ScriptView, KeysMoveTheCaretAsTheTableSays) {
  const Script script = {"00 a4 04 00;", "", "  .t(100);", "ab"};
  struct Case {
    const char* m_pszName;
    Pos m_Caret;
    std::vector<Key> m_Keys;
    Pos m_Anchor;
    Pos m_CaretAfter;
  };
  const Case cases[] = {
      {"Left from column 0", {0, 2}, {{Qt::Key_Left}}, {0, 1}, {0, 1}},
      {"Right from the end of a line", {12, 0}, {{Qt::Key_Right}}, {0, 1}, {0, 1}},
      {"Right at the end of the script", {2, 3}, {{Qt::Key_Right}}, {2, 3}, {2, 3}},
      {"Ctrl+Left to the previous word", {5, 0}, {{Qt::Key_Left, Qt::ControlModifier}}, {3, 0}, {3, 0}},
      {"Ctrl+Left across lines", {2, 2}, {{Qt::Key_Left, Qt::ControlModifier}}, {9, 0}, {9, 0}},
      {"Ctrl+Right to the next word", {0, 0}, {{Qt::Key_Right, Qt::ControlModifier}}, {3, 0}, {3, 0}},
      {"Ctrl+Right across lines", {9, 0}, {{Qt::Key_Right, Qt::ControlModifier}}, {2, 2}, {2, 2}},
      {"Up keeps the column for later", {10, 2}, {{Qt::Key_Up}, {Qt::Key_Up}}, {10, 0}, {10, 0}},
      {"Down limits the column", {10, 0}, {{Qt::Key_Down}, {Qt::Key_Down}, {Qt::Key_Down}}, {2, 3}, {2, 3}},
      {"Down stops at the last line", {1, 3}, {{Qt::Key_Down}}, {1, 3}, {1, 3}},
      {"Home", {5, 2}, {{Qt::Key_Home}}, {0, 2}, {0, 2}},
      {"Ctrl+Home", {5, 2}, {{Qt::Key_Home, Qt::ControlModifier}}, {0, 0}, {0, 0}},
      {"End", {1, 0}, {{Qt::Key_End}}, {12, 0}, {12, 0}},
      {"Ctrl+End", {1, 0}, {{Qt::Key_End, Qt::ControlModifier}}, {2, 3}, {2, 3}},
      {"Shift extends the selection", {1, 0}, {{Qt::Key_Down, Qt::ShiftModifier}}, {1, 0}, {0, 1}},
      {"Page Down stops at the last line", {0, 0}, {{Qt::Key_PageDown}}, {0, 3}, {0, 3}},
      {"Ctrl+Page Down leaves the caret", {4, 0}, {{Qt::Key_PageDown, Qt::ControlModifier}}, {4, 0}, {4, 0}},
  };
  for (const Case& c : cases) {
    Start(script, c.m_Caret);
    Press(c.m_Keys);
    EXPECT_EQ(m_pScript->GetAnchor(), c.m_Anchor) << c.m_pszName;
    EXPECT_EQ(m_pScript->GetCaret(), c.m_CaretAfter) << c.m_pszName;
  }
  // Without Shift, a move starts from the selection's end on its side.
  Start(script, {0, 0});
  m_pScript->SetSelection({2, 0}, {5, 0});
  Press({{Qt::Key_Left}});
  EXPECT_EQ(m_pScript->GetCaret(), (Pos{1, 0}));
  m_pScript->SetSelection({5, 0}, {2, 0});
  Press({{Qt::Key_Right}});
  EXPECT_EQ(m_pScript->GetCaret(), (Pos{6, 0}));
  EXPECT_EQ(Lines(), script);
}

TEST_F(ScriptView, ADragAcrossThreeLinesThenACharacterLeavesOneLine) {
  Start({"00 a4 04 00;", "00 b0 00 00 10;", "00 c0 00 00 02;", "00 d0;"}, {0, 0});
  Drag(m_pScript->viewport(), CellPoint(3, 0), CellPoint(6, 2));
  EXPECT_EQ(m_pScript->GetAnchor(), (Pos{3, 0}));
  EXPECT_EQ(m_pScript->GetCaret(), (Pos{6, 2}));
  EXPECT_EQ(Copied(), "a4 04 00;\r\n00 b0 00 00 10;\r\n00 c0 ");
  Press({Type("X")});
  EXPECT_EQ(Lines(), (Script{"00 X00 00 02;", "00 d0;"}));
  EXPECT_EQ(m_pScript->GetCaret(), (Pos{4, 0}));
}

TEST_F(ScriptView, AClickInTheMarginSelectsTheWholeLineWithItsBreak) {
  Script script;
  for (int i = 0; i < 8; ++i) script.push_back("line " + std::to_string(i) + ";");
  Start(script, {0, 0});
  QTest::mouseClick(m_pScript->viewport(), Qt::LeftButton, {}, QPoint(5, CellPoint(0, 5).y()));
  EXPECT_EQ(m_pScript->GetAnchor(), (Pos{0, 5}));
  EXPECT_EQ(m_pScript->GetCaret(), (Pos{0, 6}));
  EXPECT_EQ(Copied(), "line 5;\r\n");
  // The last line has no break to take.
  QTest::mouseClick(m_pScript->viewport(), Qt::LeftButton, {}, QPoint(5, CellPoint(0, 7).y()));
  EXPECT_EQ(Copied(), "line 7;");
  // A click in the text below the last line lands on the last line; Shift plays no part.
  QTest::mouseClick(m_pScript->viewport(), Qt::LeftButton, Qt::ShiftModifier, CellPoint(3, 9));
  EXPECT_EQ(m_pScript->GetAnchor(), (Pos{3, 7}));
  EXPECT_EQ(m_pScript->GetCaret(), (Pos{3, 7}));
}

TEST_F(ScriptView, ClipboardCommandsUseCrLfAndSelectAllTakesEverything) {
  Start({"00 a4;", "* comment", "00 b0;"}, {3, 0});
  QApplication::clipboard()->setText(QStringLiteral("11 22;\r\n* pasted\r\n33"));
  m_pScript->DoCommand(CTVRScriptView::ID_EDIT_PASTE);
  EXPECT_EQ(Lines(), (Script{"00 11 22;", "* pasted", "33a4;", "* comment", "00 b0;"}));
  EXPECT_EQ(m_pScript->GetCaret(), (Pos{2, 2}));

  m_pScript->DoCommand(CTVRScriptView::ID_EDIT_SELECT_ALL);
  EXPECT_EQ(m_pScript->GetAnchor(), (Pos{0, 0}));
  EXPECT_EQ(m_pScript->GetCaret(), (Pos{6, 4}));
  EXPECT_EQ(Copied(), "00 11 22;\r\n* pasted\r\n33a4;\r\n* comment\r\n00 b0;");

  m_pScript->SetSelection({0, 1}, {0, 3});
  m_pScript->DoCommand(CTVRScriptView::ID_EDIT_CUT);
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "* pasted\r\n33a4;\r\n");
  EXPECT_EQ(Lines(), (Script{"00 11 22;", "* comment", "00 b0;"}));
  m_pScript->SetSelection({2, 2}, {6, 2});
  m_pScript->DoCommand(CTVRScriptView::ID_EDIT_CLEAR);
  EXPECT_EQ(Lines(), (Script{"00 11 22;", "* comment", "00"}));

  // A single piece goes into the line; a bare LF from another program ends a line too.
  Start({"ab"}, {1, 0});
  QApplication::clipboard()->setText(QStringLiteral("xy"));
  m_pScript->DoCommand(CTVRScriptView::ID_EDIT_PASTE);
  QApplication::clipboard()->setText(QStringLiteral("1\n2"));
  m_pScript->DoCommand(CTVRScriptView::ID_EDIT_PASTE);
  EXPECT_EQ(Lines(), (Script{"axy1", "2b"}));
}

TEST_F(ScriptView, CommandsAreEnabledByTheirRulesAndUndoNeverAndAReadOnlyDocumentIsNotEdited) {
  Start({"00 a4;", "00 b0;"}, {0, 0});
  QApplication::clipboard()->setText(QStringLiteral("text"));
  using V = CTVRScriptView;
  const tvr::UINT ids[] = {V::ID_EDIT_CUT,  V::ID_EDIT_COPY, V::ID_EDIT_PASTE,        V::ID_EDIT_CLEAR,
                           V::ID_EDIT_UNDO, V::ID_EDIT_REDO, V::ID_INSERT_BREAKPOINT, V::ID_EDIT_SELECT_ALL};
  auto states = [&] {
    std::vector<bool> enabled;
    for (tvr::UINT id : ids) enabled.push_back(Enabled(id));
    return enabled;
  };
  EXPECT_EQ(states(), (std::vector<bool>{false, false, true, false, false, false, true, true}));
  m_pScript->SetSelection({0, 0}, {2, 0});
  EXPECT_EQ(states(), (std::vector<bool>{true, true, true, true, false, false, true, true}));
  // A read-only document copies and takes breakpoints but is not edited.
  const QColor writable = m_pScript->GetBackgroundColour();
  CTVRBoardDocPrivate::Of(*m_pDoc).m_bReadOnly = TRUE;
  m_pDoc->UpdateAllViews(nullptr, HINT_READ_ONLY, nullptr);
  EXPECT_EQ(states(), (std::vector<bool>{false, true, false, false, false, false, true, true}));
  EXPECT_TRUE(m_pScript->IsReadOnly());
  EXPECT_NE(m_pScript->GetBackgroundColour(), writable);
  m_pScript->SetSelection({0, 0}, {3, 1});
  Press({Type("x"), {Qt::Key_Return}, {Qt::Key_Backspace}, {Qt::Key_Delete}});
  m_pScript->DoCommand(CTVRScriptView::ID_EDIT_CLEAR);
  m_pScript->DoCommand(CTVRScriptView::ID_EDIT_CUT);
  m_pScript->DoCommand(CTVRScriptView::ID_EDIT_PASTE);
  EXPECT_EQ(Lines(), (Script{"00 a4;", "00 b0;"}));
  EXPECT_EQ(Copied(), "00 a4;\r\n00 ");
  Press({{Qt::Key_F9}});  // the caret's line: 1
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetLineState(1) & LINE_BREAKPOINT, DWORD(LINE_BREAKPOINT));
  m_pScript->DoCommand(CTVRScriptView::ID_INSERT_BREAKPOINT);
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetLineState(1) & LINE_BREAKPOINT, DWORD(0));
  CTVRBoardDocPrivate::Of(*m_pDoc).m_bReadOnly = FALSE;
  m_pDoc->UpdateAllViews(nullptr, HINT_ALL, nullptr);
  EXPECT_EQ(m_pScript->GetBackgroundColour(), writable);

  std::unique_ptr<QMenu> pMenu(m_pScript->CreateContextMenu());
  QStringList texts;
  for (QAction* pAction : pMenu->actions())
    if (!pAction->isSeparator()) texts << pAction->text();
  EXPECT_EQ(texts.join('|').toStdString(),
            "Cut|Copy|Paste|Insert/Remove Breakpoint|Set Next Statement|Show Next Statement|Delay Options");
}

TEST_F(ScriptView, TheNextStatementIsSetByCommandAndDoubleClickAndFollowedOnHint32) {
  Script script;
  for (int i = 0; i < 200; ++i) script.push_back("00 " + std::to_string(i) + ";");
  Start(script, {0, 0});
  const int page = m_pScript->GetVisibleLineCount();
  ASSERT_LT(page, 40);

  m_pScript->SetSelection({0, 150}, {0, 150});
  m_pScript->DoCommand(CTVRScriptView::ID_SET_NEXT_STATEMENT);
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetCurrentLine(), 150);
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetLineState(150) & LINE_NEXT, DWORD(LINE_NEXT));
  // The view follows at the next frame, not inside the hint.
  EXPECT_EQ(m_pScript->GetFirstVisibleLine(), 0);
  // A loaded machine may run the frame's timer late; it still comes.
  EXPECT_TRUE(QTest::qWaitFor([&] { return m_pScript->GetFirstVisibleLine() != 0; }, 2000));
  EXPECT_EQ(m_pScript->GetFirstVisibleLine(), 150 - page / 2);

  // A double click: the first click places the anchor, the second sets the statement.
  QTest::mouseClick(m_pScript->viewport(), Qt::LeftButton, {}, CellPoint(2, 152));
  QTest::mouseDClick(m_pScript->viewport(), Qt::LeftButton, {}, CellPoint(2, 152));
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetCurrentLine(), 152);
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetLineState(150) & LINE_NEXT, DWORD(0));

  // A run moves the mark with every statement; the view repaints once a frame.
  m_pScript->FlushFrame();
  const std::size_t frames = m_pScript->GetFrameCount();
  for (int line = 0; line < 100; ++line) CTVRBoardDocPrivate::Of(*m_pDoc).SetNextCommand(line);
  EXPECT_EQ(m_pScript->GetFrameCount(), frames);
  EXPECT_TRUE(QTest::qWaitFor([&] { return m_pScript->GetFrameCount() != frames; }, 2000));
  // No second frame follows for the same moves: none within three frame periods.
  EXPECT_FALSE(QTest::qWaitFor([&] { return m_pScript->GetFrameCount() != frames + 1; }, 3 * CTVRScriptView::FRAME_MS));
  EXPECT_EQ(m_pScript->GetFirstVisibleLine(), 99 - page / 2);

  // A script shorter than the window does not scroll.
  Start({"00 a4;", "00 b0;"}, {0, 0});
  CTVRBoardDocPrivate::Of(*m_pDoc).SetNextCommand(1);
  m_pScript->FlushFrame();
  EXPECT_EQ(m_pScript->GetFirstVisibleLine(), 0);
}

TEST_F(ScriptView, LinesAreDrawnInChunkColoursWithTheMarkersInTheMargin) {
  Start({"00 a4; * note", "00 b0;", ".t(100);"}, {0, 0});
  CTVRBoardDocPrivate::Of(*m_pDoc).SetLineState(1, CTVRBoardDocPrivate::Of(*m_pDoc).GetLineState(1) | LINE_BREAKPOINT);
  CTVRBoardDocPrivate::Of(*m_pDoc).SetNextCommand(2);
  m_pScript->SetSelection({0, 1}, {6, 1});
  m_pScript->FlushFrame();
  const QImage image = m_pScript->viewport()->grab().toImage();
  const int h = m_pScript->GetLineHeight(), w = m_pScript->GetCharWidth();
  const int textLeft = m_pScript->GetTextLeft(), margin = CTVRScriptView::MARGIN;
  auto text = [&](int line) { return QRect(textLeft, line * h, image.width() - textLeft, h); };
  auto hue = [&](int line, EHue wanted) {
    return tvr_test::CountPixels(image, text(line), [&](QColor c) { return Hue(c) == wanted; }) > 0;
  };
  auto exactly = [&](QRect rect, QColor wanted) {
    return tvr_test::CountPixels(image, rect, [&](QColor c) { return c == wanted; });
  };
  EXPECT_TRUE(hue(0, HUE_BLUE));   // ";"
  EXPECT_TRUE(hue(0, HUE_GREEN));  // "* note"
  EXPECT_TRUE(hue(2, HUE_RED));    // ".t(100)"
  EXPECT_FALSE(hue(1, HUE_RED));
  // The selection: six cells of dark background on line 1, none on line 0.
  EXPECT_GT(exactly(text(1), QColor(64, 64, 64)), 6 * w * h / 2);
  EXPECT_LT(exactly(text(0), QColor(64, 64, 64)), w * h / 2);
  EXPECT_GT(exactly(QRect(0, h, margin, h), QColor(200, 0, 0)), 0);        // the breakpoint
  EXPECT_GT(exactly(QRect(0, 2 * h, margin, h), QColor(255, 224, 0)), 0);  // the next statement
  EXPECT_EQ(exactly(QRect(0, 0, margin, h), QColor(200, 0, 0)), 0);
}

}  // namespace
