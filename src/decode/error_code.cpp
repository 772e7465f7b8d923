#include <tavric/error_code.h>

#include <tavric/prompts.h>

#include "decode/description_file.h"

CErrorCode::CErrorCode() = default;

CErrorCode::~CErrorCode() {
  for (Entry& entry : m_entries) delete[] entry.text;
}

void CErrorCode::LoadPath(const std::string& path) {
  CTVRDescriptionFile file;
  if (!file.Read(path)) {
    TVRMessageBox("The error description file could not be opened !");
    return;
  }
  // Loading adds and replaces; it never clears, so a reloaded file keeps the
  // codes that only an earlier load named.
  while (!file.AtEnd()) {
    tvr::BYTE code = 0;
    if (!file.ReadByte(code)) {
      file.SkipLine();
      continue;
    }
    std::string_view text = file.ReadDescription();
    Entry& entry = m_entries[code];
    entry.defined = 1;
    delete[] entry.text;
    entry.text = CTVRDescriptionFile::CopyText(text);
    entry.length = tvr::BYTE(text.size());
  }
}
