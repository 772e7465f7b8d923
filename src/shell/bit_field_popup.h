// The list of named values a right click on a bit offers: "No change", then
// the value texts of the bit fields that cover the bit. It remembers the bits
// of the field it was filled for, and is shown at the mouse without taking the
// focus from the row.
#pragma once

#include <QListWidget>

#include "regtool/register_tool.h"

class CBitFieldPopup : public QListWidget {
  Q_OBJECT

 public:
  CBitFieldPopup(const CRegisterTool::CPopup& popup, QWidget* parent);

  tvr::BYTE GetLowBit() const { return m_byLowBit; }
  tvr::BYTE GetHighBit() const { return m_byHighBit; }

 signals:
  // An item was double-clicked.
  void ValueChosen(const QString& text);

 private:
  tvr::BYTE m_byLowBit;
  tvr::BYTE m_byHighBit;
};
