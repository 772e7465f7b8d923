#include "shell/board_view.h"

#include <algorithm>
#include <climits>

#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>

#include <tavric/board_doc.h>
#include <tavric/prompts.h>
#include <tavric/registry.h>

#include "contract/host_context.h"
#include "document/board_doc_private.h"
#include "platform/user_prompts.h"
#include "shell/fixed_font.h"
#include "trace/trace_log.h"

namespace {

constexpr int TEXT_INSET = 2;  // pixels between the pane's edge and column 0
// Where the settings keep the number of records a pane holds.
const char kOptionsSection[] = "Options";
const char kRecordLimitValue[] = "TraceRecords";

QColor ToQColor(tvr::COLORREF colour) {
  return QColor(tvr::GetRValue(colour), tvr::GetGValue(colour), tvr::GetBValue(colour));
}

// Bytes as characters: 8-bit text, with control characters shown as a dot in
// the middle of the cell so that the columns stay in place.
QString ToDisplay(const char* p, std::size_t n) {
  QString text = QString::fromLatin1(p, qsizetype(n));
  for (QChar& c : text) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QChar(0x00B7);
  }
  return text;
}

struct CSelectedColumns {
  std::size_t m_nFrom = 0;
  std::size_t m_nTo = 0;  // empty when equal
};

// One line of coloured segments from column `firstColumn` to `lastColumn`
// (exclusive), selected columns drawn in the highlight colours.
void DrawSegments(QPainter& painter, int x0, int baseline, int top, int charWidth, int lineHeight,
                  std::size_t firstColumn, std::size_t lastColumn, const std::string& text,
                  const std::vector<CTVRTraceLines::Segment>& segments, CSelectedColumns selected,
                  const QPalette* pPalette) {
  for (const CTVRTraceLines::Segment& segment : segments) {
    std::size_t from = std::max(segment.m_nStart, firstColumn);
    std::size_t to = std::min(segment.m_nStart + segment.m_nLength, lastColumn);
    while (from < to) {
      // Cut the segment at the selection bounds.
      bool inside = from >= selected.m_nFrom && from < selected.m_nTo;
      std::size_t cut = to;
      if (inside)
        cut = std::min(cut, selected.m_nTo);
      else if (selected.m_nFrom > from)
        cut = std::min(cut, selected.m_nFrom);
      const int x = x0 + int(from) * charWidth;
      if (inside && pPalette) {
        painter.fillRect(x, top, int(cut - from) * charWidth, lineHeight, pPalette->color(QPalette::Highlight));
        painter.setPen(pPalette->color(QPalette::HighlightedText));
      } else {
        painter.setPen(ToQColor(segment.m_crColour));
      }
      painter.drawText(x, baseline, ToDisplay(text.data() + from, cut - from));
      from = cut;
    }
  }
}

}  // namespace

CTVRBoardView::CTVRBoardView(CTVRBoardDoc* pDoc, QWidget* pParent) : QAbstractScrollArea(pParent) {
  setFont(CTVRFixedFont::Create());
  const QFontMetrics metrics(font());
  m_nCharWidth = std::max(1, metrics.horizontalAdvance(QLatin1Char('D')));
  m_nLineHeight = std::max(1, metrics.height());
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setAutoFillBackground(false);
  setFocusPolicy(Qt::StrongFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

  m_FrameTimer.setSingleShot(true);
  m_FrameTimer.setInterval(FRAME_MS);
  connect(&m_FrameTimer, &QTimer::timeout, this, [this] { FlushFrame(); });
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) { OnScrolled(value); });

  OnCommand(ID_EDIT_SELECT_ALL, [this] { OnEditSelectAll(); });
  OnCommand(ID_EDIT_COPY, [this] { OnEditCopy(); });
  OnCommand(ID_FILE_PRINT, [this] { OnFilePrint(); });
  OnCommand(ID_FILE_PRINT_DIRECT, [this] { OnFilePrintDirect(); });
  OnCommand(ID_FILE_PRINT_PREVIEW, [this] { OnFilePrintPreview(); });
  CTVRCmdTarget::OnUpdate(ID_EDIT_COPY, [this](CTVRCmdUI* ui) { ui->Enable(HasSelection()); });
  // The pane is read-only: nothing to cut, paste or undo.
  for (tvr::UINT id : {ID_EDIT_CUT, ID_EDIT_PASTE, ID_EDIT_UNDO})
    CTVRCmdTarget::OnUpdate(id, [](CTVRCmdUI* ui) { ui->Enable(FALSE); });

  // Without a spool (no temporary folder to write to) Save Log says it failed.
  m_Spool.Open();
  SetSpool(&m_Spool);
  m_Capture.Open();
  if (pDoc) {
    pDoc->AddView(this);
    pDoc->AddView(&m_Capture);
    StartAtEnd();
  }
  SetRecordLimit(GetStoredRecordLimit());
  UpdateScrollBars();
}

