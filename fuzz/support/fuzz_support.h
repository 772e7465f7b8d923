// What the fuzz targets share: a file of their own to hand the input to code
// that reads paths, and a core set up once (event loop, quiet prompts, the
// run folder of the build).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CTVRHostContext;

namespace tvr_fuzz {

// Sets up the core once per process: a QCoreApplication, a host context
// installed for the process with prompts that record nothing and never
// block, settings in a private folder.
void InitOnce();
// The process's host context (after InitOnce).
CTVRHostContext& Context();

// Writes the bytes to a file private to this process and returns its path.
// The same path is reused on every call.
std::string WriteInput(const uint8_t* data, std::size_t size, const char* suffix = ".txt");

// Writes the bytes as the settings file and gives it a modification time of
// its own, so that the settings store reads it afresh rather than from its
// cache of the previous input's file.
void WriteSettingsFile(const uint8_t* data, std::size_t size);

// The build's run folder (plug-ins, description files).
std::string RunFolder();

}  // namespace tvr_fuzz

class CTVRHostContext;

namespace tvr_fuzz {

// The fuzz input read from the front: a byte at a time, zero past the end.
class CInput {
 public:
  CInput(const uint8_t* data, std::size_t size) : m_pData(data), m_nSize(size) {}
  uint8_t Byte() { return m_nPos < m_nSize ? m_pData[m_nPos++] : 0; }
  // The next n bytes (fewer at the end).
  std::string Take(std::size_t n) {
    n = n < m_nSize - m_nPos ? n : m_nSize - m_nPos;
    std::string bytes(reinterpret_cast<const char*>(m_pData + m_nPos), n);
    m_nPos += n;
    return bytes;
  }
  std::string Rest() { return Take(m_nSize - m_nPos); }
  bool AtEnd() const { return m_nPos >= m_nSize; }

 private:
  const uint8_t* m_pData;
  std::size_t m_nSize;
  std::size_t m_nPos = 0;
};

// Runs the named-message queue until it is idle or the budget is spent, so
// that a script that loops or waits for ever still ends the input.
void RunQueueBriefly(int milliseconds = 20);

// The same with a budget of messages instead of time: no input waits out a
// clock, and an input runs the same messages each time it is replayed. Timed
// posts are not waited for (they go with their window).
void RunQueueFor(std::size_t messages);

}  // namespace tvr_fuzz
