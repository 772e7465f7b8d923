// The error description table of a protocol: 256 codes, each with a text.
#pragma once

#include <string>

#include <tavric/types.h>

class TVR_API CErrorCode {
 public:
  CErrorCode();
  CErrorCode(const CErrorCode&) = delete;
  CErrorCode& operator=(const CErrorCode&) = delete;
  virtual ~CErrorCode();

  // Reads "<file>" from the program's folder; adds and replaces, never removes.
  void LoadFile(const std::string& fileName);
  // Same, from a full path (used by LoadFile, and by tools that keep files elsewhere).
  void LoadPath(const std::string& path);

  int IsDefined(tvr::BYTE code) const { return m_entries[code].defined; }
  tvr::BYTE GetLength(tvr::BYTE code) const { return m_entries[code].length; }
  const char* GetText(tvr::BYTE code) const { return m_entries[code].text; }

 private:
  struct Entry {
    int defined = 0;
    char* text = nullptr;
    tvr::BYTE length = 0;
  };
  Entry m_entries[256];
};
