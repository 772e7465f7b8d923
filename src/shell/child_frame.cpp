#include "child_frame.h"

#include <QResizeEvent>
#include <QSplitter>

#include <tavric/board_doc.h>
#include <tavric/protocol.h>

#include "board_view.h"
#include "contract/host.h"
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
  if (CTVRHost::Instance().GetActiveDocument() == m_pDoc) CTVRHost::Instance().SetActiveDocument(nullptr);
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
  setWindowTitle(QString::fromLocal8Bit(m_pDoc != nullptr ? m_pDoc->GetTitle().c_str() : ""));
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
  CTVRBoardDoc* pActive = CTVRHost::Instance().GetActiveDocument();
  if (pActive != nullptr && pActive->GetProtocol() != nullptr)
    pActive->GetProtocol()->SetConnected(pActive->IsConnected());
}
