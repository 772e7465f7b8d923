#include "shell/script_view.h"

#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QWheelEvent>

#include <tavric/board_doc.h>

#include "document/board_doc_private.h"
#include "shell/fixed_font.h"

namespace {

QColor ToQColor(tvr::COLORREF colour) {
  return QColor(tvr::GetRValue(colour), tvr::GetGValue(colour), tvr::GetBValue(colour));
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Script text is 8-bit; the clipboard carries it as Latin-1.
QString ToQString(const std::string& text) {
  return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

// The two margin markers, drawn once for the line height.
QPixmap MakeBreakpointIcon(int size) {
  QPixmap icon(size, size);
  icon.fill(Qt::transparent);
  QPainter painter(&icon);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(128, 0, 0), 1));
  painter.setBrush(QColor(200, 0, 0));
  painter.drawEllipse(QRectF(1.5, 1.5, size - 3, size - 3));
  return icon;
}

// Smaller than the breakpoint, so that a breakpoint under it still shows as
// a ring around the arrow.
QPixmap MakeNextStatementIcon(int size) {
  QPixmap icon(size, size);
  icon.fill(Qt::transparent);
  QPainter painter(&icon);
  painter.setRenderHint(QPainter::Antialiasing);
  const double s = size, l = s * 0.22, r = s * 0.82, t = s * 0.2, b = s * 0.8;
  QPainterPath arrow;
  arrow.moveTo(l, s * 0.4);
  arrow.lineTo(s * 0.5, s * 0.4);
  arrow.lineTo(s * 0.5, t);
  arrow.lineTo(r, s / 2);
  arrow.lineTo(s * 0.5, b);
  arrow.lineTo(s * 0.5, s * 0.6);
  arrow.lineTo(l, s * 0.6);
  arrow.closeSubpath();
  painter.setPen(QPen(QColor(96, 80, 0), 1));
  painter.setBrush(QColor(255, 224, 0));
  painter.drawPath(arrow);
  return icon;
}

}  // namespace

CTVRScriptView::CTVRScriptView(CTVRBoardDoc* pDoc, QWidget* pParent) : QAbstractScrollArea(pParent) {
  setFont(CTVRFixedFont::Create());
  const QFontMetrics metrics(font());
  m_nCharWidth = std::max(1, metrics.horizontalAdvance(QLatin1Char('D')));
  m_nLineHeight = std::max(1, metrics.height());
  m_BreakpointIcon = MakeBreakpointIcon(std::min(MARGIN, m_nLineHeight));
  m_NextStatementIcon = MakeNextStatementIcon(std::min(MARGIN, m_nLineHeight));
  m_crBackground = palette().color(QPalette::Base);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  viewport()->setCursor(Qt::IBeamCursor);
  setAttribute(Qt::WA_InputMethodEnabled, false);

  m_FrameTimer.setSingleShot(true);
  m_FrameTimer.setInterval(FRAME_MS);
  connect(&m_FrameTimer, &QTimer::timeout, this, [this] { FlushFrame(); });

  OnCommand(ID_EDIT_CUT, [this] { OnEditCut(); });
  OnCommand(ID_EDIT_COPY, [this] { OnEditCopy(); });
  OnCommand(ID_EDIT_PASTE, [this] { OnEditPaste(); });
  OnCommand(ID_EDIT_CLEAR, [this] { OnEditClear(); });
  OnCommand(ID_EDIT_SELECT_ALL, [this] { OnEditSelectAll(); });
  OnCommand(ID_EDIT_UNDO, [] {});
  OnCommand(ID_EDIT_REDO, [] {});
  OnCommand(ID_INSERT_BREAKPOINT, [this] { OnInsertBreakpoint(); });
  OnCommand(ID_SET_NEXT_STATEMENT, [this] { OnSetNextStatement(); });
  CTVRCmdTarget::OnUpdate(ID_EDIT_CUT, [this](CTVRCmdUI* ui) { ui->Enable(!m_bReadOnly && HasSelection()); });
  CTVRCmdTarget::OnUpdate(ID_EDIT_COPY, [this](CTVRCmdUI* ui) { ui->Enable(HasSelection()); });
  CTVRCmdTarget::OnUpdate(ID_EDIT_PASTE, [this](CTVRCmdUI* ui) {
    const QMimeData* pData = QApplication::clipboard()->mimeData();
    ui->Enable(!m_bReadOnly && pData && pData->hasText());
  });
  CTVRCmdTarget::OnUpdate(ID_EDIT_CLEAR, [this](CTVRCmdUI* ui) { ui->Enable(!m_bReadOnly && HasSelection()); });
  CTVRCmdTarget::OnUpdate(ID_EDIT_SELECT_ALL, [](CTVRCmdUI* ui) { ui->Enable(TRUE); });
  // The editor keeps no history: Undo and Redo are never offered.
  CTVRCmdTarget::OnUpdate(ID_EDIT_UNDO, [](CTVRCmdUI* ui) { ui->Enable(FALSE); });
  CTVRCmdTarget::OnUpdate(ID_EDIT_REDO, [](CTVRCmdUI* ui) { ui->Enable(FALSE); });
  CTVRCmdTarget::OnUpdate(ID_INSERT_BREAKPOINT, [](CTVRCmdUI* ui) { ui->Enable(TRUE); });
  // The document decides (see OnCmdMsg); enabled when it says nothing.
  CTVRCmdTarget::OnUpdate(ID_SET_NEXT_STATEMENT, [](CTVRCmdUI* ui) { ui->Enable(TRUE); });

  if (pDoc) pDoc->AddView(this);
  RefreshReadOnly();
  UpdateScrollBars();
}

