// The docked "Card Parameters" bar: a tree with the answer to reset of the
// card slot shown, line by line under " ATR :", and the reader's mask. One bar
// serves every document; it listens to the host's card slots.
#pragma once

#include <QDockWidget>

#include "decode/card_slots.h"

class QTreeWidget;
class QTreeWidgetItem;

class CCardParamsBar : public QDockWidget, public CTVRCardSlots::Listener {
  Q_OBJECT

 public:
  static constexpr unsigned ID = 32803;

  explicit CCardParamsBar(CTVRCardSlots& cardSlots, QWidget* parent = nullptr);
  ~CCardParamsBar() override;

  QTreeWidget* GetTree() const { return m_pTree; }
  // A width that shows the decoder's lines whole: the longest are the
  // historical bytes' second and later lines, four bytes under the first
  // line's "= " (43 characters with the blank after the last byte).
  static constexpr int FITTING_COLUMNS = 43;
  int GetFittingWidth() const;

  void OnShowAtr(int slot) override;
  void OnShowMask(int slot) override;

 private:
  CTVRCardSlots& m_Slots;
  QTreeWidget* m_pTree;
  QTreeWidgetItem* m_pAtrItem;
  QTreeWidgetItem* m_pMaskItem;
};
