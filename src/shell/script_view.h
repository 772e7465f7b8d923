// The script pane of a reader: a small fixed-pitch editor over the document's
// line store. It keeps no text: every line it draws is asked of the document
// when it is drawn, coloured by the store's chunks, and every edit goes back at
// once as a whole-line replacement, insertion or removal. The margin shows the
// breakpoints and the next-statement mark that the line states carry.
//
// Only the visible lines are read on a repaint and only the lines an edit
// touches are read for it, so a script of a hundred thousand lines edits and
// scrolls as a short one does. During a free run the marks move with every
// statement; the pane repaints and follows the next statement once per frame.
#pragma once

#include <QAbstractScrollArea>
#include <QPixmap>
#include <QTimer>

#include <tavric/cmd_target.h>
#include <tavric/document.h>
#include <tavric/types.h>

class CTVRBoardDoc;
class QMenu;

class CTVRScriptView : public QAbstractScrollArea, public CTVRView, public CTVRCmdTarget {
  Q_OBJECT

 public:
  enum : tvr::UINT {
    ID_EDIT_CLEAR = 57632,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_FIND = 57636,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_REPLACE = 57641,
    ID_EDIT_SELECT_ALL = 57642,
    ID_EDIT_UNDO = 57643,
    ID_EDIT_REDO = 57644,
    ID_SET_NEXT_STATEMENT = 33788,
    ID_SHOW_NEXT_STATEMENT = 33789,
    ID_INSERT_BREAKPOINT = 33791,
  };
  static constexpr int MARGIN = 20;    // pixels at the left for the markers
  static constexpr int FRAME_MS = 16;  // marks and scrolling follow a run at this pace
  static constexpr tvr::COLORREF SELECTION_BACKGROUND = tvr::RGB(64, 64, 64);

  // A place in the script: column (may equal the line's length), line.
  struct CPosition {
    int m_nColumn = 0;
    int m_nLine = 0;
    bool operator==(const CPosition&) const = default;
    bool operator<(const CPosition& other) const {
      return m_nLine != other.m_nLine ? m_nLine < other.m_nLine : m_nColumn < other.m_nColumn;
    }
  };

  explicit CTVRScriptView(CTVRBoardDoc* pDoc, QWidget* pParent = nullptr);
  ~CTVRScriptView() override;

  // Document update hints (0, 1, 4, 8, 32).
  void OnUpdate(CTVRView* pSender, tvr::LPARAM lHint, void* pHint) override;
  // Own commands first, then the document's.
  tvr::BOOL OnCmdMsg(tvr::UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;

  // Commands.
  void OnEditCut();
  void OnEditCopy();
  void OnEditPaste();
  void OnEditClear();
  void OnEditSelectAll();
  void OnInsertBreakpoint();
  void OnSetNextStatement();
  // One typed character (8 Backspace, 13 Enter, anything else inserted).
  void OnChar(unsigned char code);

  CPosition GetAnchor() const { return m_Anchor; }
  CPosition GetCaret() const { return m_Caret; }
  void SetSelection(CPosition anchor, CPosition caret);
  bool HasSelection() const { return !(m_Anchor == m_Caret); }
  // The caret at the start of the line (from 0), scrolled into view, the focus here.
  void GoToLine(int line);
  bool IsReadOnly() const { return m_bReadOnly; }
  QColor GetBackgroundColour() const { return m_crBackground; }
  int GetFirstVisibleLine() const;
  int GetVisibleLineCount() const;
  int GetLineHeight() const { return m_nLineHeight; }
  int GetCharWidth() const { return m_nCharWidth; }
  int GetTextLeft() const { return MARGIN + m_nCharWidth; }
  // The popup menu "Script" of a right click (the caller owns it).
  QMenu* CreateContextMenu();
  // Applies the marks and scrolling a run asked for since the last frame now.
  void FlushFrame();
  std::size_t GetFrameCount() const { return m_nFrames; }

 protected:
  void paintEvent(QPaintEvent* pEvent) override;
  void resizeEvent(QResizeEvent* pEvent) override;
  void keyPressEvent(QKeyEvent* pEvent) override;
  void mousePressEvent(QMouseEvent* pEvent) override;
  void mouseMoveEvent(QMouseEvent* pEvent) override;
  void mouseReleaseEvent(QMouseEvent* pEvent) override;
  void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
  void wheelEvent(QWheelEvent* pEvent) override;
  void focusInEvent(QFocusEvent* pEvent) override;
  void focusOutEvent(QFocusEvent* pEvent) override;
  void scrollContentsBy(int dx, int dy) override;
  // Tab is a character of the script, not a move to the next control.
  bool focusNextPrevChild(bool) override { return false; }

 private:
  CTVRBoardDoc* GetBoardDoc() const;
  int LineCount() const;
  int LineLength(int line) const;
  CPosition Clamp(CPosition position) const;
  CPosition PositionAt(const QPoint& point) const;
  // Erases the text between two positions (either order); caret and anchor go
  // to the first; the views hear of the new extent (hint 8).
  void Erase(CPosition from, CPosition to);
  std::string GetSelectedText() const;
  void OnNavigationKey(int key, bool ctrl, bool shift);
  void OnDeleteKey();
  void RefreshReadOnly();
  void UpdateScrollBars();
  void EnsureCaretVisible();
  void ScrollToLine(int top);
  void CentreCurrentLine();
  void ScheduleFrame();
  void AfterEdit();

  CPosition m_Anchor;
  CPosition m_Caret;
  int m_nPreferredColumn = 0;
  bool m_bReadOnly = false;
  QColor m_crBackground;
  int m_nCharWidth = 8;
  int m_nLineHeight = 13;
  bool m_bHasFocus = false;
  bool m_bDragging = false;
  QPixmap m_BreakpointIcon;
  QPixmap m_NextStatementIcon;

  QTimer m_FrameTimer;
  bool m_bCentrePending = false;
  bool m_bExtentPending = false;
  std::size_t m_nFrames = 0;
};
