// The user-defined tools in the Tools menu: one item per tool, commands 32806
// to 32815 in list order, placed before a given item of the menu; choosing one
// starts its program. The list is the settings store's.
#pragma once

#include <vector>

#include <QObject>

#include "user_tool_list.h"

class CTVRUserPrompts;
class QAction;
class QMenu;

class CTVRUserToolsMenu : public QObject {
  Q_OBJECT

 public:
  // The items go into pMenu before pBefore (at its end when null).
  // A tool that cannot start is told through prompts.
  CTVRUserToolsMenu(CTVRUserPrompts& prompts, QMenu* pMenu, QAction* pBefore, QObject* parent = nullptr);

  const CTVRUserToolList& GetList() const { return m_List; }
  // Takes a new list (from the Customize dialog), stores it and rebuilds the items.
  void SetTools(const std::vector<CTVRUserTool>& tools);
  // The items now in the menu, in order.
  const std::vector<QAction*>& GetActions() const { return m_Actions; }
  // Starts the tool of a command; says so when it cannot be started.
  void Run(unsigned nID);

 private:
  void Rebuild();

  CTVRUserPrompts& m_Prompts;
  CTVRUserToolList m_List;
  QMenu* m_pMenu;
  QAction* m_pBefore;
  std::vector<QAction*> m_Actions;
};
