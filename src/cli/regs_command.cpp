#include "cli/regs_command.h"

#include <string>
#include <vector>

#include "contract/host_context.h"
#include "platform/file_reader.h"
#include "regtool/reg_param_file.h"

namespace {

// The model's message boxes, kept to be reported once, in the runner's words.
class CRegsPrompts : public CTVRUserPrompts {
 public:
  explicit CRegsPrompts(CTVRHostContext& context) : m_Context(context), m_pPrevious(&context.Prompts()) {
    context.SetPrompts(this);
  }
  ~CRegsPrompts() override { m_Context.SetPrompts(m_pPrevious); }
  void MessageBox(const std::string& text) override { m_Messages.push_back(text); }
  tvr::BOOL AskYesNo(const std::string&) override { return TRUE; }
  void MessageBeep(tvr::UINT) override {}
  tvr::BOOL AskSaveFileName(const std::string&, const std::string&, const std::string&, std::string&) override {
    return FALSE;
  }
  tvr::BOOL AskOpenFileName(const std::string&, const std::string&, const std::string&, std::string&) override {
    return FALSE;
  }
  std::vector<std::string> m_Messages;

 private:
  CTVRHostContext& m_Context;
  CTVRUserPrompts* m_pPrevious;
};

const char* AccessText(RegAccess access) {
  switch (access) {
    case RegAccess::ReadOnly:
      return "read-only";
    case RegAccess::WriteOnly:
      return "write-only";
    default:
      return "read-write";
  }
}

bool IsIndex(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  for (char& c : name) c = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return name == "list.par";
}

// The folder an index's relative paths start from: the one that holds its
// folder, as the program's folder holds RegPar/.
std::string IndexBase(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return "..";
  const std::string folder = path.substr(0, slash);
  const std::size_t up = folder.find_last_of('/');
  return up == std::string::npos ? "." : folder.substr(0, up);
}

// Only a regular file counts: a pipe named by the index must not block.
bool CanOpen(const std::string& path) {
  return CTVRFileReader::Check(path) == CTVRFileReader::READ_OK;
}

void PrintRegister(std::FILE* out, const CRegParamFile& file, const RegisterDef& reg) {
  std::fprintf(out, "\n%d %s: %s, initial %s\n", reg.number, reg.name.c_str(), AccessText(reg.access),
               reg.initialValue.c_str());
  std::fprintf(out, "  bits 7-0:");
  for (int bit = 7; bit >= 0; --bit) std::fprintf(out, " %s", reg.bitLabel[bit].c_str());
  std::fprintf(out, "\n  read:  %s, value at answer byte %d\n", reg.readCommand.c_str(), reg.answerIndex);
  std::fprintf(out, "  write: %s\n", reg.writeCommand.c_str());
  for (const RegisterDef& parent : file.GetRegisters())
    if (parent.number == reg.parentNumber) {
      std::fprintf(out, "  shown when bits %d-%d of register %d %s are %d\n", reg.subHighBit, reg.subLowBit,
                   parent.number, parent.name.c_str(), reg.subValue);
      break;
    }
  for (const BitFieldMapping& mapping : reg.mappings) {
    std::fprintf(out, "  field %s, bits %d-%d, value table %d:\n", mapping.name.c_str(), mapping.highBit,
                 mapping.lowBit, mapping.section);
    for (const std::string& value : mapping.values) std::fprintf(out, "    %s\n", value.c_str());
  }
}

}  // namespace

int CTVRRegsCommand::Run(CTVRHostContext& context, const std::string& path, std::FILE* out, std::FILE* err) {
  CRegsPrompts prompts(context);
  CRegParamFile file(context);
  const bool index = IsIndex(path);
  const int loaded = index ? file.LoadListFile(path, IndexBase(path)) : file.Load(path);
  if (loaded == 0) {
    std::fprintf(err, "tavric-run: %s: %s\n", path.c_str(),
                 prompts.m_Messages.empty() ? "cannot be read" : prompts.m_Messages.front().c_str());
    return EXIT_UNREADABLE;
  }
  for (const CRegParamIssue& issue : file.GetIssues())
    if (!issue.m_bIgnored) {
      std::fprintf(err, "%s:%d: %s\n", path.c_str(), issue.m_nLine, issue.m_strText.c_str());
      return EXIT_INVALID;
    }
  // What the files' own rules ignore: the model below is what the tool reads.
  for (const CRegParamIssue& issue : file.GetIssues())
    std::fprintf(err, "%s:%d: note: %s\n", path.c_str(), issue.m_nLine, issue.m_strText.c_str());

  if (index) {
    std::fprintf(out, "%s: %zu entries\n", path.c_str(), file.GetLabels().size());
    for (std::size_t i = 0; i < file.GetLabels().size(); ++i)
      std::fprintf(out, "  %s: %s%s\n", file.GetLabels()[i].c_str(), file.GetPaths()[i].c_str(),
                   CanOpen(file.GetPaths()[i]) ? "" : " (cannot be opened)");
    return EXIT_VALID;
  }
  std::fprintf(out, "%s: %d registers, %d value tables\n", path.c_str(), file.GetRegisterCount(),
               file.GetMappingSectionCount());
  for (const RegisterDef& reg : file.GetRegisters()) PrintRegister(out, file, reg);
  return EXIT_VALID;
}