CTVRBoardView::~CTVRBoardView() {
  m_FrameTimer.stop();
  if (GetDocument()) GetDocument()->RemoveView(this);
}

tvr::BOOL CTVRBoardView::OnCmdMsg(tvr::UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  if (CTVRCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  CTVRBoardDoc* pDoc = GetBoardDoc();
  return pDoc ? pDoc->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo) : FALSE;
}

// ---- Frames -------------------------------------------------------------------

void CTVRBoardView::OnLinesChanged() {
  if (!m_FrameTimer.isActive()) m_FrameTimer.start();
}

void CTVRBoardView::OnLinesDropped(std::size_t lines) {
  auto shift = [lines](Position& position) {
    position = position.first >= lines ? Position{position.first - lines, position.second} : Position{0, 0};
  };
  shift(m_Anchor);
  shift(m_Caret);
  // A pane scrolled up keeps showing the same lines, as long as they are held.
  if (!m_bFollowEnd) {
    const int value = verticalScrollBar()->value();
    SetScrollValue(std::size_t(value) > lines ? value - int(lines) : 0);
  }
}

void CTVRBoardView::OnClearText() {
  m_Anchor = m_Caret = Position{0, 0};
  m_bFollowEnd = true;
  CTVRTraceLines::OnClearText();
}

void CTVRBoardView::FlushFrame() {
  m_FrameTimer.stop();
  UpdateScrollBars();
  viewport()->update();
  ++m_nFrames;
}

// ---- Records held ---------------------------------------------------------------

void CTVRBoardView::SetRecordLimit(std::size_t records) {
  m_nRecordLimit = std::max<std::size_t>(records, 2);
  // The store keeps between half the limit and the limit.
  if (CTVRBoardDoc* pDoc = GetBoardDoc()) CTVRBoardDocPrivate::Of(*pDoc).GetTraceLog().SetKeepLimit(m_nRecordLimit / 2);
}

std::size_t CTVRBoardView::GetStoredRecordLimit() {
  CTVRRegistry reg(FALSE, TRUE);
  reg.Open(CTVRRegistry::GetRegSectionPath(kOptionsSection));
  tvr::DWORD records = 0;
  if (!reg.Read(kRecordLimitValue, records)) return DEFAULT_RECORD_LIMIT;
  return std::clamp<std::size_t>(records, MIN_RECORD_LIMIT, MAX_RECORD_LIMIT);
}

void CTVRBoardView::StoreRecordLimit(std::size_t records) {
  records = std::clamp(records, MIN_RECORD_LIMIT, MAX_RECORD_LIMIT);
  CTVRRegistry reg(FALSE, FALSE);
  if (reg.CreateKey(CTVRRegistry::GetRegSectionPath(kOptionsSection)))
    reg.Write(kRecordLimitValue, tvr::DWORD(records));
  for (QWidget* pWidget : QApplication::allWidgets()) {
    if (auto* pView = qobject_cast<CTVRBoardView*>(pWidget)) pView->SetRecordLimit(records);
  }
}

