#include "cli/log_stream.h"

#include <tavric/prompts.h>

bool CTVRLogStream::Open(const std::string& path) {
  Close();
  m_strPath = path;
  if (!m_Spool.Open(path)) {
    Report();
    return false;
  }
  return true;
}

bool CTVRLogStream::Close() {
  if (!m_Spool.IsOpen()) return true;
  const bool ok = m_Spool.Close();
  if (!ok) Report();
  return ok;
}

void CTVRLogStream::Report() {
  TVRMessageBox("The log file \"" + m_strPath + "\" could not be created !");
}
