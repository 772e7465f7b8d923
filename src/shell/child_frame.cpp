#include "child_frame.h"

#include <QCloseEvent>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QSplitter>

#include <tavric/board_doc.h>
#include <tavric/protocol.h>

#include "board_view.h"
#include "contract/host_context.h"
#include "document/board_doc_private.h"
#include "document/window_placement.h"
#include "script_view.h"

CTVRChildFrame::CTVRChildFrame(CTVRBoardDoc* pDoc, QWidget* parent) : QMdiSubWindow(parent), m_pDoc(pDoc) {
  setAttribute(Qt::WA_DeleteOnClose, true);
  m_pSplitter = new QSplitter(Qt::Vertical, this);
  m_pSplitter->setChildrenCollapsible(true);
  QWidget* pScript = new CTVRScriptView(pDoc, m_pSplitter);
  pScript->setObjectName(QStringLiteral("ScriptPane"));
  QWidget* pTrace = new CTVRBoardView(pDoc, m_pSplitter);
  pTrace->setObjectName(QStringLiteral("TracePane"));
  m_pSplitter->addWidget(pScript);
  m_pSplitter->addWidget(pTrace);
  pScript->setMinimumHeight(ROW0_MIN);
  pTrace->setMinimumHeight(ROW1_MIN);
  m_pSplitter->setSizes({ROW0_IDEAL, ROW1_IDEAL});
  // Growing or shrinking the window changes the trace row only: the editor
  // keeps the height the user gave it.
  m_pSplitter->setStretchFactor(0, 0);
  m_pSplitter->setStretchFactor(1, 1);
  setWidget(m_pSplitter);
  m_pSplitter->installEventFilter(this);
  setWindowIcon(QIcon(QStringLiteral(":/icons/tavric.svg")));
  UpdateTitle();
}

CTVRChildFrame::~CTVRChildFrame() {
  // The panes are views of the document: they leave it before it goes.
  m_pSplitter->removeEventFilter(this);
  delete m_pSplitter;
  m_pSplitter = nullptr;
  if (!m_bOwnsDocument || m_pDoc == nullptr) return;
  CTVRHost& host = CTVRBoardDocPrivate::Of(*m_pDoc).GetHostContext()->Host();
  if (host.GetActiveDocument() == m_pDoc) host.SetActiveDocument(nullptr);
  delete m_pDoc;
}

QWidget* CTVRChildFrame::GetScriptPane() const {
  return m_pSplitter->widget(0);
}

QWidget* CTVRChildFrame::GetTracePane() const {
  return m_pSplitter->widget(1);
}

int CTVRChildFrame::GetRowHeight(int row) const {
  QList<int> sizes = m_pSplitter->sizes();
  return row >= 0 && row < sizes.size() ? sizes[row] : 0;
}

int CTVRChildFrame::GetRowMinimum(int row) const {
  QWidget* pPane = m_pSplitter->widget(row);
  return pPane != nullptr ? pPane->minimumHeight() : 0;
}

void CTVRChildFrame::SetRows(int row0Cur, int row0Min, int row1Cur, int row1Min) {
  m_bFirstSizePending = false;
  GetScriptPane()->setMinimumHeight(std::max(0, row0Min));
  GetTracePane()->setMinimumHeight(std::max(0, row1Min));
  m_pSplitter->setSizes({std::max(0, row0Cur), std::max(0, row1Cur)});
}

void CTVRChildFrame::UpdateTitle() {
  // The reader's name and the script's in brackets, "noname" before a file.
  std::string title;
  if (m_pDoc != nullptr)
    title = CTVRBoardDocPrivate::Of(*m_pDoc).GetCaption().empty() ? m_pDoc->GetTitle()
                                                                  : CTVRBoardDocPrivate::Of(*m_pDoc).GetCaption();
  setWindowTitle(QString::fromLocal8Bit(title.c_str()));
}

