#include "cli/log_stream.h"

#include <unistd.h>

#include <tavric/prompts.h>

#include "platform/file_writer.h"

bool CTVRLogStream::Open(const std::string& path) {
  Close();
  m_strPath = path;
  m_bFailed = false;
  // Only a regular file: a pipe or a device would block the run or lose the log.
  m_pFile = CTVRFileWriter::OpenStream(path);
  if (m_pFile == nullptr) {
    Report();
    return false;
  }
  return true;
}

void CTVRLogStream::Write(const std::string& text) {
  if (m_pFile == nullptr || m_bFailed) return;
  if (std::fwrite(text.data(), 1, text.size(), m_pFile) != text.size()) m_bFailed = true;
}

void CTVRLogStream::Restart() {
  if (m_pFile == nullptr || m_bFailed) return;
  if (std::fflush(m_pFile) != 0 || ::ftruncate(::fileno(m_pFile), 0) != 0 || std::fseek(m_pFile, 0, SEEK_SET) != 0)
    m_bFailed = true;
}

bool CTVRLogStream::Close() {
  if (m_pFile == nullptr) return !m_bFailed;
  if (std::fclose(m_pFile) != 0) m_bFailed = true;
  m_pFile = nullptr;
  if (m_bFailed) Report();
  return !m_bFailed;
}

void CTVRLogStream::Report() {
  m_bFailed = true;
  TVRMessageBox("The log file \"" + m_strPath + "\" could not be created !");
}