CTVRScriptView::~CTVRScriptView() {
  m_FrameTimer.stop();
  if (GetDocument()) GetDocument()->RemoveView(this);
}

CTVRBoardDoc* CTVRScriptView::GetBoardDoc() const {
  return dynamic_cast<CTVRBoardDoc*>(GetDocument());
}

int CTVRScriptView::LineCount() const {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  return pDoc ? CTVRBoardDocPrivate::Of(*pDoc).GetLineCount() : 0;
}

int CTVRScriptView::LineLength(int line) const {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  return pDoc && line >= 0 && line < CTVRBoardDocPrivate::Of(*pDoc).GetLineCount()
             ? CTVRBoardDocPrivate::Of(*pDoc).GetLineLength(line)
             : 0;
}

// The document may have changed under the view (a reload, a plug-in): every
// position is brought back inside the script before it is used.
CTVRScriptView::CPosition CTVRScriptView::Clamp(CPosition position) const {
  const int lines = LineCount();
  position.m_nLine = std::clamp(position.m_nLine, 0, std::max(lines - 1, 0));
  position.m_nColumn = std::clamp(position.m_nColumn, 0, LineLength(position.m_nLine));
  return position;
}

void CTVRScriptView::SetSelection(CPosition anchor, CPosition caret) {
  m_Anchor = Clamp(anchor);
  m_Caret = Clamp(caret);
  m_nPreferredColumn = m_Caret.m_nColumn;
  viewport()->update();
}

void CTVRScriptView::GoToLine(int line) {
  SetSelection({0, line}, {0, line});
  EnsureCaretVisible();
  setFocus();
}

// ---- Command routing ----------------------------------------------------------

