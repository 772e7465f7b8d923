#include "statistics_wnd.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <tavric/board_doc.h>
#include <tavric/doc_template.h>

#include "contract/host_context.h"
#include "document/board_doc_private.h"

namespace {

constexpr int kRefreshMs = 500;

QString Ms(double ns) {
  return QString::number(ns / 1e6, 'f', 3);
}

}  // namespace

CTVRStatisticsWnd::CTVRStatisticsWnd(CTVRHostContext& context, CTVRBoardDoc& doc, QWidget* parent)
    : QDialog(parent), m_Context(context), m_pDoc(&doc) {
  setWindowTitle(QStringLiteral("Statistics - %1").arg(QString::fromLocal8Bit(doc.GetTitle().c_str())));
  m_pTable = new QTableWidget(0, 7, this);
  m_pTable->setHorizontalHeaderLabels({QStringLiteral("Line"), QStringLiteral("Count"), QStringLiteral("Min (ms)"),
                                       QStringLiteral("Mean (ms)"), QStringLiteral("95th pct (ms)"),
                                       QStringLiteral("Max (ms)"), QStringLiteral("Statement")});
  m_pTable->verticalHeader()->hide();
  m_pTable->horizontalHeader()->setStretchLastSection(true);
  m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  auto* pReset = new QPushButton(QStringLiteral("&Reset"), this);
  auto* pClose = new QPushButton(QStringLiteral("Close"), this);
  connect(pReset, &QPushButton::clicked, this, [this] {
    m_Stats.Clear();
    Refresh();
  });
  connect(pClose, &QPushButton::clicked, this, &QDialog::close);
  auto* pButtons = new QHBoxLayout;
  pButtons->addStretch();
  pButtons->addWidget(pReset);
  pButtons->addWidget(pClose);
  auto* pLayout = new QVBoxLayout(this);
  pLayout->addWidget(m_pTable);
  pLayout->addLayout(pButtons);
  resize(820, 300);

  CTVRBoardDocPrivate::Of(doc).SetRoundTripStats(&m_Stats);
  m_pTimer = new QTimer(this);
  connect(m_pTimer, &QTimer::timeout, this, &CTVRStatisticsWnd::Refresh);
  m_pTimer->start(kRefreshMs);
  Refresh();
}

CTVRStatisticsWnd::~CTVRStatisticsWnd() {
  if (CTVRBoardDoc* pDoc = GetDocument(); pDoc && CTVRBoardDocPrivate::Of(*pDoc).GetRoundTripStats() == &m_Stats)
    CTVRBoardDocPrivate::Of(*pDoc).SetRoundTripStats(nullptr);
}

CTVRBoardDoc* CTVRStatisticsWnd::GetDocument() const {
  for (const auto& pTemplate : m_Context.Host().GetTemplates())
    for (CTVRBoardDoc* pDoc : pTemplate->GetDocuments())
      if (pDoc == m_pDoc) return pDoc;
  return nullptr;
}

void CTVRStatisticsWnd::Refresh() {
  CTVRBoardDoc* pDoc = GetDocument();
  m_pTable->setRowCount(int(m_Stats.GetLineCount()));
  int row = 0;
  for (int line = 0; line < m_Stats.GetLineEnd(); ++line) {
    const CTVRTimeHistogram* pTimes = m_Stats.GetLine(line);
    if (pTimes == nullptr) continue;
    const std::string text = pDoc && line < CTVRBoardDocPrivate::Of(*pDoc).GetLineCount()
                                 ? CTVRBoardDocPrivate::Of(*pDoc).GetLine(line)
                                 : "";
    const QString cells[] = {QString::number(line + 1),
                             QString::number(pTimes->GetCount()),
                             Ms(double(pTimes->GetMin())),
                             Ms(pTimes->GetMean()),
                             Ms(double(pTimes->GetPercentile(0.95))),
                             Ms(double(pTimes->GetMax())),
                             QString::fromLocal8Bit(text.c_str())};
    for (int column = 0; column < 7; ++column) {
      QTableWidgetItem* pItem = m_pTable->item(row, column);
      if (pItem == nullptr) m_pTable->setItem(row, column, pItem = new QTableWidgetItem);
      pItem->setText(cells[column]);
      if (column < 6) pItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    ++row;
  }
}
