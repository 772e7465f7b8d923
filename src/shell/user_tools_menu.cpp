#include "user_tools_menu.h"

#include <QAction>
#include <QMenu>

#include "platform/user_prompts.h"

CTVRUserToolsMenu::CTVRUserToolsMenu(CTVRUserPrompts& prompts, QMenu* pMenu, QAction* pBefore, QObject* parent)
    : QObject(parent), m_Prompts(prompts), m_pMenu(pMenu), m_pBefore(pBefore) {
  m_List.Load();
  Rebuild();
}

void CTVRUserToolsMenu::SetTools(const std::vector<CTVRUserTool>& tools) {
  m_List.SetTools(tools);
  m_List.Save();
  Rebuild();
}

void CTVRUserToolsMenu::Rebuild() {
  for (QAction* pAction : m_Actions) {
    m_pMenu->removeAction(pAction);
    delete pAction;
  }
  m_Actions.clear();
  unsigned nID = CTVRUserToolList::FIRST_COMMAND;
  for (const CTVRUserTool& tool : m_List.GetTools()) {
    auto* pAction = new QAction(tool.m_strName, this);
    pAction->setData(nID);
    pAction->setStatusTip(tool.m_strCommand);
    connect(pAction, &QAction::triggered, this, [this, nID] { Run(nID); });
    m_pMenu->insertAction(m_pBefore, pAction);
    m_Actions.push_back(pAction);
    ++nID;
  }
}

void CTVRUserToolsMenu::Run(unsigned nID) {
  const std::vector<CTVRUserTool>& tools = m_List.GetTools();
  const unsigned index = nID - CTVRUserToolList::FIRST_COMMAND;
  if (nID < CTVRUserToolList::FIRST_COMMAND || index >= tools.size()) return;
  const CTVRUserTool& tool = tools[index];
  if (!tool.Invoke())
    m_Prompts.MessageBox("Cannot start the tool \"" + QString(tool.m_strName).remove(QLatin1Char('&')).toStdString() +
                         "\": " + tool.m_strCommand.toStdString());
}