std::size_t CTVRBoardView::GetVisibleLineCount() const {
  return std::size_t(std::max(1, viewport()->height() / m_nLineHeight));
}

std::size_t CTVRBoardView::GetFirstVisibleLine() const {
  return std::size_t(verticalScrollBar()->value());
}

void CTVRBoardView::SetScrollValue(int value) {
  const bool wasScrolling = m_bScrolling;
  m_bScrolling = true;
  verticalScrollBar()->setValue(value);
  m_bScrolling = wasScrolling;
}

void CTVRBoardView::OnScrolled(int value) {
  // Wheel, keys, the bar, Find: the user's moves decide whether the pane follows.
  if (!m_bScrolling) m_bFollowEnd = value >= verticalScrollBar()->maximum();
}

void CTVRBoardView::UpdateScrollBars() {
  const bool wasScrolling = m_bScrolling;
  m_bScrolling = true;
  const std::size_t lines = GetLineCount();
  const std::size_t page = GetVisibleLineCount();
  QScrollBar* pBar = verticalScrollBar();
  pBar->setPageStep(int(page));
  pBar->setSingleStep(1);
  pBar->setRange(0, int(std::min<std::size_t>(lines > page ? lines - page : 0, INT_MAX)));

  const std::size_t width = (GetLongestLine() + 1) * std::size_t(m_nCharWidth) + TEXT_INSET;
  QScrollBar* pHBar = horizontalScrollBar();
  pHBar->setPageStep(viewport()->width());
  pHBar->setSingleStep(m_nCharWidth);
  pHBar->setRange(
      0, int(std::min<std::size_t>(
             width > std::size_t(viewport()->width()) ? width - std::size_t(viewport()->width()) : 0, INT_MAX)));
  // A change of size (a scroll bar coming or going) moves the end as well.
  if (m_bFollowEnd) pBar->setValue(pBar->maximum());
  m_bScrolling = wasScrolling;
}

void CTVRBoardView::resizeEvent(QResizeEvent* pEvent) {
  QAbstractScrollArea::resizeEvent(pEvent);
  UpdateScrollBars();
}

void CTVRBoardView::scrollContentsBy(int, int) {
  viewport()->update();
}

// ---- Drawing ------------------------------------------------------------------

void CTVRBoardView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
  painter.setFont(font());
  const QFontMetrics metrics(font());
  const std::size_t first = GetFirstVisibleLine();
  const std::size_t last = first + GetVisibleLineCount();
  const int scrollX = horizontalScrollBar()->value();
  const std::size_t firstColumn = std::size_t(scrollX / m_nCharWidth);
  const std::size_t lastColumn = firstColumn + std::size_t(viewport()->width() / m_nCharWidth) + 2;
  const Position selStart = GetSelectionStart(), selEnd = GetSelectionEnd();
  const QPalette pal = palette();

  ForEachLine(first, last, [&](std::size_t line, const std::string& text, const std::vector<Segment>& segments) {
    const int top = int(line - first) * m_nLineHeight;
    CSelectedColumns selected;
    if (HasSelection() && line >= selStart.first && line <= selEnd.first) {
      selected.m_nFrom = line == selStart.first ? selStart.second : 0;
      selected.m_nTo = line == selEnd.first ? selEnd.second : SIZE_MAX;
      // The line break of a selected line shows as one selected cell.
      if (line != selEnd.first) {
        const int x = TEXT_INSET - scrollX + int(text.size()) * m_nCharWidth;
        painter.fillRect(x, top, m_nCharWidth, m_nLineHeight, pal.color(QPalette::Highlight));
      }
    }
    DrawSegments(painter, TEXT_INSET - scrollX, top + metrics.ascent(), top, m_nCharWidth, m_nLineHeight, firstColumn,
                 lastColumn, text, segments, selected, &pal);
    return true;
  });
}

