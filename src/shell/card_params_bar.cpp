#include "card_params_bar.h"

#include <QTreeWidget>

CCardParamsBar::CCardParamsBar(CTVRCardSlots& cardSlots, QWidget* parent)
    : QDockWidget(QStringLiteral("Card Parameters"), parent), m_Slots(cardSlots) {
  setObjectName(QStringLiteral("CardParametersBar"));
  m_pTree = new QTreeWidget(this);
  m_pTree->setHeaderHidden(true);
  m_pTree->setRootIsDecorated(true);
  m_pTree->setFont(QFont(QStringLiteral("Monospace")));
  m_pAtrItem = new QTreeWidgetItem(m_pTree, {QString::fromLatin1(CTVRCardSlots::ATR_ITEM)});
  m_pMaskItem = new QTreeWidgetItem(m_pTree, {QString::fromLocal8Bit(m_Slots.GetShownMaskLine().c_str())});
  OnShowAtr(m_Slots.GetShownSlot());
  setWidget(m_pTree);
  resize(200, 200);
  m_Slots.SetListener(this);
}

CCardParamsBar::~CCardParamsBar() {
  m_Slots.SetListener(nullptr);
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
