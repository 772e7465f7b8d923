#include "shell/bit_field_popup.h"

CBitFieldPopup::CBitFieldPopup(const CRegisterTool::CPopup& popup, QWidget* parent)
    : QListWidget(parent), m_byLowBit(popup.m_byLowBit), m_byHighBit(popup.m_byHighBit) {
  setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_DeleteOnClose);
  setFocusPolicy(Qt::NoFocus);
  for (const std::string& item : popup.m_Items) addItem(QString::fromLatin1(item.data(), int(item.size())));
  // Its own size: every item visible.
  setFixedSize(sizeHintForColumn(0) + 2 * frameWidth() + 8, sizeHintForRow(0) * count() + 2 * frameWidth() + 2);
  connect(this, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { emit ValueChosen(item->text()); });
}