tvr::BOOL CTVRScriptView::OnCmdMsg(tvr::UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  if (nCode == CN_UPDATE_COMMAND_UI && nID == ID_SET_NEXT_STATEMENT && pDoc &&
      pDoc->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
    return TRUE;
  if (CTVRCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return pDoc ? pDoc->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo) : FALSE;
}

// ---- Document hints -----------------------------------------------------------

void CTVRScriptView::OnUpdate(CTVRView*, tvr::LPARAM lHint, void*) {
  switch (lHint) {
    case HINT_ALL:
      RefreshReadOnly();
      m_Anchor = Clamp(m_Anchor);
      m_Caret = Clamp(m_Caret);
      UpdateScrollBars();
      viewport()->update();
      break;
    case HINT_READ_ONLY:
      RefreshReadOnly();
      break;
    case HINT_LINE_STATE:
      // A run changes two line states per statement: repaint once a frame.
      ScheduleFrame();
      break;
    case HINT_EXTENT:
      // Also sent for every answer a run handles: measured once a frame.
      m_bExtentPending = true;
      ScheduleFrame();
      break;
    case HINT_NEXT_STATEMENT:
      m_bCentrePending = true;
      ScheduleFrame();
      break;
    default:
      break;
  }
}

void CTVRScriptView::ScheduleFrame() {
  if (!m_FrameTimer.isActive()) m_FrameTimer.start();
}

void CTVRScriptView::FlushFrame() {
  m_FrameTimer.stop();
  if (m_bExtentPending) {
    m_bExtentPending = false;
    UpdateScrollBars();
  }
  if (m_bCentrePending) {
    m_bCentrePending = false;
    CentreCurrentLine();
  }
  viewport()->update();
  ++m_nFrames;
}

void CTVRScriptView::RefreshReadOnly() {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  const bool readOnly = pDoc && pDoc->IsReadOnly();
  const QColor background = palette().color(readOnly ? QPalette::Button : QPalette::Base);
  if (readOnly == m_bReadOnly && background == m_crBackground) return;
  m_bReadOnly = readOnly;
  m_crBackground = background;
  viewport()->update();
}

// ---- Scrolling ------------------------------------------------------------------

int CTVRScriptView::GetFirstVisibleLine() const {
  return verticalScrollBar()->value();
}

int CTVRScriptView::GetVisibleLineCount() const {
  return std::max(1, viewport()->height() / m_nLineHeight);
}

void CTVRScriptView::UpdateScrollBars() {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  const auto [width, height] = pDoc ? CTVRBoardDocPrivate::Of(*pDoc).GetTextExtent() : std::pair<int, int>(0, 0);
  // One line and one column more than the text, as room to type into.
  const int rows = height + 1;
  const int page = GetVisibleLineCount();
  QScrollBar* pBar = verticalScrollBar();
  pBar->setPageStep(page);
  pBar->setSingleStep(1);
  pBar->setRange(0, std::max(0, rows - page));

  const int pixels = (width + 1) * m_nCharWidth + GetTextLeft();
  QScrollBar* pHBar = horizontalScrollBar();
  pHBar->setPageStep(viewport()->width());
  pHBar->setSingleStep(m_nCharWidth);
  pHBar->setRange(0, std::max(0, pixels - viewport()->width()));
}

void CTVRScriptView::ScrollToLine(int top) {
  verticalScrollBar()->setValue(top);
}

void CTVRScriptView::EnsureCaretVisible() {
  const int top = GetFirstVisibleLine();
  const int page = GetVisibleLineCount();
  if (m_Caret.m_nLine < top)
    ScrollToLine(m_Caret.m_nLine);
  else if (m_Caret.m_nLine >= top + page)
    ScrollToLine(m_Caret.m_nLine - page + 1);

  QScrollBar* pHBar = horizontalScrollBar();
  const int x = m_Caret.m_nColumn * m_nCharWidth;
  const int room = std::max(m_nCharWidth, viewport()->width() - GetTextLeft() - m_nCharWidth);
  if (x < pHBar->value())
    pHBar->setValue(x);
  else if (x > pHBar->value() + room)
    pHBar->setValue(x - room);
}

void CTVRScriptView::CentreCurrentLine() {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  if (pDoc == nullptr) return;
  const int page = GetVisibleLineCount();
  // Only a document taller than the window scrolls.
  if (LineCount() <= page) return;
  ScrollToLine(
      std::clamp(CTVRBoardDocPrivate::Of(*pDoc).GetCurrentLine() - page / 2, 0, verticalScrollBar()->maximum()));
}

void CTVRScriptView::resizeEvent(QResizeEvent* pEvent) {
  QAbstractScrollArea::resizeEvent(pEvent);
  UpdateScrollBars();
}

void CTVRScriptView::scrollContentsBy(int, int) {
  viewport()->update();
}

void CTVRScriptView::wheelEvent(QWheelEvent* pEvent) {
  // With Shift or Ctrl held the wheel is not the editor's.
  if (pEvent->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) {
    pEvent->ignore();
    return;
  }
  QAbstractScrollArea::wheelEvent(pEvent);
}

// ---- Drawing --------------------------------------------------------------------

void CTVRScriptView::paintEvent(QPaintEvent* pEvent) {
  QPainter painter(viewport());
  painter.fillRect(pEvent->rect(), m_crBackground);
  CTVRBoardDoc* pDoc = GetBoardDoc();
  if (pDoc == nullptr) return;
  painter.setFont(font());
  const QFontMetrics metrics(font());
  const int top = GetFirstVisibleLine();
  const int first = top + pEvent->rect().top() / m_nLineHeight;
  const int last = std::min(top + (pEvent->rect().bottom() - 1) / m_nLineHeight + 1,
                            CTVRBoardDocPrivate::Of(*pDoc).GetLineCount() - 1);
  const int scrollX = horizontalScrollBar()->value();
  const int left = GetTextLeft() - scrollX;
  const int visibleColumns = viewport()->width() / m_nCharWidth + 2;
  const int firstColumn = scrollX / m_nCharWidth;
  const CPosition selStart = std::min(m_Anchor, m_Caret), selEnd = std::max(m_Anchor, m_Caret);
  const QColor selectionBackground = ToQColor(SELECTION_BACKGROUND);

  painter.save();
  painter.setClipRect(QRect(GetTextLeft(), 0, viewport()->width(), viewport()->height()));
  std::string chunk;
  tvr::DWORD colours[2];
  for (int line = first; line <= last; ++line) {
    const int y = (line - top) * m_nLineHeight;
    const int baseline = y + metrics.ascent();
    int selFrom = 0, selTo = 0;
    if (HasSelection() && line >= selStart.m_nLine && line <= selEnd.m_nLine) {
      selFrom = line == selStart.m_nLine ? selStart.m_nColumn : 0;
      selTo = line == selEnd.m_nLine ? selEnd.m_nColumn : INT_MAX;
    }
    int column = 0;
    CTVRBoardDocPrivate::Of(*pDoc).GotoFirstChunk(line);
    while (CTVRBoardDocPrivate::Of(*pDoc).GetNextChunk(chunk, colours, 0)) {
      if (!chunk.empty() && chunk.back() == '\n') chunk.back() = ' ';
      const int chunkEnd = column + int(chunk.size());
      // Pieces outside the window are skipped, not drawn clipped.
      int from = std::max(column, firstColumn);
      const int to = std::min(chunkEnd, firstColumn + visibleColumns);
      while (from < to) {
        const bool inside = from >= selFrom && from < selTo;
        int cut = to;
        if (inside)
          cut = std::min(cut, selTo);
        else if (selFrom > from && selTo > selFrom)
          cut = std::min(cut, selFrom);
        const int x = left + from * m_nCharWidth;
        if (inside) {
          painter.fillRect(x, y, (cut - from) * m_nCharWidth, m_nLineHeight, selectionBackground);
          painter.setPen(ToQColor(colours[1]));
        } else {
          painter.setPen(ToQColor(colours[0]));
        }
        painter.drawText(x, baseline, QString::fromLatin1(chunk.data() + (from - column), qsizetype(cut - from)));
        from = cut;
      }
      column = chunkEnd;
    }
  }
  painter.restore();

  // The margin: breakpoint, then the next-statement mark over it.
  painter.setClipRect(QRect(0, 0, MARGIN, viewport()->height()));
  for (int line = first; line <= last; ++line) {
    const tvr::DWORD state = CTVRBoardDocPrivate::Of(*pDoc).GetLineState(line);
    const int y = (line - top) * m_nLineHeight + (m_nLineHeight - m_BreakpointIcon.height()) / 2;
    if (state & LINE_BREAKPOINT) painter.drawPixmap(0, y, m_BreakpointIcon);
    if (state & LINE_NEXT) painter.drawPixmap(0, y, m_NextStatementIcon);
  }
  painter.setClipping(false);

  if (m_bHasFocus) {
    const CPosition caret = Clamp(m_Caret);
    const int x = left + caret.m_nColumn * m_nCharWidth;
    if (x >= GetTextLeft() - 1)
      painter.fillRect(x, (caret.m_nLine - top) * m_nLineHeight, 2, m_nLineHeight, palette().color(QPalette::Text));
  }
}

// ---- Editing --------------------------------------------------------------------

void CTVRScriptView::AfterEdit() {
  UpdateScrollBars();
  EnsureCaretVisible();
  viewport()->update();
}

void CTVRScriptView::Erase(CPosition from, CPosition to) {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  from = Clamp(from);
  to = Clamp(to);
  if (to < from) std::swap(from, to);
  if (pDoc == nullptr || from == to) return;
  const std::string first = CTVRBoardDocPrivate::Of(*pDoc).GetLine(from.m_nLine);
  if (from.m_nLine == to.m_nLine) {
    CTVRBoardDocPrivate::Of(*pDoc).SetLine(
        from.m_nLine, first.substr(0, std::size_t(from.m_nColumn)) + first.substr(std::size_t(to.m_nColumn)));
  } else {
    const std::string lastLine = CTVRBoardDocPrivate::Of(*pDoc).GetLine(to.m_nLine);
    CTVRBoardDocPrivate::Of(*pDoc).SetLine(
        from.m_nLine, first.substr(0, std::size_t(from.m_nColumn)) + lastLine.substr(std::size_t(to.m_nColumn)));
    CTVRBoardDocPrivate::Of(*pDoc).RemoveLines(from.m_nLine + 1, to.m_nLine - from.m_nLine);
  }
  m_Anchor = m_Caret = from;
  m_nPreferredColumn = from.m_nColumn;
  pDoc->UpdateAllViews(nullptr, HINT_EXTENT, nullptr);
}

void CTVRScriptView::OnChar(unsigned char code) {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  if (m_bReadOnly || pDoc == nullptr) return;
  if (HasSelection()) Erase(m_Anchor, m_Caret);
  if (CTVRBoardDocPrivate::Of(*pDoc).GetLineCount() == 0) CTVRBoardDocPrivate::Of(*pDoc).InsertLine(0, "", 0);
  m_Caret = Clamp(m_Caret);
  m_Anchor = Clamp(m_Anchor);

  if (code == 8) {
    // Backspace: the one character, or line break, before the caret.
    if (m_Caret.m_nColumn > 0) {
      --m_Caret.m_nColumn;
    } else if (m_Caret.m_nLine > 0) {
      --m_Caret.m_nLine;
      m_Caret.m_nColumn = LineLength(m_Caret.m_nLine);
    }
    Erase(m_Caret, m_Anchor);
  } else if (code == 13) {
    const std::string text = CTVRBoardDocPrivate::Of(*pDoc).GetLine(m_Caret.m_nLine);
    const std::size_t column = std::size_t(m_Caret.m_nColumn);
    CTVRBoardDocPrivate::Of(*pDoc).SetLine(m_Caret.m_nLine, text.substr(0, column));
    CTVRBoardDocPrivate::Of(*pDoc).InsertLine(m_Caret.m_nLine + 1, text.substr(column), 0);
    m_Caret = m_Anchor = CPosition{0, m_Caret.m_nLine + 1};
  } else {
    std::string text = CTVRBoardDocPrivate::Of(*pDoc).GetLine(m_Caret.m_nLine);
    text.insert(std::size_t(m_Caret.m_nColumn), 1, char(code));
    CTVRBoardDocPrivate::Of(*pDoc).SetLine(m_Caret.m_nLine, text);
    ++m_Caret.m_nColumn;
    m_Anchor = m_Caret;
  }
  m_nPreferredColumn = m_Caret.m_nColumn;
  AfterEdit();
}

std::string CTVRScriptView::GetSelectedText() const {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  const CPosition from = Clamp(std::min(m_Anchor, m_Caret)), to = Clamp(std::max(m_Anchor, m_Caret));
  std::string text;
  if (pDoc == nullptr || from == to) return text;
  for (int line = from.m_nLine; line <= to.m_nLine; ++line) {
    const std::string lineText = CTVRBoardDocPrivate::Of(*pDoc).GetLine(line);
    const std::size_t start = line == from.m_nLine ? std::size_t(from.m_nColumn) : 0;
    const std::size_t stop = line == to.m_nLine ? std::size_t(to.m_nColumn) : lineText.size();
    if (line != from.m_nLine) text += "\r\n";
    text.append(lineText, start, stop - start);
  }
  return text;
}

void CTVRScriptView::OnEditCopy() {
  if (!HasSelection()) return;
  QApplication::clipboard()->setText(ToQString(GetSelectedText()));
}

void CTVRScriptView::OnEditCut() {
  if (m_bReadOnly || !HasSelection()) return;
  OnEditCopy();
  OnEditClear();
}

void CTVRScriptView::OnEditClear() {
  if (m_bReadOnly || !HasSelection()) return;
  Erase(m_Anchor, m_Caret);
  AfterEdit();
}

void CTVRScriptView::OnEditPaste() {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  const QMimeData* pData = QApplication::clipboard()->mimeData();
  if (m_bReadOnly || pDoc == nullptr || pData == nullptr || !pData->hasText()) return;
  const QByteArray bytes = pData->text().toLatin1();
  if (HasSelection()) Erase(m_Anchor, m_Caret);
  if (CTVRBoardDocPrivate::Of(*pDoc).GetLineCount() == 0) CTVRBoardDocPrivate::Of(*pDoc).InsertLine(0, "", 0);
  m_Caret = Clamp(m_Caret);

  // Lines are cut at CR LF; a bare LF, as other programs here put on the
  // clipboard, ends a line too.
  std::vector<std::string> pieces(1);
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    if (c == '\n')
      pieces.emplace_back();
    else
      pieces.back() += c;
  }

  const std::string text = CTVRBoardDocPrivate::Of(*pDoc).GetLine(m_Caret.m_nLine);
  const std::size_t column = std::size_t(m_Caret.m_nColumn);
  const std::string tail = text.substr(column);
  if (pieces.size() == 1) {
    CTVRBoardDocPrivate::Of(*pDoc).SetLine(m_Caret.m_nLine, text.substr(0, column) + pieces[0] + tail);
    m_Caret.m_nColumn += int(pieces[0].size());
  } else {
    CTVRBoardDocPrivate::Of(*pDoc).SetLine(m_Caret.m_nLine, text.substr(0, column) + pieces[0]);
    const int lastColumn = int(pieces.back().size());
    pieces.back() += tail;
    CTVRBoardDocPrivate::Of(*pDoc).InsertLines(m_Caret.m_nLine + 1,
                                               std::vector<std::string>(pieces.begin() + 1, pieces.end()));
    m_Caret = CPosition{lastColumn, m_Caret.m_nLine + int(pieces.size()) - 1};
  }
  m_Anchor = m_Caret;
  m_nPreferredColumn = m_Caret.m_nColumn;
  pDoc->UpdateAllViews(nullptr, HINT_EXTENT, nullptr);
  AfterEdit();
}