// ---- Selection, copy ----------------------------------------------------------

CTVRBoardView::Position CTVRBoardView::PositionAt(const QPoint& point) {
  const std::size_t lines = GetLineCount();
  std::size_t line = GetFirstVisibleLine() + std::size_t(std::max(0, point.y()) / m_nLineHeight);
  line = std::min(line, lines - 1);
  const int x = point.x() + horizontalScrollBar()->value() - TEXT_INSET + m_nCharWidth / 2;
  const std::size_t column = std::size_t(std::max(0, x) / m_nCharWidth);
  return Position{line, std::min(column, GetLine(line).size())};
}

void CTVRBoardView::OnEditSelectAll() {
  const std::size_t last = GetLineCount() - 1;
  m_Anchor = Position{0, 0};
  m_Caret = Position{last, GetLine(last).size()};
  viewport()->update();
}

void CTVRBoardView::OnEditCopy() {
  if (!HasSelection()) return;
  const std::string text = GetText(GetSelectionStart(), GetSelectionEnd());
  QApplication::clipboard()->setText(QString::fromLatin1(text.data(), qsizetype(text.size())));
}

void CTVRBoardView::mousePressEvent(QMouseEvent* pEvent) {
  if (pEvent->button() != Qt::LeftButton) return;
  m_Anchor = m_Caret = PositionAt(pEvent->position().toPoint());
  m_bDragging = true;
  viewport()->update();
}

void CTVRBoardView::mouseMoveEvent(QMouseEvent* pEvent) {
  if (!m_bDragging || !(pEvent->buttons() & Qt::LeftButton)) return;
  m_Caret = PositionAt(pEvent->position().toPoint());
  viewport()->update();
}

void CTVRBoardView::mouseReleaseEvent(QMouseEvent* pEvent) {
  if (pEvent->button() == Qt::LeftButton) m_bDragging = false;
  if (pEvent->button() != Qt::RightButton) return;
  QMenu* pMenu = CreateContextMenu();
  pMenu->setAttribute(Qt::WA_DeleteOnClose);
  pMenu->popup(pEvent->globalPosition().toPoint());
}

void CTVRBoardView::keyPressEvent(QKeyEvent* pEvent) {
  if (pEvent->matches(QKeySequence::Copy)) {
    OnEditCopy();
  } else if (pEvent->matches(QKeySequence::SelectAll)) {
    OnEditSelectAll();
  } else if (pEvent->matches(QKeySequence::Find)) {
    bool ok = false;
    const QString text = QInputDialog::getText(this, QStringLiteral("Find"), QStringLiteral("Find what:"),
                                               QLineEdit::Normal, QString::fromLatin1(m_strFind.c_str()), &ok);
    if (ok && !text.isEmpty()) FindNext(text.toLatin1().toStdString());
  } else if (pEvent->matches(QKeySequence::FindNext)) {
    if (!m_strFind.empty()) FindNext(m_strFind);
  } else if (pEvent->key() == Qt::Key_Home && (pEvent->modifiers() & Qt::ControlModifier)) {
    verticalScrollBar()->setValue(0);
  } else if (pEvent->key() == Qt::Key_End && (pEvent->modifiers() & Qt::ControlModifier)) {
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
  } else {
    QAbstractScrollArea::keyPressEvent(pEvent);
  }
}

bool CTVRBoardView::FindNext(const std::string& text) {
  m_strFind = text;
  Position from{0, 0};
  if (HasSelection()) from = Position{GetSelectionStart().first, GetSelectionStart().second + 1};
  Position found;
  if (!Find(text, from, found)) return false;
  m_Anchor = found;
  m_Caret = Position{found.first, found.second + text.size()};
  FlushFrame();
  const std::size_t page = GetVisibleLineCount();
  const std::size_t top = GetFirstVisibleLine();
  if (found.first < top || found.first >= top + page)
    verticalScrollBar()->setValue(int(std::min<std::size_t>(found.first > page / 2 ? found.first - page / 2 : 0,
                                                            std::size_t(verticalScrollBar()->maximum()))));
  const int x = int(found.second) * m_nCharWidth;
  QScrollBar* pHBar = horizontalScrollBar();
  if (x < pHBar->value() || x > pHBar->value() + viewport()->width() - m_nCharWidth) pHBar->setValue(x);
  viewport()->update();
  return true;
}

