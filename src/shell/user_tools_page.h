// The editor of the user-defined tools, a page of the Customize dialog: the
// list of tools (New, Delete, Move Up, Move Down; at most ten) and the fields
// of the one selected: menu text, command, arguments, initial directory.
#pragma once

#include <vector>

#include <QWidget>

#include "user_tool.h"

class QLineEdit;
class QListWidget;
class QPushButton;

class CTVRUserToolsPage : public QWidget {
  Q_OBJECT

 public:
  explicit CTVRUserToolsPage(QWidget* parent = nullptr);

  void SetTools(const std::vector<CTVRUserTool>& tools);
  // The tools as edited, in list order.
  std::vector<CTVRUserTool> GetTools() const { return m_Tools; }

  QListWidget* GetList() const { return m_pList; }
  QPushButton* GetNewButton() const { return m_pNew; }
  QPushButton* GetDeleteButton() const { return m_pDelete; }
  QPushButton* GetUpButton() const { return m_pUp; }
  QPushButton* GetDownButton() const { return m_pDown; }
  QLineEdit* GetNameEdit() const { return m_pName; }
  QLineEdit* GetCommandEdit() const { return m_pCommand; }
  QLineEdit* GetArgumentsEdit() const { return m_pArguments; }
  QLineEdit* GetDirectoryEdit() const { return m_pDirectory; }

 private:
  void OnNew();
  void OnDelete();
  void OnMove(int step);
  void OnSelectionChanged();
  void OnFieldEdited();
  void OnBrowse();
  void Refill(int select);
  void UpdateButtons();

  std::vector<CTVRUserTool> m_Tools;
  QListWidget* m_pList;
  QPushButton* m_pNew;
  QPushButton* m_pDelete;
  QPushButton* m_pUp;
  QPushButton* m_pDown;
  QLineEdit* m_pName;
  QLineEdit* m_pCommand;
  QLineEdit* m_pArguments;
  QLineEdit* m_pDirectory;
  bool m_bFilling = false;
};