void CTVRScriptView::OnEditSelectAll() {
  const int last = std::max(LineCount() - 1, 0);
  m_Anchor = CPosition{0, 0};
  m_Caret = CPosition{LineLength(last), last};
  viewport()->update();
}

void CTVRScriptView::OnInsertBreakpoint() {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  if (pDoc == nullptr || CTVRBoardDocPrivate::Of(*pDoc).GetLineCount() == 0) return;
  const int line = Clamp(m_Caret).m_nLine;
  CTVRBoardDocPrivate::Of(*pDoc).SetLineState(line,
                                              CTVRBoardDocPrivate::Of(*pDoc).GetLineState(line) ^ LINE_BREAKPOINT);
  viewport()->update(QRect(0, (line - GetFirstVisibleLine()) * m_nLineHeight, MARGIN, m_nLineHeight));
}

void CTVRScriptView::OnSetNextStatement() {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  if (pDoc) CTVRBoardDocPrivate::Of(*pDoc).SetNextCommand(Clamp(m_Caret).m_nLine);
}

// ---- Keys -----------------------------------------------------------------------

void CTVRScriptView::OnNavigationKey(int key, bool ctrl, bool shift) {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  if (pDoc == nullptr) return;
  const int lastLine = std::max(LineCount() - 1, 0);
  const int page = GetVisibleLineCount();
  m_Caret = Clamp(m_Caret);
  m_Anchor = Clamp(m_Anchor);
  if (!shift && HasSelection()) {
    // The move starts from the end of the selection on its side.
    const bool backwards = key == Qt::Key_Left || key == Qt::Key_Up || key == Qt::Key_Home || key == Qt::Key_PageUp;
    m_Caret = backwards ? std::min(m_Anchor, m_Caret) : std::max(m_Anchor, m_Caret);
  }
  CPosition& c = m_Caret;
  bool horizontal = false;
  bool ensureVisible = true;
  auto lineText = [&](int line) { return CTVRBoardDocPrivate::Of(*pDoc).GetLine(line); };

  switch (key) {
    case Qt::Key_Left:
      horizontal = true;
      if (!ctrl) {
        if (c.m_nColumn > 0)
          --c.m_nColumn;
        else if (c.m_nLine > 0)
          c = CPosition{LineLength(c.m_nLine - 1), c.m_nLine - 1};
      } else {
        // Back over blanks and line breaks, then to the start of the word.
        std::string text = lineText(c.m_nLine);
        for (;;) {
          if (c.m_nColumn == 0) {
            if (c.m_nLine == 0) break;
            --c.m_nLine;
            text = lineText(c.m_nLine);
            c.m_nColumn = int(text.size());
          } else if (IsBlank(text[std::size_t(c.m_nColumn - 1)])) {
            --c.m_nColumn;
          } else {
            break;
          }
        }
        while (c.m_nColumn > 0 && !IsBlank(text[std::size_t(c.m_nColumn - 1)])) --c.m_nColumn;
      }
      break;
    case Qt::Key_Right:
      horizontal = true;
      if (!ctrl) {
        if (c.m_nColumn < LineLength(c.m_nLine))
          ++c.m_nColumn;
        else if (c.m_nLine < lastLine)
          c = CPosition{0, c.m_nLine + 1};
      } else {
        // Over the rest of the word, then over blanks and line breaks.
        std::string text = lineText(c.m_nLine);
        while (c.m_nColumn < int(text.size()) && !IsBlank(text[std::size_t(c.m_nColumn)])) ++c.m_nColumn;
        for (;;) {
          if (c.m_nColumn >= int(text.size())) {
            if (c.m_nLine >= lastLine) break;
            ++c.m_nLine;
            text = lineText(c.m_nLine);
            c.m_nColumn = 0;
          } else if (IsBlank(text[std::size_t(c.m_nColumn)])) {
            ++c.m_nColumn;
          } else {
            break;
          }
        }
      }
      break;
    case Qt::Key_Up:
    case Qt::Key_Down: {
      const bool up = key == Qt::Key_Up;
      if (!ctrl) {
        c.m_nLine = std::clamp(c.m_nLine + (up ? -1 : 1), 0, lastLine);
      } else {
        // The window moves by a line; the caret only when it would leave it.
        ScrollToLine(GetFirstVisibleLine() + (up ? -1 : 1));
        const int top = GetFirstVisibleLine();
        c.m_nLine = std::clamp(c.m_nLine, top, std::max(top, std::min(top + page - 1, lastLine)));
        c.m_nLine = std::min(c.m_nLine, lastLine);
        shift = false;
        ensureVisible = false;
      }
      c.m_nColumn = std::min(m_nPreferredColumn, LineLength(c.m_nLine));
      break;
    }
    case Qt::Key_Home:
      horizontal = true;
      c = ctrl ? CPosition{0, 0} : CPosition{0, c.m_nLine};
      break;
    case Qt::Key_End:
      horizontal = true;
      c = ctrl ? CPosition{LineLength(lastLine), lastLine} : CPosition{LineLength(c.m_nLine), c.m_nLine};
      break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
      const int step = key == Qt::Key_PageUp ? -page : page;
      ScrollToLine(GetFirstVisibleLine() + step);
      ensureVisible = false;
      if (!ctrl) {
        c.m_nLine = std::clamp(c.m_nLine + step, 0, lastLine);
        c.m_nColumn = std::min(m_nPreferredColumn, LineLength(c.m_nLine));
      }
      break;
    }
    default:
      return;
  }
  if (horizontal) m_nPreferredColumn = c.m_nColumn;
  if (!shift) m_Anchor = m_Caret;
  if (ensureVisible) EnsureCaretVisible();
  viewport()->update();
}

