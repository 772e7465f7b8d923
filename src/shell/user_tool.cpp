#include "user_tool.h"

#include <QProcess>

bool CTVRUserTool::Invoke() const {
  if (!IsValid()) return false;
  return QProcess::startDetached(m_strCommand.trimmed(), QProcess::splitCommand(m_strArguments), m_strDirectory);
}
