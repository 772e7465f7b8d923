// The user-defined tools, at most ten, kept in the settings store (section
// "Tools": "Count", then "Name<n>", "Command<n>", "Arguments<n>" and
// "Directory<n>" for n from 1). A damaged or missing value loses that tool
// only; a count outside 0 to 10 is taken as far as it goes.
#pragma once

#include <vector>

#include "user_tool.h"

class CTVRUserToolList {
 public:
  static constexpr int MAX_TOOLS = 10;
  // The menu commands of the tools, one per place in the list.
  static constexpr unsigned FIRST_COMMAND = 32806;
  static constexpr unsigned LAST_COMMAND = 32815;

  const std::vector<CTVRUserTool>& GetTools() const { return m_Tools; }
  // Keeps the first ten valid tools.
  void SetTools(const std::vector<CTVRUserTool>& tools);

  void Load();
  void Save() const;

 private:
  std::vector<CTVRUserTool> m_Tools;
};
