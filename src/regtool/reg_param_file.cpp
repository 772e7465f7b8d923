#include "regtool/reg_param_file.h"

#include <cerrno>
#include <cstring>

#include "contract/host_context.h"
#include "platform/file_reader.h"
#include "platform/user_prompts.h"
#include "regtool/regtool_texts.h"

namespace {

constexpr std::size_t npos = std::string_view::npos;

// The whole file, or false with the system's text for the failure in `error`.
bool ReadWholeFile(const std::string& path, std::string& out, std::string& error) {
  errno = 0;
  const CTVRFileReader::EResult result = CTVRFileReader::ReadAll(path, out);
  if (result == CTVRFileReader::READ_OK) return true;
  const int code = errno;
  if (result == CTVRFileReader::READ_NOT_A_FILE)
    error = "Not a regular file";
  else if (result == CTVRFileReader::READ_TOO_LARGE)
    error = std::strerror(EFBIG);
  else
    error = std::strerror(code != 0 ? code : EIO);
  return false;
}

std::string RemoveSpaces(std::string_view line) {
  std::string out;
  out.reserve(line.size());
  for (char c : line)
    if (c != ' ') out += c;
  return out;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A decimal number, optionally signed, and nothing else. Kept modulo 2^32 as
// the 32-bit fields of the model take it, so its low 8 bits are always those
// of the number written.
bool ParseDecimal(std::string_view text, long long& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  std::uint32_t n = 0;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) return false;
    n = n * 10u + std::uint32_t(text[i] - '0');
  }
  if (negative) n = 0u - n;
  value = std::int32_t(n);
  return true;
}

std::string Quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

}  // namespace

// ---- Issues ---------------------------------------------------------------------

void CRegParamFile::Note(std::size_t offset, std::string issue, bool ignored) {
  // Notes never crowd out an error.
  std::size_t same = 0;
  for (const CRegParamIssue& kept : m_Issues) same += kept.m_bIgnored == ignored ? 1 : 0;
  if (same >= MAX_ISSUES) return;
  if (offset > m_Reading.size()) offset = m_Reading.size();
  int line = 1;
  for (std::size_t i = 0; i < offset; ++i)
    if (m_Reading[i] == '\n') ++line;
  m_Issues.push_back({line, std::move(issue), ignored});
}

// ---- The index ------------------------------------------------------------------

int CRegParamFile::LoadList() {
  return LoadList(m_pContext->Host().GetDataFolder());
}

int CRegParamFile::LoadList(const std::string& folder) {
  return LoadListFile(folder + "/" + INDEX_PATH, folder);
}

int CRegParamFile::LoadListFile(const std::string& path, const std::string& folder) {
  std::string text;
  std::string error;
  if (!ReadWholeFile(path, text, error)) {
    m_pContext->Prompts().MessageBox(error);
    return 0;
  }
  LoadListText(text, folder);
  return 1;
}

void CRegParamFile::LoadListText(std::string_view text, const std::string& folder) {
  m_Paths.clear();
  m_Labels.clear();
  m_Issues.clear();
  // Spaces go before anything is read: neither labels nor paths keep one.
  const std::string list = RemoveSpaces(text);
  m_Reading = list;
  std::size_t pos = list.find("[GENERAL]");
  if (pos == npos) {
    Note(0, "no [GENERAL] line: the index has no entries");
    m_Reading = {};
    return;
  }
  pos += std::strlen("[GENERAL]");
  for (;;) {
    const std::size_t crlf = list.find("\r\n", pos);
    if (crlf == npos) {
      if (pos < list.size()) NoteIgnored(pos, "the last line has no CR LF and is not read");
      break;
    }
    const std::string_view line(list.data() + pos, crlf - pos);
    const std::size_t offset = pos;
    pos = crlf + 2;
    if (line.empty() || line[0] == '*') continue;
    const std::size_t colon = line.find(':');
    const std::size_t semicolon = colon == npos ? npos : line.find(';', colon + 1);
    if (semicolon == npos) {
      Note(offset, "an entry is written Label:Path; and this line is not: it is ignored");
      continue;
    }
    // Index files written for the original program name their files with
    // backslashes; both separators are taken.
    std::string relative(line.substr(colon + 1, semicolon - colon - 1));
    for (char& c : relative)
      if (c == '\\') c = '/';
    m_Labels.emplace_back(line.substr(0, colon));
    m_Paths.push_back(folder + "/" + relative);
  }
  m_Reading = {};
}

