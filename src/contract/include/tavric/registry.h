// The settings store: named integer, text and binary values in sections, kept
// in a per-user INI file (maker "Norvale Devices", application "Tavric", base
// section "Settings"). The environment variable TAVRIC_SETTINGS names another
// file, for tests and portable use.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <tavric/types.h>

class TVR_API CTVRRegistry {
 public:
  // bAdmin is accepted for the desktop original's sake and ignored; a
  // read-only registry never writes.
  CTVRRegistry(tvr::BOOL bAdmin, tvr::BOOL bReadOnly);
  ~CTVRRegistry();
  CTVRRegistry(const CTVRRegistry&) = delete;
  CTVRRegistry& operator=(const CTVRRegistry&) = delete;

  // Opens an existing section; a missing one makes every later Read fail.
  tvr::BOOL Open(const std::string& keyPath);
  // Creates the section when missing and opens it for writing.
  tvr::BOOL CreateKey(const std::string& keyPath);

  // TRUE and the value when it exists; FALSE and the target unchanged otherwise.
  tvr::BOOL Read(const std::string& name, int& value);
  tvr::BOOL Read(const std::string& name, tvr::DWORD& value);
  tvr::BOOL Read(const std::string& name, std::string& value);
  tvr::BOOL Read(const std::string& name, std::vector<tvr::BYTE>& value);

  tvr::BOOL Write(const std::string& name, int value);
  tvr::BOOL Write(const std::string& name, tvr::DWORD value);
  tvr::BOOL Write(const std::string& name, const std::string& value);
  tvr::BOOL Write(const std::string& name, const char* value) { return Write(name, std::string(value)); }
  tvr::BOOL Write(const std::string& name, const tvr::BYTE* data, tvr::UINT count);

  // Writes what this object changed to the file now (it is written when the
  // object goes otherwise); FALSE, with the system's reason, when the file
  // could not be written. The file then stays as it was.
  tvr::BOOL Flush(std::string* reason = nullptr);

  // Full section path below the application's key and the base section
  // ("Settings\<section>"). Sections nest with '\'.
  static std::string GetRegSectionPath(const std::string& section);
  // The file the store uses (for diagnostics and tests).
  static std::string GetStoreFileName();

 private:
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
};
