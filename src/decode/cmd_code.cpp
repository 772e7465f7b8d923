#include <tavric/cmd_code.h>

#include <tavric/prompts.h>

#include "decode/description_file.h"

CCmdCode::CCmdCode() = default;

CCmdCode::~CCmdCode() {
  for (ClassEntry& cls : m_classes) {
    for (CodeEntry* code : cls.codes) {
      if (code) delete[] code->text;
      delete code;
    }
    delete[] cls.text;
  }
}

tvr::BYTE CCmdCode::GetLength(tvr::BYTE cls, tvr::BYTE code) const {
  return tvr::BYTE(GetName(cls, code).size());
}

const char* CCmdCode::GetText(tvr::BYTE cls, tvr::BYTE code) const {
  return GetName(cls, code).data();
}

void CCmdCode::LoadPath(const std::string& path) {
  CTVRDescriptionFile file;
  if (!file.Read(path)) {
    TVRMessageBox("The command description file could not be opened !");
    return;
  }
  // "HH text" names class HH as a whole, "HH-CC text" code CC within it.
  // Loading adds and replaces, never removes.
  while (!file.AtEnd()) {
    tvr::BYTE clsValue = 0;
    if (!file.ReadByte(clsValue)) {
      file.SkipLine();
      continue;
    }
    ClassEntry& cls = m_classes[clsValue];
    if (!file.NextIs('-')) {
      std::string_view text = file.ReadDescription();
      cls.defined = 1;
      delete[] cls.text;
      cls.text = CTVRDescriptionFile::CopyText(text);
      cls.length = tvr::BYTE(text.size());
      continue;
    }
    file.Advance();
    tvr::BYTE codeValue = 0;
    if (!file.ReadByte(codeValue)) {
      // "HH-" without a code: a malformed line names nothing, not even the class.
      file.SkipLine();
      continue;
    }
    std::string_view text = file.ReadDescription();
    CodeEntry*& code = cls.codes[codeValue];
    if (code) {
      delete[] code->text;
      delete code;
    }
    code = new CodeEntry;
    code->text = CTVRDescriptionFile::CopyText(text);
    code->length = tvr::BYTE(text.size());
    cls.defined = 1;
  }
}