// ---- The parameter file ---------------------------------------------------------

int CRegParamFile::Load(const std::string& path) {
  std::string text;
  std::string error;
  if (!ReadWholeFile(path, text, error)) {
    m_pContext->Prompts().MessageBox(error);
    return 0;
  }
  LoadText(text);
  return 1;
}

CRegParamFile::Bounds CRegParamFile::Locate(const char* start, const char* end, bool atFileStart) {
  Bounds bounds;
  const std::string_view text(m_strText);
  const std::size_t startLength = std::strlen(start);
  std::size_t after;
  if (atFileStart && text.substr(0, startLength) == start) {
    after = startLength;
  } else {
    const std::size_t lf = text.find("\n" + std::string(start));
    if (lf == npos) return bounds;
    after = lf + 1 + startLength;
  }
  const std::size_t endLf = text.find("\n" + std::string(end), after);
  if (endLf == npos) {
    Note(after, std::string("no ") + end + " line after " + start + ": the section is not read");
    return bounds;
  }
  bounds.m_bFound = true;
  bounds.m_nStart = after;
  // The LF that precedes the end marker is at least at `after`, past the
  // start marker, so this never goes below zero.
  bounds.m_nEnd = endLf - 1;
  return bounds;
}

void CRegParamFile::LocateSections() {
  m_General = Locate("[GENERAL]", "[END_GENERAL]", true);
  m_RegistersSection = Locate("[REGISTERS]", "[END_REGISTERS]", false);
  m_RegisterMapping = Locate("[REGISTER_MAPPING]", "[END_REGISTER_MAPPING]", false);
  m_SubRegisters = Locate("[SUB_REGISTERS]", "[END_SUB_REGISTERS]", false);

  // Value tables are numbered in the order of their markers; the character
  // inside a marker plays no part.
  m_MappingSections.clear();
  const std::string_view text(m_strText);
  const std::string_view marker = "\n[MAPPING";
  std::size_t from = 0;
  for (;;) {
    const std::size_t lf = text.find(marker, from);
    if (lf == npos) break;
    const std::size_t close = lf + marker.size() + 1;  // the ']' after the one character
    std::size_t start;
    if (close < text.size() && text[close] == ']') {
      start = close + 1;
    } else {
      // Not the one-character form: the table starts on the next line, so
      // the rest of the marker line is not taken for a value.
      Note(lf + 1, "a value-table marker is [MAPPING, one character and ]");
      start = text.find("\r\n", lf + 1);
      if (start == npos) start = text.size();
    }
    const std::size_t endLf = text.find("\n[END_MAPPING", start);
    if (endLf == npos) {
      Note(lf + 1, "no [END_MAPPING line after value table " + std::to_string(m_MappingSections.size() + 1) +
                       ": it is not read");
      break;
    }
    m_MappingSections.push_back({true, start, endLf - 1});
    from = endLf + 1;
  }
}

template <class Fn>
void CRegParamFile::ReadSection(const Bounds& bounds, const char* marker, Fn read) {
  if (!bounds.m_bFound) return;
  if (m_nLastLineEnd >= bounds.m_nEnd) {
    NoteIgnored(bounds.m_nStart, std::string(marker) + " stands before the section read before it and is skipped");
    return;
  }
  const std::string_view text(m_strText);
  // A line is read only up to a CR LF inside the section: the CR at most at
  // the section's end, the LF just after it.
  const std::string_view section = text.substr(0, bounds.m_nEnd + 2);
  std::size_t pos = bounds.m_nStart;
  while (pos < bounds.m_nEnd) {
    const std::size_t crlf = section.find("\r\n", pos);
    if (crlf == npos) {
      NoteIgnored(pos, "a line without CR LF is not read");
      return;
    }
    m_nLastLineEnd = crlf + 2;
    const std::string_view line = text.substr(pos, crlf - pos);
    const std::size_t offset = pos;
    pos = crlf + 2;
    const std::size_t first = line.find_first_not_of(' ');
    if (first == npos || line[first] == '*') continue;
    if (!read(line, offset)) return;
  }
}

