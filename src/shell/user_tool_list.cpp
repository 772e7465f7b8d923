#include "user_tool_list.h"

#include <string>

#include <tavric/registry.h>

namespace {

const char kSection[] = "Tools";

QString ReadText(CTVRRegistry& reg, const std::string& name) {
  std::string value;
  return reg.Read(name, value) ? QString::fromUtf8(value.c_str()) : QString();
}

}  // namespace

void CTVRUserToolList::SetTools(const std::vector<CTVRUserTool>& tools) {
  m_Tools.clear();
  for (const CTVRUserTool& tool : tools) {
    if (!tool.IsValid()) continue;
    if (int(m_Tools.size()) == MAX_TOOLS) break;
    m_Tools.push_back(tool);
  }
}

void CTVRUserToolList::Load() {
  CTVRRegistry reg(FALSE, TRUE);
  reg.Open(CTVRRegistry::GetRegSectionPath(kSection));
  int count = 0;
  if (!reg.Read("Count", count)) count = 0;
  std::vector<CTVRUserTool> tools;
  for (int n = 1; n <= count && n <= MAX_TOOLS; ++n) {
    const std::string index = std::to_string(n);
    CTVRUserTool tool;
    tool.m_strName = ReadText(reg, "Name" + index);
    tool.m_strCommand = ReadText(reg, "Command" + index);
    tool.m_strArguments = ReadText(reg, "Arguments" + index);
    tool.m_strDirectory = ReadText(reg, "Directory" + index);
    tools.push_back(tool);
  }
  SetTools(tools);
}

void CTVRUserToolList::Save() const {
  CTVRRegistry reg(FALSE, FALSE);
  if (!reg.CreateKey(CTVRRegistry::GetRegSectionPath(kSection))) return;
  reg.Write("Count", int(m_Tools.size()));
  // Every place is written, the unused ones empty, so that no tool removed
  // earlier comes back under a damaged count.
  const CTVRUserTool none;
  for (std::size_t i = 0; i < std::size_t(MAX_TOOLS); ++i) {
    const std::string index = std::to_string(i + 1);
    const CTVRUserTool& tool = i < m_Tools.size() ? m_Tools[i] : none;
    reg.Write("Name" + index, tool.m_strName.toStdString());
    reg.Write("Command" + index, tool.m_strCommand.toStdString());
    reg.Write("Arguments" + index, tool.m_strArguments.toStdString());
    reg.Write("Directory" + index, tool.m_strDirectory.toStdString());
  }
}
