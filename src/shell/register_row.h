// One register of the register dialog: its name, the eight bits from bit 7
// at the left to bit 0 at the right with their labels, the value in
// hexadecimal ("Hex", editable), and Read and Write as its access allows.
// Double click on a bit toggles it; a right click offers the named values of
// the bit fields that cover it. The row shows the state the register tool
// keeps for it and forwards every edit and click to the tool.
#pragma once

#include <QFrame>
#include <QPointer>

#include "regtool/register_tool.h"
#include "shell/bit_field_popup.h"

class QLabel;
class QLineEdit;
class QPushButton;

class CRegisterRow : public QFrame {
  Q_OBJECT

 public:
  // Wide enough for eight even bit columns of a short label each ("Buzzer").
  static constexpr int ROW_WIDTH = 480;
  static constexpr int ROW_HEIGHT = 86;

  CRegisterRow(CRegisterTool& tool, int row, QWidget* parent);
  ~CRegisterRow() override;

  // Shows the tool's state of this row again.
  void Refresh();

  QLineEdit* GetHexEdit() const { return m_pHex; }
  QPushButton* GetReadButton() const { return m_pRead; }
  QPushButton* GetWriteButton() const { return m_pWrite; }
  QLabel* GetBitValue(int bit) const { return m_pBitValue[bit]; }
  QLabel* GetBitLabel(int bit) const { return m_pBitLabel[bit]; }
  CBitFieldPopup* GetPopup() const { return m_pPopup; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void OnHexEdited(const QString& text);
  void ShowBitFieldPopup(int bit, const QPoint& globalPos);
  void OnApplyValue(const QString& text);
  int BitOf(QObject* watched) const;

  CRegisterTool& m_Tool;
  int m_nRow;
  QLabel* m_pBitLabel[8] = {};
  QLabel* m_pBitValue[8] = {};
  QLineEdit* m_pHex = nullptr;
  QPushButton* m_pRead = nullptr;
  QPushButton* m_pWrite = nullptr;
  QPointer<CBitFieldPopup> m_pPopup;
};