void CRegParamFile::LoadText(std::string_view text) {
  m_strText.assign(text.data(), text.size());
  m_Reading = m_strText;
  m_Issues.clear();
  m_byRegisterCount = 0;
  m_Registers.clear();
  m_RegisterLines.clear();
  m_MappedCounts.clear();
  m_nLastLineEnd = 0;
  m_nGeneralLine = 0;
  m_nMappingRegister = -1;
  m_nMappingEntry = 0;

  LocateSections();
  if (!m_General.m_bFound) Note(0, "no [GENERAL] section: the file has no registers");

  ReadSection(m_General, "[GENERAL]", [this](std::string_view line, std::size_t offset) {
    m_nGeneralLine = offset;
    return ReadGeneral(RemoveSpaces(line), offset);
  });

  std::size_t filled = 0;
  ReadSection(m_RegistersSection, "[REGISTERS]", [&](std::string_view line, std::size_t offset) {
    if (filled == m_Registers.size()) {
      NoteIgnored(offset, "more register lines than NBROFREGISTERS=" + std::to_string(m_Registers.size()) +
                              ": the line is ignored");
      return true;
    }
    m_RegisterLines[filled] = offset;
    ReadRegister(RemoveSpaces(line), offset, m_Registers[filled++]);
    return true;
  });

  ReadSection(m_RegisterMapping, "[REGISTER_MAPPING]",
              [this](std::string_view line, std::size_t offset) { return ReadMapping(RemoveSpaces(line), offset); });

  for (int k = 0; k < GetMappingSectionCount(); ++k) {
    int index = 0;
    const std::string marker = "value table " + std::to_string(k + 1);
    ReadSection(m_MappingSections[std::size_t(k)], marker.c_str(), [&](std::string_view line, std::size_t offset) {
      ReadValue(k + 1, index++, line, offset);
      return true;
    });
  }

  ReadSection(m_SubRegisters, "[SUB_REGISTERS]", [this](std::string_view line, std::size_t offset) {
    ReadSubRegister(RemoveSpaces(line), offset);
    return true;
  });

  if (filled < m_Registers.size())
    Note(m_nGeneralLine, "NBROFREGISTERS=" + std::to_string(m_Registers.size()) + " but " + std::to_string(filled) +
                             " register lines: the other registers stay empty");
  CheckCounts();
  m_Reading = {};
}

bool CRegParamFile::ReadGeneral(std::string_view line, std::size_t offset) {
  const std::string_view key = "NBROFREGISTERS=";
  const std::size_t at = line.find(key);
  const std::size_t semicolon = at == npos ? npos : line.find(';', at + key.size());
  long long count = 0;
  if (semicolon == npos || !ParseDecimal(line.substr(at + key.size(), semicolon - at - key.size()), count)) {
    Note(offset, "the first line of [GENERAL] is not NBROFREGISTERS=<decimal number>;");
    return false;
  }
  m_byRegisterCount = tvr::BYTE(count);
  if (count != m_byRegisterCount)
    NoteIgnored(offset, "NBROFREGISTERS=" + std::to_string(count) +
                            " is kept in 8 bits: " + std::to_string(m_byRegisterCount) + " registers");
  m_Registers.assign(m_byRegisterCount, RegisterDef{});
  m_RegisterLines.assign(m_byRegisterCount, offset);
  m_MappedCounts.assign(m_byRegisterCount, 0);
  return false;  // the rest of the section is not read
}

