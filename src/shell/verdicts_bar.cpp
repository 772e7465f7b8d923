#include "verdicts_bar.h"

#include <QHeaderView>
#include <QStyle>
#include <QTreeWidget>

#include "document/verdict_counter.h"

CVerdictsBar::CVerdictsBar(QWidget* parent) : QDockWidget(QStringLiteral("Verdicts"), parent) {
  setObjectName(QStringLiteral("VerdictsBar"));
  m_pTree = new QTreeWidget(this);
  m_pTree->setHeaderLabels(
      {QStringLiteral("Line"), QStringLiteral("Expected"), QStringLiteral("Received"), QStringLiteral("Time")});
  m_pTree->setRootIsDecorated(false);
  m_pTree->setFont(QFont(QStringLiteral("Monospace")));
  m_pTree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  connect(m_pTree, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* pItem, int) { OnItemDoubleClicked(pItem); });
  setWidget(m_pTree);
}

int CVerdictsBar::GetFittingHeight() const {
  constexpr int kRows = 5;  // the header and four mismatches
  return kRows * (m_pTree->fontMetrics().height() + 4) + 2 * m_pTree->frameWidth() +
         style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

void CVerdictsBar::ShowVerdicts(const CTVRVerdictCounter* pVerdicts, unsigned long runSerial) {
  const unsigned long long count = pVerdicts != nullptr ? pVerdicts->GetCount() : 0;
  if (pVerdicts == m_pShown && count == m_nShownCount && runSerial == m_nShownSerial) return;
  m_pShown = pVerdicts;
  m_nShownCount = count;
  m_nShownSerial = runSerial;
  m_nShownFailed = pVerdicts != nullptr ? pVerdicts->GetFailed() : 0;
  m_pTree->clear();
  if (pVerdicts == nullptr) return;
  QList<QTreeWidgetItem*> items;
  for (const CTVRVerdictCounter::Mismatch& mismatch : pVerdicts->GetMismatches()) {
    auto* pItem = new QTreeWidgetItem(
        {QString::number(mismatch.m_nLine), QString::fromLocal8Bit(mismatch.m_strExpected.c_str()),
         QString::fromLocal8Bit(mismatch.m_strReceived.c_str()), QString::fromLatin1(mismatch.m_strTime.c_str())});
    pItem->setData(0, Qt::UserRole, mismatch.m_nLine);
    items.push_back(pItem);
  }
  m_pTree->addTopLevelItems(items);
  if (!items.isEmpty()) m_pTree->scrollToItem(items.back());
}

void CVerdictsBar::OnItemDoubleClicked(QTreeWidgetItem* pItem) {
  if (pItem != nullptr) emit LineChosen(pItem->data(0, Qt::UserRole).toInt());
}