void CTVRScriptView::OnDeleteKey() {
  // Every editing path is closed while the document is read-only; so is this.
  if (m_bReadOnly) return;
  m_Caret = Clamp(m_Caret);
  m_Anchor = Clamp(m_Anchor);
  if (!HasSelection()) {
    if (m_Caret.m_nColumn < LineLength(m_Caret.m_nLine))
      ++m_Caret.m_nColumn;
    else if (m_Caret.m_nLine < LineCount() - 1)
      m_Caret = CPosition{0, m_Caret.m_nLine + 1};
  }
  OnEditClear();
}

void CTVRScriptView::keyPressEvent(QKeyEvent* pEvent) {
  const bool ctrl = pEvent->modifiers() & Qt::ControlModifier;
  const bool shift = pEvent->modifiers() & Qt::ShiftModifier;
  switch (pEvent->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      OnNavigationKey(pEvent->key(), ctrl, shift);
      return;
    case Qt::Key_Delete:
      OnDeleteKey();
      return;
    case Qt::Key_Insert:
      return;
    case Qt::Key_Backspace:
      OnChar(8);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      OnChar(13);
      return;
    case Qt::Key_F9:
      OnInsertBreakpoint();
      return;
    default:
      break;
  }
  // The edit keys, for a window that has no menu to carry them.
  if (pEvent->matches(QKeySequence::Copy)) return OnEditCopy();
  if (pEvent->matches(QKeySequence::Cut)) return OnEditCut();
  if (pEvent->matches(QKeySequence::Paste)) return OnEditPaste();
  if (pEvent->matches(QKeySequence::SelectAll)) return OnEditSelectAll();

  const QByteArray text = pEvent->text().toLatin1();
  if (!text.isEmpty() && !ctrl && !(pEvent->modifiers() & Qt::AltModifier)) {
    for (char c : text) {
      if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') OnChar(static_cast<unsigned char>(c));
    }
    return;
  }
  QAbstractScrollArea::keyPressEvent(pEvent);
}

