#include "shell/register_row.h"

#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>

#include "shell/bit_field_popup.h"

namespace {

QString Latin1(const std::string& text) {
  return QString::fromLatin1(text.data(), int(text.size()));
}

}  // namespace

CRegisterRow::CRegisterRow(CRegisterTool& tool, int row, QWidget* parent) : QFrame(parent), m_Tool(tool), m_nRow(row) {
  setFrameShape(QFrame::StyledPanel);
  setFixedSize(ROW_WIDTH, ROW_HEIGHT);
  const RegisterDef& reg = m_Tool.GetRegister(row);
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(4, 2, 4, 2);
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(2);
  auto* title = new QLabel(Latin1(reg.name), this);
  title->setObjectName("title");
  grid->addWidget(title, 0, 0, 1, 8);
  // Bit 7 at the left.
  for (int bit = 7; bit >= 0; --bit) {
    const int column = 7 - bit;
    m_pBitLabel[bit] = new QLabel(Latin1(reg.bitLabel[bit]), this);
    m_pBitValue[bit] = new QLabel("0", this);
    for (QLabel* label : {m_pBitLabel[bit], m_pBitValue[bit]}) {
      label->setAlignment(Qt::AlignCenter);
      // The columns share the width evenly, whatever the labels' lengths.
      label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
      label->installEventFilter(this);
    }
    m_pBitLabel[bit]->setToolTip(m_pBitLabel[bit]->text());
    grid->setColumnStretch(column, 1);
    grid->addWidget(m_pBitLabel[bit], 1, column);
    grid->addWidget(m_pBitValue[bit], 2, column);
  }
  grid->addWidget(new QLabel("Hex", this), 1, 8);
  m_pHex = new QLineEdit(this);
  m_pHex->setFixedWidth(34);
  grid->addWidget(m_pHex, 2, 8);
  m_pRead = new QPushButton("Read", this);
  m_pWrite = new QPushButton("Write", this);
  for (QPushButton* button : {m_pRead, m_pWrite}) {
    button->setAutoDefault(false);
    // The bits take the row's width, not the buttons.
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("Write")) + 20);
  }
  grid->addWidget(m_pRead, 1, 9);
  grid->addWidget(m_pWrite, 2, 9);
  m_pRead->setEnabled(m_Tool.CanRead(row));
  m_pWrite->setEnabled(m_Tool.CanWrite(row));

  connect(m_pHex, &QLineEdit::textEdited, this, &CRegisterRow::OnHexEdited);
  connect(m_pRead, &QPushButton::clicked, this, [this] { m_Tool.OnReadRegister(m_nRow); });
  connect(m_pWrite, &QPushButton::clicked, this, [this] { m_Tool.OnWriteRegister(m_nRow); });
  Refresh();
}

CRegisterRow::~CRegisterRow() = default;

void CRegisterRow::Refresh() {
  const CRegisterTool::CRow& state = m_Tool.GetRow(m_nRow);
  for (int bit = 0; bit < 8; ++bit) m_pBitValue[bit]->setText(state.m_BitState[bit] ? "1" : "0");
  const QString hex = Latin1(state.m_strHexText);
  if (m_pHex->text() != hex) {
    // The tool has already validated it: no second edit notification.
    const QSignalBlocker blocker(m_pHex);
    m_pHex->setText(hex);
  }
  setVisible(state.m_bVisible);
  setEnabled(state.m_bVisible);
}

void CRegisterRow::OnHexEdited(const QString& text) {
  m_Tool.SetHexText(m_nRow, text.toLatin1().toStdString());
  const int cursor = m_pHex->cursorPosition();
  Refresh();
  m_pHex->setCursorPosition(std::min(cursor, int(m_pHex->text().size())));
}

int CRegisterRow::BitOf(QObject* watched) const {
  for (int bit = 0; bit < 8; ++bit)
    if (watched == m_pBitLabel[bit] || watched == m_pBitValue[bit]) return bit;
  return -1;
}

bool CRegisterRow::eventFilter(QObject* watched, QEvent* event) {
  const int bit = BitOf(watched);
  if (bit >= 0 && (event->type() == QEvent::MouseButtonDblClick || event->type() == QEvent::MouseButtonPress)) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (event->type() == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton) {
      m_Tool.ToggleBit(m_nRow, bit);
      Refresh();
      return true;
    }
    if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::RightButton) {
      ShowBitFieldPopup(bit, mouse->globalPosition().toPoint());
      return true;
    }
  }
  return QFrame::eventFilter(watched, event);
}

// Enter and Escape inside a row do nothing (nor reach the dialog).
void CRegisterRow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QFrame::keyPressEvent(event);
}

void CRegisterRow::ShowBitFieldPopup(int bit, const QPoint& globalPos) {
  if (m_pPopup) delete m_pPopup;
  CRegisterTool::CPopup popup;
  if (!m_Tool.GetPopup(m_nRow, bit, popup)) return;
  m_pPopup = new CBitFieldPopup(popup, this);
  connect(m_pPopup, &CBitFieldPopup::ValueChosen, this, &CRegisterRow::OnApplyValue);
  m_pPopup->move(globalPos);
  m_pPopup->show();
}

void CRegisterRow::OnApplyValue(const QString& text) {
  if (!m_pPopup) return;
  if (!m_Tool.ApplyValue(m_nRow, text.toLatin1().toStdString(), m_pPopup->GetLowBit(), m_pPopup->GetHighBit())) return;
  m_pPopup->close();
  Refresh();
}
