// A FILE* that writes into memory, for what a command or a printer writes to
// its out and err streams.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace tvr_test {

class CMemoryFile {
 public:
  CMemoryFile() : m_pFile(open_memstream(&m_pBuffer, &m_nSize)) {}
  ~CMemoryFile() {
    Close();
    std::free(m_pBuffer);
  }
  CMemoryFile(const CMemoryFile&) = delete;
  CMemoryFile& operator=(const CMemoryFile&) = delete;

  std::FILE* Get() const { return m_pFile; }
  // What reached memory so far: only what the writer flushed.
  std::string Flushed() const { return m_pBuffer != nullptr ? std::string(m_pBuffer, m_nSize) : std::string(); }
  // Everything written; the stream is closed.
  std::string Close() {
    if (m_pFile != nullptr) std::fclose(m_pFile);
    m_pFile = nullptr;
    return Flushed();
  }

 private:
  char* m_pBuffer = nullptr;
  std::size_t m_nSize = 0;
  std::FILE* m_pFile;
};

}  // namespace tvr_test