// ---- Mouse ----------------------------------------------------------------------

CTVRScriptView::CPosition CTVRScriptView::PositionAt(const QPoint& point) const {
  const int lastLine = std::max(LineCount() - 1, 0);
  CPosition position;
  position.m_nLine = std::clamp(GetFirstVisibleLine() + std::max(0, point.y()) / m_nLineHeight, 0, lastLine);
  const int x = point.x() - GetTextLeft() + horizontalScrollBar()->value() + m_nCharWidth / 2;
  position.m_nColumn = std::clamp(x / m_nCharWidth, 0, LineLength(position.m_nLine));
  if (x < 0) position.m_nColumn = 0;
  return position;
}

void CTVRScriptView::mousePressEvent(QMouseEvent* pEvent) {
  if (pEvent->button() != Qt::LeftButton && pEvent->button() != Qt::RightButton) return;
  const QPoint point = pEvent->position().toPoint();
  const CPosition position = PositionAt(point);
  if (point.x() < GetTextLeft()) {
    // The margin takes the whole line with its line break; the last line has none.
    m_Anchor = CPosition{0, position.m_nLine};
    m_Caret = position.m_nLine + 1 < LineCount() ? CPosition{0, position.m_nLine + 1}
                                                 : CPosition{LineLength(position.m_nLine), position.m_nLine};
  } else {
    m_Anchor = m_Caret = position;
  }
  m_nPreferredColumn = m_Caret.m_nColumn;
  m_bDragging = true;
  viewport()->update();
}

