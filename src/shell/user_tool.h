// One user-defined tool of the Tools menu: an external program with its
// arguments and the folder it starts in, under the text of its menu item.
#pragma once

#include <QString>

class CTVRUserTool {
 public:
  QString m_strName;       // the menu text, '&' marking its mnemonic
  QString m_strCommand;    // the program
  QString m_strArguments;  // one line, split as a shell would (quotes kept together)
  QString m_strDirectory;  // where it starts; empty: the current folder

  bool IsValid() const { return !m_strName.trimmed().isEmpty() && !m_strCommand.trimmed().isEmpty(); }
  // Starts the program on its own (the tool outlives neither a wait nor the
  // program); FALSE when it could not be started.
  bool Invoke() const;

  bool operator==(const CTVRUserTool&) const = default;
};
