// The editor of one toolbar's buttons: the commands that have an image on the
// left, the bar's buttons in order on the right (separators among them), with
// Add, Remove, Move Up and Move Down. OK hands the new order back.
#pragma once

#include <functional>
#include <vector>

#include <QDialog>

#include <tavric/types.h>

class QAction;
class QListWidget;
class QListWidgetItem;
class QPushButton;

class CTVRToolBarEditDlg : public QDialog {
  Q_OBJECT

 public:
  // The text of the separator in both lists.
  static constexpr const char* SEPARATOR_TEXT = "---- Separator ----";

  // actionOf gives the action of a command (its image and tooltip).
  CTVRToolBarEditDlg(const QString& caption, const std::vector<tvr::UINT>& buttons,
                     std::function<QAction*(tvr::UINT)> actionOf, QWidget* parent = nullptr);

  // The buttons as edited; 0 is a separator.
  std::vector<tvr::UINT> GetButtons() const;

  QListWidget* GetCommandList() const { return m_pCommands; }
  QListWidget* GetButtonList() const { return m_pButtons; }
  QPushButton* GetAddButton() const { return m_pAdd; }
  QPushButton* GetRemoveButton() const { return m_pRemove; }
  QPushButton* GetUpButton() const { return m_pUp; }
  QPushButton* GetDownButton() const { return m_pDown; }

 private:
  QListWidgetItem* MakeItem(tvr::UINT nID) const;
  void OnAdd();
  void OnRemove();
  void OnMove(int step);
  void UpdateButtons();

  std::function<QAction*(tvr::UINT)> m_ActionOf;
  QListWidget* m_pCommands;
  QListWidget* m_pButtons;
  QPushButton* m_pAdd;
  QPushButton* m_pRemove;
  QPushButton* m_pUp;
  QPushButton* m_pDown;
};
