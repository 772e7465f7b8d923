#include "cli/log_stream.h"

#include <fcntl.h>
#include <unistd.h>

#include <tavric/prompts.h>

#include "platform/file_writer.h"

bool CTVRLogStream::Open(const std::string& path) {
  Close();
  m_strPath = path;
  m_bFailed = false;
  // Only a regular file: a pipe or a device would block the run or lose the log.
  m_fd = CTVRFileWriter::OpenStream(path);
  if (m_fd < 0) {
    Report();
    return false;
  }
  m_Pending.SetFd(m_fd);
  return true;
}

void CTVRLogStream::Write(const std::string& text) {
  if (m_fd < 0 || m_bFailed) return;
  if (!m_Pending.Append(text.data(), text.size())) m_bFailed = true;
}

void CTVRLogStream::Flush() {
  if (m_fd >= 0 && !m_bFailed && !m_Pending.Flush()) m_bFailed = true;
}

void CTVRLogStream::Restart() {
  if (m_fd < 0 || m_bFailed) return;
  m_Pending.Discard();
  if (::ftruncate(m_fd, 0) != 0 || ::lseek(m_fd, 0, SEEK_SET) != 0) m_bFailed = true;
}

bool CTVRLogStream::Close() {
  if (m_fd < 0) return !m_bFailed;
  Flush();
  m_Pending.SetFd(-1);
  if (::close(m_fd) != 0) m_bFailed = true;
  m_fd = -1;
  if (m_bFailed) Report();
  return !m_bFailed;
}

void CTVRLogStream::Report() {
  m_bFailed = true;
  TVRMessageBox("The log file \"" + m_strPath + "\" could not be created !");
}