// Name,Label0,...,Label7:Number,Access,HH,Parent,M,ReadCommand,AnswerIndex,WriteCommand;
// Each field is stored as soon as it is read; the first one that is not as
// the format says stops the line, and the fields after it keep what they held.
void CRegParamFile::ReadRegister(std::string_view line, std::size_t offset, RegisterDef& reg) {
  auto fail = [&](const std::string& what) { Note(offset, "register line: " + what + "; the rest is not read"); };
  std::size_t end = line.find(',');
  if (end == npos) return fail("no ',' after the name");
  reg.name = line.substr(0, end);
  std::size_t pos = end + 1;
  // The search for the end of a label or of the number starts one character
  // in: none of them is empty, and an empty one takes the next along.
  for (int bit = 0; bit < 8; ++bit) {
    end = pos + 1 <= line.size() ? line.find(bit < 7 ? ',' : ':', pos + 1) : npos;
    if (end == npos) return fail("the label of bit " + std::to_string(bit) + " has no " + (bit < 7 ? "','" : "':'"));
    reg.bitLabel[bit] = line.substr(pos, end - pos);
    pos = end + 1;
  }
  long long number = 0;
  end = pos + 1 <= line.size() ? line.find(',', pos + 1) : npos;
  if (end == npos || !ParseDecimal(line.substr(pos, end - pos), number))
    return fail("the register number is not a decimal number followed by ','");
  reg.number = tvr::BYTE(number);
  pos = end + 1;

  end = line.find(',', pos);
  const std::string_view access = line.substr(pos, end == npos ? npos : end - pos);
  if (end == npos || (access != "r" && access != "w" && access != "rw" && access != "wr"))
    return fail("the access " + Quoted(access) + " is not r, w, rw or wr followed by ','");
  reg.access = access == "r" ? RegAccess::ReadOnly : access == "w" ? RegAccess::WriteOnly : RegAccess::ReadWrite;
  pos = end + 1;

  end = line.find(',', pos);
  if (end == npos || end - pos != 2) return fail("the initial value is not two characters followed by ','");
  reg.initialValue = line.substr(pos, 2);
  pos = end + 1;

  long long parent = 0;
  end = line.find(',', pos);
  if (end == npos || !ParseDecimal(line.substr(pos, end - pos), parent))
    return fail("the parent number is not a decimal number followed by ','");
  reg.parentNumber = int(parent);
  pos = end + 1;

  end = line.find(',', pos);
  if (end == npos || end - pos != 1 || !IsDigit(line[pos]))
    return fail("the number of bit fields is not one digit followed by ','");
  reg.mappingCount = tvr::BYTE(line[pos] - '0');
  reg.mappings.assign(reg.mappingCount, BitFieldMapping{});
  pos = end + 1;

  // A configuration call keeps the commas inside its parentheses.
  end = line.find(',', pos);
  const std::size_t config = line.find(".config(", pos);
  if (config != npos && (end == npos || config < end)) {
    const std::size_t close = line.find(')', config);
    if (close == npos || close + 1 >= line.size() || line[close + 1] != ',')
      return fail("the read command's .config( has no ')' followed by ','");
    end = close + 1;
  } else if (end == npos) {
    return fail("the read command has no ',' after it");
  }
  reg.readCommand = line.substr(pos, end - pos);
  pos = end + 1;

  long long answerIndex = 0;
  end = line.find(',', pos);
  if (end == npos || !ParseDecimal(line.substr(pos, end - pos), answerIndex))
    return fail("the answer index is not a decimal number followed by ','");
  reg.answerIndex = int(answerIndex);
  pos = end + 1;

  end = line.find(';', pos);
  if (end == npos) return fail("the write command has no ';' after it");
  reg.writeCommand = line.substr(pos, end - pos);
}

// Name:RegisterNumber,Section,LowBit,HighBit,ValueCount;
bool CRegParamFile::ReadMapping(std::string_view line, std::size_t offset) {
  auto fail = [&](const std::string& what) {
    Note(offset, "mapping line: " + what + "; the line is ignored");
    return true;
  };
  const std::size_t colon = line.find(':');
  if (colon == npos) return fail("no ':' after the name");
  long long values[5] = {};
  std::size_t pos = colon + 1;
  for (int i = 0; i < 5; ++i) {
    const std::size_t end = line.find(i < 4 ? ',' : ';', pos);
    if (end == npos || !ParseDecimal(line.substr(pos, end - pos), values[i]))
      return fail("item " + std::to_string(i + 1) + " of 5 is not a decimal number followed by " +
                  (i < 4 ? "','" : "';'"));
    pos = end + 1;
  }
  const long long number = values[0];
  if (number != m_nMappingRegister) m_nMappingEntry = 0;
  m_nMappingRegister = number;
  RegisterDef* reg = nullptr;
  for (RegisterDef& r : m_Registers)
    if (r.number == number) {
      reg = &r;
      break;
    }
  if (!reg) return fail("no register has the number " + std::to_string(number));
  if (reg->mappingCount == 0) {
    NoteIgnored(offset, "register " + std::to_string(number) +
                            " declares no bit field: the rest of [REGISTER_MAPPING] is not read");
    return false;
  }
  if (m_nMappingEntry >= reg->mappingCount)
    return fail("register " + std::to_string(number) + " declares " + std::to_string(reg->mappingCount) +
                " bit fields and this is one more");
  std::size_t& mapped = m_MappedCounts[std::size_t(reg - m_Registers.data())];
  if (m_nMappingEntry + 1 > mapped) mapped = m_nMappingEntry + 1;
  BitFieldMapping& mapping = reg->mappings[m_nMappingEntry++];
  mapping.name = line.substr(0, colon);
  mapping.section = int(values[1]);
  mapping.lowBit = tvr::BYTE(values[2]);
  mapping.highBit = tvr::BYTE(values[3]);
  mapping.valueCount = tvr::BYTE(values[4]);
  mapping.values.assign(mapping.valueCount, std::string());
  if (mapping.lowBit > 7 || mapping.highBit > 7 || mapping.lowBit > mapping.highBit)
    Note(offset, "mapping line: bits " + std::to_string(mapping.lowBit) + " to " + std::to_string(mapping.highBit) +
                     " are not a field of an 8-bit register; only bits up to 7 are changed");
  const int section = tvr::BYTE(mapping.section);
  if (mapping.valueCount > 0 && (section < 1 || section > GetMappingSectionCount()))
    Note(offset,
         "mapping line: value table " + std::to_string(mapping.section) + " is not in the file; the values stay empty");
  return true;
}