void CTVRScriptView::mouseMoveEvent(QMouseEvent* pEvent) {
  const QPoint point = pEvent->position().toPoint();
  viewport()->setCursor(point.x() < GetTextLeft() ? Qt::UpArrowCursor : Qt::IBeamCursor);
  if (!m_bDragging || pEvent->buttons() != Qt::LeftButton) return;
  m_Caret = PositionAt(point);
  m_nPreferredColumn = m_Caret.m_nColumn;
  EnsureCaretVisible();
  viewport()->update();
}

void CTVRScriptView::mouseReleaseEvent(QMouseEvent* pEvent) {
  if (pEvent->button() == Qt::LeftButton) m_bDragging = false;
  if (pEvent->button() != Qt::RightButton) return;
  m_bDragging = false;
  QMenu* pMenu = CreateContextMenu();
  pMenu->setAttribute(Qt::WA_DeleteOnClose);
  pMenu->popup(pEvent->globalPosition().toPoint());
}

void CTVRScriptView::mouseDoubleClickEvent(QMouseEvent* pEvent) {
  if (pEvent->button() != Qt::LeftButton) return;
  CTVRBoardDoc* pDoc = GetBoardDoc();
  if (pDoc) CTVRBoardDocPrivate::Of(*pDoc).SetNextCommand(Clamp(m_Anchor).m_nLine);
}

