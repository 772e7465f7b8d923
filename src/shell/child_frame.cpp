#include "child_frame.h"

#include <cstdlib>
#include <iterator>

#include <QMoveEvent>
#include <QResizeEvent>
#include <QSplitter>

#include <tavric/board_doc.h>
#include <tavric/protocol.h>

#include "board_view.h"
#include "contract/host.h"
#include "document/board_doc_texts.h"
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
  // The reader's name, and the script's in brackets once it comes from a file.
  std::string title;
  if (m_pDoc != nullptr) {
    const std::string& path = m_pDoc->m_strScriptPath;
    title = path.empty() || path == tvr_doc_texts::kNoname ? m_pDoc->GetTitle() : m_pDoc->GetCaption();
  }
  setWindowTitle(QString::fromLocal8Bit(title.c_str()));
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

namespace {

constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;

void PutInt(std::vector<tvr::BYTE>& bytes, std::size_t at, int32_t value) {
  const auto u = uint32_t(value);
  for (int i = 0; i < 4; ++i) bytes[at + i] = tvr::BYTE(u >> (8 * i));
}

int32_t GetInt(const std::vector<tvr::BYTE>& bytes, std::size_t at) {
  uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= uint32_t(bytes[at + i]) << (8 * i);
  return int32_t(u);
}

}  // namespace

void CTVRChildFrame::moveEvent(QMoveEvent* event) {
  QMdiSubWindow::moveEvent(event);
  if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) m_NormalGeometry = geometry();
}

void CTVRChildFrame::resizeEvent(QResizeEvent* event) {
  QMdiSubWindow::resizeEvent(event);
  if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) m_NormalGeometry = geometry();
}

std::vector<tvr::BYTE> CTVRChildFrame::GetPlacement() const {
  std::vector<tvr::BYTE> bytes(44, 0);
  const QRect normal = m_NormalGeometry.isValid() ? m_NormalGeometry : geometry();
  const int show = isMaximized() ? kShowMaximized : isMinimized() ? kShowMinimized : kShowNormal;
  const int32_t fields[] = {
      44, 0, show, -1, -1, -1, -1, normal.left(), normal.top(), normal.right() + 1, normal.bottom() + 1};
  for (std::size_t i = 0; i < std::size(fields); ++i) PutInt(bytes, 4 * i, fields[i]);
  return bytes;
}

bool CTVRChildFrame::SetPlacement(const std::vector<tvr::BYTE>& placement) {
  if (placement.size() != 44) return false;
  const int show = GetInt(placement, 8);
  const QRect normal(QPoint(GetInt(placement, 28), GetInt(placement, 32)),
                     QPoint(GetInt(placement, 36) - 1, GetInt(placement, 40) - 1));
  // A rectangle turned inside out or far off any screen would hide the window:
  // it keeps where it stands then, and only the show state is applied.
  constexpr int kFar = 100000;
  if (normal.width() > 0 && normal.height() > 0 && std::abs(normal.left()) < kFar && std::abs(normal.top()) < kFar &&
      normal.width() < kFar && normal.height() < kFar) {
    showNormal();
    setGeometry(normal);
    m_NormalGeometry = normal;
  }
  if (show == kShowMaximized) {
    showMaximized();
  } else if (show == kShowMinimized) {
    showMinimized();
  }
  return true;
}