void CRegParamFile::ReadValue(int section, int index, std::string_view line, std::size_t offset) {
  line.remove_prefix(line.find_first_not_of(' '));
  const std::size_t semicolon = line.find(';');
  if (semicolon == npos) Note(offset, "value line without ';': the whole line is the value text");
  std::string_view value = line.substr(0, semicolon);
  if (value.size() > MAX_VALUE_TEXT) {
    Note(offset, "value text longer than " + std::to_string(MAX_VALUE_TEXT) + " characters: the rest is cut");
    value = value.substr(0, MAX_VALUE_TEXT);
  }
  bool beyond = false;
  for (RegisterDef& reg : m_Registers)
    for (BitFieldMapping& mapping : reg.mappings) {
      if (tvr::BYTE(mapping.section) != tvr::BYTE(section)) continue;
      if (std::size_t(index) < mapping.values.size())
        mapping.values[std::size_t(index)] = value;
      else
        beyond = true;
    }
  if (beyond)
    Note(offset, "value " + std::to_string(index + 1) + " of table " + std::to_string(section) +
                     " is beyond the value count of a bit field that uses it: it is not given to that field");
}

// Name:Position,Parent,HighBit,LowBit,Value; with one-digit items and a
// two-digit value.
void CRegParamFile::ReadSubRegister(std::string_view line, std::size_t offset) {
  auto fail = [&](const std::string& what) { Note(offset, "sub-register line: " + what + "; the rest is not read"); };
  const std::size_t colon = line.find(':');
  if (colon == npos) return fail("no ':' after the name");
  std::string_view items[5];
  std::size_t pos = colon + 1;
  for (int i = 0; i < 5; ++i) {
    const std::size_t end = line.find(i < 4 ? ',' : ';', pos);
    if (end == npos)
      return fail(std::string("item ") + std::to_string(i + 1) + " of 5 has no " + (i < 4 ? "','" : "';'"));
    items[i] = line.substr(pos, end - pos);
    const std::size_t digits = i < 4 ? 1 : 2;
    if (items[i].size() != digits || !IsDigit(items[i][0]) || (digits == 2 && !IsDigit(items[i][1])))
      return fail("item " + std::to_string(i + 1) + " is not " + (digits == 1 ? "one digit" : "two digits"));
    pos = end + 1;
  }
  const int position = items[0][0] - '0';
  if (position < 1 || position > int(m_Registers.size()))
    return fail("there is no register at position " + std::to_string(position));
  RegisterDef& reg = m_Registers[std::size_t(position - 1)];
  if (items[1][0] - '0' != reg.parentNumber) {
    // The line is kept all the same, as the register tool keeps it.
    NoteIgnored(offset, regtool_texts::PARENT_MISMATCH);
    m_pContext->Prompts().MessageBox(regtool_texts::PARENT_MISMATCH);
  }
  reg.subHighBit = tvr::BYTE(items[2][0] - '0');
  reg.subLowBit = tvr::BYTE(items[3][0] - '0');
  reg.subValue = tvr::BYTE((items[4][0] - '0') * 10 + (items[4][1] - '0'));
  if (reg.subHighBit > 7 || reg.subLowBit > reg.subHighBit)
    Note(offset, "sub-register line: bits " + std::to_string(reg.subLowBit) + " to " + std::to_string(reg.subHighBit) +
                     " are not a field of an 8-bit register");
}

// Bit fields a register declares but no mapping line fills.
void CRegParamFile::CheckCounts() {
  for (std::size_t i = 0; i < m_Registers.size(); ++i)
    if (m_MappedCounts[i] < m_Registers[i].mappingCount)
      Note(m_RegisterLines[i], "register " + Quoted(m_Registers[i].name) + " declares " +
                                   std::to_string(m_Registers[i].mappingCount) + " bit fields and " +
                                   std::to_string(m_MappedCounts[i]) + " are mapped");
}