void CTVRScriptView::focusInEvent(QFocusEvent* pEvent) {
  m_bHasFocus = true;
  viewport()->update();
  QAbstractScrollArea::focusInEvent(pEvent);
}

void CTVRScriptView::focusOutEvent(QFocusEvent* pEvent) {
  m_bHasFocus = false;
  viewport()->update();
  QAbstractScrollArea::focusOutEvent(pEvent);
}

QMenu* CTVRScriptView::CreateContextMenu() {
  auto* pMenu = new QMenu(QStringLiteral("Script"), this);
  auto add = [&](tvr::UINT id, const char* text) {
    QAction* pAction = pMenu->addAction(QString::fromLatin1(text));
    CTVRCmdUI ui(id);
    OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui, nullptr);
    pAction->setEnabled(ui.m_bEnabled != FALSE);
    connect(pAction, &QAction::triggered, this, [this, id] { DoCommand(id); });
  };
  add(ID_EDIT_CUT, "Cut");
  add(ID_EDIT_COPY, "Copy");
  add(ID_EDIT_PASTE, "Paste");
  pMenu->addSeparator();
  add(ID_INSERT_BREAKPOINT, "Insert/Remove Breakpoint");
  add(ID_SET_NEXT_STATEMENT, "Set Next Statement");
  add(ID_SHOW_NEXT_STATEMENT, "Show Next Statement");
  pMenu->addSeparator();
  add(ID_DELAY_CMD, "Delay Options");
  return pMenu;
}
