#include "card_params_bar.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>

CCardParamsBar::CCardParamsBar(CTVRCardSlots& cardSlots, QWidget* parent)
    : QDockWidget(QStringLiteral("Card Parameters"), parent), m_Slots(cardSlots) {
  setObjectName(QStringLiteral("CardParametersBar"));
  m_pTree = new QTreeWidget(this);
  m_pTree->setHeaderHidden(true);
  m_pTree->setRootIsDecorated(true);
  m_pTree->setFont(QFont(QStringLiteral("Monospace")));
  // Lines are never cut short: the column is as wide as the longest one.
  m_pTree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  m_pTree->header()->setStretchLastSection(false);
  m_pTree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_pAtrItem = new QTreeWidgetItem(m_pTree, {QString::fromLatin1(CTVRCardSlots::ATR_ITEM)});
  m_pMaskItem = new QTreeWidgetItem(m_pTree, {QString::fromLocal8Bit(m_Slots.GetShownMaskLine().c_str())});
  CCardParamsBar::OnShowAtr(m_Slots.GetShownSlot());  // this class's own: the bar is being built
  setWidget(m_pTree);
  resize(200, 200);
  m_Slots.SetListener(this);
}

CCardParamsBar::~CCardParamsBar() {
  m_Slots.SetListener(nullptr);
}

int CCardParamsBar::GetFittingWidth() const {
  const int text = m_pTree->fontMetrics().horizontalAdvance(QString(FITTING_COLUMNS, QLatin1Char('0')));
  return text + 2 * m_pTree->indentation() + m_pTree->verticalScrollBar()->sizeHint().width() +
         2 * m_pTree->frameWidth() + 2 * style()->pixelMetric(QStyle::PM_DockWidgetFrameWidth);
}

void CCardParamsBar::OnShowAtr(int slot) {
  // The lines are the answer decoder's own, as `tavric-run` prints them.
  qDeleteAll(m_pAtrItem->takeChildren());
  for (const std::string& line : m_Slots.GetAtrLines(slot))
    new QTreeWidgetItem(m_pAtrItem, {QString::fromLatin1(line.c_str())});
  m_pAtrItem->setExpanded(true);
}

void CCardParamsBar::OnShowMask(int slot) {
  m_pMaskItem->setText(0, QString::fromLocal8Bit(m_Slots.GetMaskLine(slot).c_str()));
}
