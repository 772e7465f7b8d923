// The command description table of a protocol: 256 classes, each with a text
// of its own and the texts of single codes within it.
#pragma once

#include <string>
#include <string_view>

#include <tavric/types.h>

class TVR_API CCmdCode {
 public:
  CCmdCode();
  CCmdCode(const CCmdCode&) = delete;
  CCmdCode& operator=(const CCmdCode&) = delete;
  virtual ~CCmdCode();

  void LoadFile(const std::string& fileName);
  void LoadPath(const std::string& path);

  int IsDefined(tvr::BYTE cls) const { return m_classes[cls].defined; }
  // The code entry's when it exists, otherwise the class's own.
  tvr::BYTE GetLength(tvr::BYTE cls, tvr::BYTE code) const;
  const char* GetText(tvr::BYTE cls, tvr::BYTE code) const;
  // Both at once, for the decoder that names a command on every statement.
  std::string_view GetName(tvr::BYTE cls, tvr::BYTE code) const {
    const ClassEntry& entry = m_classes[cls];
    const CodeEntry* pCode = entry.codes[code];
    return pCode ? std::string_view(pCode->text, pCode->length) : std::string_view(entry.text, entry.length);
  }

 private:
  struct CodeEntry {
    char* text = nullptr;
    tvr::BYTE length = 0;
  };
  struct ClassEntry {
    int defined = 0;
    CodeEntry* codes[256] = {};
    char* text = nullptr;
    tvr::BYTE length = 0;
  };
  ClassEntry m_classes[256];
};