CTVRCmdTarget* CTVRChildFrame::GetActiveView() const {
  // The window's focus child stays on the pane that had the focus while the
  // focus is in a toolbar, a menu or the card bar.
  QWidget* pTrace = GetTracePane();
  for (QWidget* pWidget = focusWidget(); pWidget != nullptr && pWidget != this; pWidget = pWidget->parentWidget())
    if (pWidget == pTrace) return static_cast<CTVRBoardView*>(pTrace);
  return static_cast<CTVRScriptView*>(GetScriptPane());
}

void CTVRChildFrame::closeEvent(QCloseEvent* event) {
  // The script first (Cancel, or a save that did not happen, keeps it all),
  // then the settings, which only a saved state brings back.
  if (m_pDoc != nullptr &&
      (!CTVRBoardDocPrivate::Of(*m_pDoc).SaveModified() || !CTVRBoardDocPrivate::Of(*m_pDoc).CanCloseDocument())) {
    event->ignore();
    UpdateTitle();
    return;
  }
  QMdiSubWindow::closeEvent(event);
}

bool CTVRChildFrame::eventFilter(QObject* pWatched, QEvent* event) {
  // The splitter's own first size (its geometry is already the new one) shares
  // its height out; the bar between the rows comes off the trace row.
  if (pWatched == m_pSplitter && event->type() == QEvent::Resize && m_bFirstSizePending) {
    int h = m_pSplitter->height();
    if (h > 0) {
      m_bFirstSizePending = false;
      GetScriptPane()->setMinimumHeight(SIZED_MIN);
      GetTracePane()->setMinimumHeight(SIZED_MIN);
      m_pSplitter->setSizes({h / 2 - 10, h / 2 + 10 - m_pSplitter->handleWidth()});
    }
  }
  return QMdiSubWindow::eventFilter(pWatched, event);
}

void CTVRChildFrame::focusInEvent(QFocusEvent* event) {
  QMdiSubWindow::focusInEvent(event);
  // A protocol shared by several documents always describes the one in front.
  CTVRBoardDoc* pActive = CTVRBoardDocPrivate::Of(*m_pDoc).GetHostContext()->Host().GetActiveDocument();
  if (pActive != nullptr && pActive->GetProtocol() != nullptr)
    pActive->GetProtocol()->SetConnected(pActive->IsConnected());
}

void CTVRChildFrame::moveEvent(QMoveEvent* event) {
  QMdiSubWindow::moveEvent(event);
  if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) m_NormalGeometry = geometry();
}

void CTVRChildFrame::resizeEvent(QResizeEvent* event) {
  QMdiSubWindow::resizeEvent(event);
  if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) m_NormalGeometry = geometry();
}

std::vector<tvr::BYTE> CTVRChildFrame::GetPlacement() const {
  const QRect normal = m_NormalGeometry.isValid() ? m_NormalGeometry : geometry();
  CTVRWindowPlacement placement;
  placement.m_nShow = isMaximized()   ? CTVRWindowPlacement::SHOW_MAXIMIZED
                      : isMinimized() ? CTVRWindowPlacement::SHOW_MINIMIZED
                                      : CTVRWindowPlacement::SHOW_NORMAL;
  placement.m_nLeft = normal.left();
  placement.m_nTop = normal.top();
  placement.m_nRight = normal.right() + 1;
  placement.m_nBottom = normal.bottom() + 1;
  return placement.Encode();
}

bool CTVRChildFrame::SetPlacement(const std::vector<tvr::BYTE>& bytes) {
  CTVRWindowPlacement placement;
  if (!placement.Decode(bytes)) return false;
  // A rectangle that is empty or far off any screen would hide the window:
  // it keeps where it stands then, and only the show state is applied.
  if (placement.HasUsableRect()) {
    const QRect normal(QPoint(placement.m_nLeft, placement.m_nTop),
                       QPoint(placement.m_nRight - 1, placement.m_nBottom - 1));
    showNormal();
    setGeometry(normal);
    m_NormalGeometry = normal;
  }
  if (placement.m_nShow == CTVRWindowPlacement::SHOW_MAXIMIZED) {
    showMaximized();
  } else if (placement.m_nShow == CTVRWindowPlacement::SHOW_MINIMIZED) {
    showMinimized();
  }
  return true;
}
