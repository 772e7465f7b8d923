// The register parameter files: the index "RegPar/List.par" beside the
// executable, which names the parameter files under display labels, and one
// loaded parameter file (".par"), which says what a reader's 8-bit registers
// are called, what their bits mean, how each one is read and written and which
// named values a group of bits can take. The register tool is built from this
// model; it has no widget of its own.
//
// Both files are 8-bit text with CR LF line ends, read whole. A line counts
// only when its CR LF is there. Every bound the files do not enforce (more
// lines than declared, bits beyond 7, value texts too long...) is kept here:
// the excess is ignored and noted in the issues, nothing is read past a line
// or a section. docs/register-files.md describes both formats.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <tavric/types.h>

enum class RegAccess : tvr::BYTE { ReadOnly = 0, WriteOnly = 1, ReadWrite = 2 };

// One bit field of a register with its table of named values.
struct BitFieldMapping {
  int section = 0;  // 1-based value-table section, compared as 8 bits
  std::string name;
  tvr::BYTE lowBit = 0;
  tvr::BYTE highBit = 0;
  tvr::BYTE valueCount = 0;
  std::vector<std::string> values;  // valueCount slots, each at most MAX_VALUE_TEXT characters
};

struct RegisterDef {
  std::string name;
  std::array<std::string, 8> bitLabel;  // bit 0 ... bit 7
  tvr::BYTE number = 0;
  RegAccess access = RegAccess::ReadOnly;
  std::string initialValue;  // two characters of hexadecimal text
  std::string readCommand;
  int answerIndex = 0;
  std::string writeCommand;  // "XX" stands for the value
  // -1 until a line sets it, so that a register of a short line is nobody's
  // sub-register (0 is a register number).
  int parentNumber = -1;
  tvr::BYTE subHighBit = 0;
  tvr::BYTE subLowBit = 0;
  tvr::BYTE subValue = 0;
  tvr::BYTE mappingCount = 0;
  std::vector<BitFieldMapping> mappings;  // mappingCount entries
};

// Something of a file the model could not take as written: where, and what it
// did instead. The register tool keeps quiet about them (the files' own rule);
// `tavric-run regs` reports the first. Some are the files' own rules (extra
// register lines ignored, the count held in 8 bits, a sub-register's parent
// that does not match, kept all the same): the model is what the tool reads,
// and these are only noted.
struct CRegParamIssue {
  int m_nLine = 0;  // 1-based line of the file
  std::string m_strText;
  bool m_bIgnored = false;  // the files' own rule: a note, not an error
};

class CTVRHostContext;

class CRegParamFile {
 public:
  // The context gives the program folder and the prompts its message boxes go to.
  explicit CRegParamFile(CTVRHostContext& context) : m_pContext(&context) {}
  // A value slot holds 199 characters and a terminating zero.
  static constexpr std::size_t MAX_VALUE_TEXT = 199;
  static constexpr std::size_t MAX_ISSUES = 64;
  static constexpr const char* INDEX_PATH = "RegPar/List.par";

  struct Bounds {
    bool m_bFound = false;
    std::size_t m_nStart = 0;  // just after the start marker
    std::size_t m_nEnd = 0;    // just before the line feed that precedes the end marker
  };

  // The index beside the executable (the context's program folder): 1, or 0
  // when it cannot be opened (a message box with the system's text; the lists
  // are kept).
  int LoadList();
  // The index at folder + "/RegPar/List.par"; entries get that folder too.
  int LoadList(const std::string& folder);
  // The index at `path`; relative paths are put after folder.
  int LoadListFile(const std::string& path, const std::string& folder);
  // The index from text already read; relative paths are put after folder.
  void LoadListText(std::string_view text, const std::string& folder);

  // A parameter file: 1, or 0 when it cannot be opened (a message box with the
  // system's text; the model keeps what it held).
  int Load(const std::string& path);
  // A parameter file from text already read.
  void LoadText(std::string_view text);

  // Finds the start and end of every section of the loaded text.
  void LocateSections();

  // ---- Read access ----------------------------------------------------------
  const std::vector<std::string>& GetLabels() const { return m_Labels; }
  const std::vector<std::string>& GetPaths() const { return m_Paths; }
  tvr::BYTE GetRegisterCount() const { return m_byRegisterCount; }
  const std::vector<RegisterDef>& GetRegisters() const { return m_Registers; }
  int GetMappingSectionCount() const { return int(m_MappingSections.size()); }
  const Bounds& GetMappingSection(int index) const { return m_MappingSections[std::size_t(index)]; }
  const Bounds& GetGeneralBounds() const { return m_General; }
  const Bounds& GetRegistersBounds() const { return m_RegistersSection; }
  const Bounds& GetRegisterMappingBounds() const { return m_RegisterMapping; }
  const Bounds& GetSubRegistersBounds() const { return m_SubRegisters; }

  // What the last LoadList or Load could not take as written, in the order
  // found (at most MAX_ISSUES errors and MAX_ISSUES notes).
  const std::vector<CRegParamIssue>& GetIssues() const { return m_Issues; }

 private:
  // Keeps an issue at the line of this offset of the text being read: an
  // error, or what the files' own rules ignore.
  void Note(std::size_t offset, std::string issue, bool ignored = false);
  void NoteIgnored(std::size_t offset, std::string issue) { Note(offset, std::move(issue), true); }
  // Calls read(line, offset) for each line of the section that is neither
  // empty nor a comment, from its start while the position is before its end;
  // read returns false to stop. A section that ends before the last line end
  // reached in the section read before it is skipped.
  template <class Fn>
  void ReadSection(const Bounds& bounds, const char* marker, Fn read);
  bool ReadGeneral(std::string_view line, std::size_t offset);
  void ReadRegister(std::string_view line, std::size_t offset, RegisterDef& reg);
  bool ReadMapping(std::string_view line, std::size_t offset);
  void ReadValue(int section, int index, std::string_view line, std::size_t offset);
  void ReadSubRegister(std::string_view line, std::size_t offset);
  void CheckCounts();
  Bounds Locate(const char* start, const char* end, bool atFileStart);

  std::vector<std::string> m_Paths;
  std::vector<std::string> m_Labels;

  std::string m_strText;       // the loaded file, whole
  std::string_view m_Reading;  // the text being read, for the issues' line numbers
  Bounds m_General;
  Bounds m_RegistersSection;
  Bounds m_RegisterMapping;
  Bounds m_SubRegisters;
  std::vector<Bounds> m_MappingSections;
  std::size_t m_nLastLineEnd = 0;
  tvr::BYTE m_byRegisterCount = 0;
  std::vector<RegisterDef> m_Registers;
  std::vector<std::size_t> m_RegisterLines;  // offset of the line that filled each register
  std::vector<std::size_t> m_MappedCounts;   // bit fields that mapping lines filled, per register
  std::size_t m_nGeneralLine = 0;
  // REGISTER_MAPPING: the number of the previous line's register and the next entry.
  long long m_nMappingRegister = -1;
  std::size_t m_nMappingEntry = 0;

  std::vector<CRegParamIssue> m_Issues;
  CTVRHostContext* m_pContext;  // not owned
};