QMenu* CTVRBoardView::CreateContextMenu() {
  auto* pMenu = new QMenu(this);
  auto add = [&](tvr::UINT id, const char* text) {
    QAction* pAction = pMenu->addAction(QString::fromLatin1(text));
    CTVRCmdUI ui(id);
    OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui, nullptr);
    pAction->setEnabled(ui.m_bEnabled != FALSE);
    connect(pAction, &QAction::triggered, this, [this, id] { DoCommand(id); });
  };
  add(ID_EDIT_CLEAR_ALL, "Clear All");
  add(ID_EDIT_SELECT_ALL, "Select All");
  pMenu->addSeparator();
  add(ID_EDIT_UNDO, "Undo");
  pMenu->addSeparator();
  add(ID_EDIT_CUT, "Cut");
  add(ID_EDIT_COPY, "Copy");
  add(ID_EDIT_PASTE, "Paste");
  return pMenu;
}

// ---- Printing -------------------------------------------------------------------

void CTVRBoardView::PrintTo(QPrinter& printer) {
  const double m = PRINT_MARGIN_INCH;
  printer.setPageMargins(QMarginsF(m, m, m, m), QPageLayout::Inch);
  QPainter painter;
  if (!painter.begin(&printer)) return;
  // The screen font at the printer's resolution: 13 pixels of a 96 dpi screen.
  QFont printFont = font();
  printFont.setPointSizeF(13.0 * 72.0 / 96.0);
  painter.setFont(printFont);
  const QFontMetrics metrics(printFont, &printer);
  const int charWidth = std::max(1, metrics.horizontalAdvance(QLatin1Char('D')));
  const int lineHeight = std::max(1, metrics.height());
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  const int linesPerPage = std::max(1, page.height() / lineHeight);
  const std::size_t columns = std::size_t(std::max(1, page.width() / charWidth));

  int row = 0;
  ForEachLine(0, GetLineCount() - 1, [&](std::size_t, const std::string& text, const std::vector<Segment>& segments) {
    if (row == linesPerPage) {
      printer.newPage();
      row = 0;
    }
    const int top = row * lineHeight;
    DrawSegments(painter, 0, top + metrics.ascent(), top, charWidth, lineHeight, 0, columns, text, segments, {},
                 nullptr);
    ++row;
    return true;
  });
  painter.end();
}

void CTVRBoardView::OnFilePrint() {
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() == QDialog::Accepted) PrintTo(printer);
}

void CTVRBoardView::OnFilePrintDirect() {
  QPrinter printer(QPrinter::HighResolution);
  PrintTo(printer);
}

void CTVRBoardView::OnFilePrintPreview() {
  QPrinter printer(QPrinter::HighResolution);
  QPrintPreviewDialog dialog(&printer, this);
  connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* pPrinter) { PrintTo(*pPrinter); });
  dialog.exec();
}

bool CTVRBoardView::ExportPcapng() {
  CTVRBoardDoc* pDoc = GetBoardDoc();
  if (pDoc == nullptr) return false;
  std::string name = GetDefaultLogFileName();
  name.replace(name.size() - 4, 4, ".pcapng");
  std::string chosen;
  if (!CTVRBoardDocPrivate::Of(*pDoc).GetHostContext()->Prompts().AskSaveFileName(".pcapng", name, PCAPNG_FILTER,
                                                                                  chosen))
    return false;
  if (m_Capture.SaveTo(chosen)) return true;
  TVRMessageBox("The capture file \"" + chosen + "\" could not be created !");
  return false;
}
