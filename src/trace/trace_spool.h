// The text of a trace view since its last clear, kept on disk as it grows
// instead of in memory, so that saving the log writes all of it however long
// the run, at a flat memory cost (one write buffer).
//
// A spool is a private file of the temporary folder, unlinked as soon as it is
// made: nobody else can open it and nothing is left behind, however the program
// ends. A front end that streams its log to a named file spools into that file
// instead, and saving the log under that same name then only flushes it. What
// is not yet in the file waits in a buffer that a dying process still writes
// out (CTVRPendingOutput), so a streamed log keeps the trace up to a fault.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/pending_output.h"

class CTVRTraceSpool {
 public:
  CTVRTraceSpool() = default;
  ~CTVRTraceSpool();
  CTVRTraceSpool(const CTVRTraceSpool&) = delete;
  CTVRTraceSpool& operator=(const CTVRTraceSpool&) = delete;

  // A private file in the temporary folder; false when none could be made.
  bool Open();
  // The named file, created or emptied; false when it could not be (a pipe,
  // a device or a folder is refused at once).
  bool Open(const std::string& path);
  bool IsOpen() const { return m_nFd >= 0; }
  // Something could not be written since the last clear: the spool no longer
  // holds the whole text, and saving it fails.
  bool IsFailed() const { return m_bFailed; }

  void Append(const char* text, std::size_t length);
  void Append(const std::string& text) { Append(text.data(), text.size()); }
  // The view was cleared: the spool starts over, empty.
  void Clear();
  // Bytes of text since the last clear.
  std::uint64_t GetSize() const { return m_nSize; }
  // Hands what is buffered to the file.
  bool Flush();
  // Up to `length` bytes of the text from `offset` on.
  std::string Read(std::uint64_t offset, std::size_t length);
  // Writes the whole text to the file at `path`, replacing it in one step (no
  // reader ever sees half a log). The spool's own file is flushed only.
  bool SaveTo(const std::string& path);
  // Flushes and closes; false when anything could not be written.
  bool Close();

 private:
  int m_nFd = -1;
  CTVRPendingOutput m_Pending;  // what is not yet in the file
  std::uint64_t m_nSize = 0;
  bool m_bFailed = false;
};
