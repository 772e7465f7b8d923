#include "card_params_bar.h"

#include <cstdio>

#include <QTreeWidget>

CCardParamsBar::CCardParamsBar(CTVRCardSlots& cardSlots, QWidget* parent)
    : QDockWidget(QStringLiteral("Card Parameters"), parent), m_Slots(cardSlots) {
  setObjectName(QStringLiteral("CardParametersBar"));
  m_pTree = new QTreeWidget(this);
  m_pTree->setHeaderHidden(true);
  m_pTree->setRootIsDecorated(true);
  m_pTree->setFont(QFont(QStringLiteral("Monospace")));
  m_pAtrItem = new QTreeWidgetItem(m_pTree, {QStringLiteral(" ATR :")});
  new QTreeWidgetItem(m_pAtrItem, {QStringLiteral("no data")});
  m_pAtrItem->setExpanded(true);
  m_pMaskItem = new QTreeWidgetItem(m_pTree, {QStringLiteral(" Mask :")});
  setWidget(m_pTree);
  resize(200, 200);
  m_Slots.SetListener(this);
}

CCardParamsBar::~CCardParamsBar() {
  m_Slots.SetListener(nullptr);
}

void CCardParamsBar::OnShowAtr(int slot) {
  qDeleteAll(m_pAtrItem->takeChildren());
  if (!m_Slots.HasAtr(slot)) {
    new QTreeWidgetItem(m_pAtrItem, {QStringLiteral("no data")});
  } else {
    // Until the field-by-field decoder is wired in, the bytes as they came.
    QString bytes;
    for (tvr::BYTE b : m_Slots.GetAtr(slot)) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%02X ", b);
      bytes += QString::fromLatin1(hex);
    }
    new QTreeWidgetItem(m_pAtrItem, {bytes.trimmed()});
  }
  m_pAtrItem->setExpanded(true);
}

void CCardParamsBar::OnShowMask(int slot) {
  m_pMaskItem->setText(0, QStringLiteral(" Mask : ") + QString::fromLocal8Bit(m_Slots.GetMask(slot).c_str()));
}
