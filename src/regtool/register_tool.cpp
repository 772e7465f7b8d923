#include "regtool/register_tool.h"

#include <cstdio>

#include <tavric/hex_text.h>
#include <tavric/messages.h>

#include "contract/host_context.h"
#include "document/board_doc_private.h"
#include "platform/user_prompts.h"
#include "regtool/register_command.h"
#include "regtool/regtool_texts.h"

namespace {

// The bits low ... high of a register, high bounded to bit 7.
unsigned Field(tvr::BYTE value, tvr::BYTE low, tvr::BYTE high) {
  unsigned field = 0;
  for (unsigned bit = low; bit <= high && bit < 8; ++bit) field |= unsigned((value >> bit) & 1u) << (bit - low);
  return field;
}

}  // namespace

CRegisterTool::CRegisterTool(CTVRBoardDoc& doc)
    : m_Doc(doc),
      m_ParamFile(*CTVRBoardDocPrivate::Of(doc).GetHostContext()),
      m_strSequenceText(regtool_texts::READ_FIRST_REGISTER) {
  CTVRBoardDocPrivate::Of(m_Doc).SetRegisterDialog(this);
}

CRegisterTool::~CRegisterTool() {
  if (CTVRBoardDocPrivate::Of(m_Doc).GetRegisterDialog() == this)
    CTVRBoardDocPrivate::Of(m_Doc).SetRegisterDialog(nullptr);
}

int CRegisterTool::Open() {
  return Open(CTVRBoardDocPrivate::Of(m_Doc).GetHostContext()->Host().GetDataFolder());
}

int CRegisterTool::Open(const std::string& folder) {
  m_ParamFile.LoadList(folder);
  int selected = -1;
  const std::vector<std::string>& labels = m_ParamFile.GetLabels();
  for (std::size_t i = 0; i < labels.size(); ++i)
    if (labels[i] == CTVRBoardDocPrivate::Of(m_Doc).GetLastRegSetting()) selected = int(i);
  if (selected >= 0) SelectParamFile(selected);
  return selected;
}

tvr::BOOL CRegisterTool::SelectParamFile(int index) {
  if (index < 0 || std::size_t(index) >= m_ParamFile.GetPaths().size()) return FALSE;
  CTVRBoardDocPrivate::Of(m_Doc).SetLastRegSetting(m_ParamFile.GetLabels()[std::size_t(index)]);
  if (!m_ParamFile.Load(m_ParamFile.GetPaths()[std::size_t(index)])) return FALSE;
  m_Rows.assign(m_ParamFile.GetRegisters().size(), CRow{});
  // Another file's registers: the sequence starts again at the first.
  m_byNextToRead = 0;
  m_bWaitingAnswer = FALSE;
  m_strSequenceText = regtool_texts::READ_FIRST_REGISTER;
  for (int row = 0; row < GetRowCount(); ++row) {
    m_Rows[std::size_t(row)].m_strHexText = GetRegister(row).initialValue;
    ValidateHex(row);
  }
  if (m_OnRowsChanged) m_OnRowsChanged();
  return TRUE;
}

// ---- Value display ------------------------------------------------------------

// Runs as the edit control's change notification would: again after each
// correction it makes, until the text stands.
void CRegisterTool::ValidateHex(int row) {
  CRow& r = m_Rows[std::size_t(row)];
  if (r.m_bErrorShown) {
    // The error display stays until the next change.
    r.m_bErrorShown = FALSE;
    return;
  }
  for (;;) {
    std::string& text = r.m_strHexText;
    if (!text.empty() && !CTVRHexText::IsUpperDigit(text[0])) {
      text.clear();
    } else if (text.size() == 2 && !CTVRHexText::IsUpperDigit(text[1])) {
      text.erase(1);
    } else if (text.size() == 2) {
      r.m_byValue = tvr::BYTE(CTVRHexText::LeadingValue(text));
      for (int bit = 0; bit < 8; ++bit) r.m_BitState[bit] = tvr::BYTE((r.m_byValue >> bit) & 1);
      return;
    } else if (text.size() > 2) {
      text.erase(2);
    } else {
      return;
    }
  }
}

void CRegisterTool::SetValue(int row, tvr::BYTE value) {
  CRow& r = m_Rows[std::size_t(row)];
  r.m_byValue = value;
  r.m_strHexText = CTVRHexText::ByteText(value);
  ValidateHex(row);
}

void CRegisterTool::SetHexText(int row, const std::string& text) {
  m_Rows[std::size_t(row)].m_strHexText = text;
  ValidateHex(row);
}

void CRegisterTool::ToggleBit(int row, int bit) {
  if (!CanWrite(row) || bit < 0 || bit > 7) return;
  CRow& r = m_Rows[std::size_t(row)];
  r.m_BitState[bit] ^= 1;
  SetValue(row, tvr::BYTE(r.m_BitState[bit] ? r.m_byValue | (1 << bit) : r.m_byValue & ~(1 << bit)));
}

tvr::BOOL CRegisterTool::GetPopup(int row, int bit, CPopup& popup) const {
  if (!CanWrite(row)) return FALSE;
  popup = CPopup{};
  popup.m_Items.push_back(regtool_texts::NO_CHANGE);
  bool covered = false;
  for (const BitFieldMapping& mapping : GetRegister(row).mappings) {
    if (bit < mapping.lowBit || bit > mapping.highBit) continue;
    covered = true;
    popup.m_Items.insert(popup.m_Items.end(), mapping.values.begin(), mapping.values.end());
    popup.m_byLowBit = mapping.lowBit;
    popup.m_byHighBit = mapping.highBit;
  }
  return covered ? TRUE : FALSE;
}

tvr::BOOL CRegisterTool::ApplyValue(int row, const std::string& item, tvr::BYTE lowBit, tvr::BYTE highBit) {
  if (item == regtool_texts::NO_CHANGE) return TRUE;
  const std::size_t open = item.find('(');
  const std::size_t hex = item.find(")h");
  const std::size_t binary = item.find(")b");
  unsigned v = 0;
  if (open != std::string::npos && hex != std::string::npos && binary == std::string::npos && open < hex) {
    v = CTVRHexText::LeadingValue(std::string_view(item).substr(open + 1, hex - open - 1));
  } else if (open != std::string::npos && binary != std::string::npos && hex == std::string::npos && open < binary &&
             item.find_first_not_of("01", open + 1) == binary) {
    for (std::size_t i = open + 1; i < binary; ++i) v = v << 1 | unsigned(item[i] - '0');
  } else {
    CTVRBoardDocPrivate::Of(m_Doc).GetHostContext()->Prompts().MessageBox(regtool_texts::MAPPING_SYNTAX_ERROR);
    return FALSE;
  }
  tvr::BYTE value = m_Rows[std::size_t(row)].m_byValue;
  for (unsigned j = 0; lowBit + j <= highBit && lowBit + j < 8; ++j) {
    const tvr::BYTE mask = tvr::BYTE(1u << (lowBit + j));
    value = tvr::BYTE((v >> j) & 1u ? value | mask : value & ~mask);
  }
  SetValue(row, value);
  return TRUE;
}

// ---- Reading and writing --------------------------------------------------------

void CRegisterTool::UpdateSubRegisters(int row) {
  const RegisterDef& parent = GetRegister(row);
  const tvr::BYTE value = m_Rows[std::size_t(row)].m_byValue;
  for (int sub = 0; sub < GetRowCount(); ++sub) {
    const RegisterDef& reg = GetRegister(sub);
    if (reg.parentNumber != parent.number) continue;
    const bool visible = Field(value, reg.subLowBit, reg.subHighBit) == reg.subValue;
    if (visible == m_Rows[std::size_t(sub)].m_bVisible) continue;
    m_Rows[std::size_t(sub)].m_bVisible = visible;
    Changed(sub);
  }
}

void CRegisterTool::Execute(int row, const std::string& text, bool read) {
  CRegisterCommand command = CRegisterCommand::Parse(text);
  for (const std::string& message : command.m_Messages)
    CTVRBoardDocPrivate::Of(m_Doc).GetHostContext()->Prompts().MessageBox(message);
  const tvr::BYTE number = GetRegister(row).number;
  if (command.m_eKind == CRegisterCommand::KIND_RAW) {
    m_bWaitingAnswer = read ? TRUE : FALSE;
    m_byAwaitedNumber = number;
    SendMessage(GetActiveBoard(), WM_COMMAND_TYPE, 1, 0);
    CTVRBoardDocPrivate::Of(m_Doc).SendData(command.m_Bytes.data(), tvr::DWORD(command.m_Bytes.size()),
                                            CTVRBoardDocPrivate::Of(m_Doc).m_eScriptType);
  } else if (command.m_eKind == CRegisterCommand::KIND_CONFIG) {
    if (read) {
      m_bWaitingAnswer = TRUE;
      m_byAwaitedNumber = number;
    }
    m_Doc.Config(command.m_byCode, command.m_byCode1, command.m_Bytes.data(), tvr::DWORD(command.m_Bytes.size()));
  }
}

void CRegisterTool::OnReadRegister(int row) {
  if (row < 0 || row >= GetRowCount()) return;
  UpdateSubRegisters(row);
  Execute(row, CRegisterCommand::RemoveSpaces(GetRegister(row).readCommand), true);
}

void CRegisterTool::OnWriteRegister(int row) {
  if (row < 0 || row >= GetRowCount()) return;
  UpdateSubRegisters(row);
  std::string text = CRegisterCommand::RemoveSpaces(GetRegister(row).writeCommand);
  const std::size_t placeholder = text.find("XX");
  // A configuration call needs the placeholder as much as a frame does: the
  // value would go nowhere.
  if (placeholder == std::string::npos) {
    CTVRBoardDocPrivate::Of(m_Doc).GetHostContext()->Prompts().MessageBox(regtool_texts::PAR_SYNTAX_ERROR);
    return;
  }
  const std::string& hexText = m_Rows[std::size_t(row)].m_strHexText;
  if (hexText.size() != 2 || !CTVRHexText::IsUpperDigit(hexText[0]) || !CTVRHexText::IsUpperDigit(hexText[1])) {
    // No value to write (one digit, or the error display): refused with the
    // beep, as the field is plainly not a value.
    CTVRBoardDocPrivate::Of(m_Doc).GetHostContext()->Prompts().MessageBeep(0);
    return;
  }
  text.replace(placeholder, 2, hexText);
  Execute(row, text, false);
}

void CRegisterTool::OnReadNext() {
  const int count = GetRowCount();
  while (m_byNextToRead < count && !CanRead(m_byNextToRead)) ++m_byNextToRead;
  if (m_byNextToRead >= count) {
    m_byNextToRead = 0;
    return;
  }
  const int row = m_byNextToRead;
  OnReadRegister(row);
  int next = row + 1;
  while (next < count && !CanRead(next)) ++next;
  if (next >= count) {
    m_strSequenceText = regtool_texts::READ_FIRST_REGISTER;
    m_byNextToRead = 0;
  } else {
    char text[512];
    std::snprintf(text, sizeof text, regtool_texts::READ_NAMED_REGISTER, GetRegister(next).name.c_str());
    m_strSequenceText = text;
    m_byNextToRead = tvr::BYTE(next);
  }
}

// ---- Answers ----------------------------------------------------------------------

void CRegisterTool::OnAnswer(const tvr::BYTE* answer, tvr::DWORD length) {
  int row = 0;
  for (int i = 0; i < GetRowCount(); ++i)
    if (GetRegister(i).number == m_byAwaitedNumber) {
      row = i;
      break;
    }
  OnRegisterAnswer(row, answer, length);
  m_bWaitingAnswer = FALSE;
}

void CRegisterTool::OnRegisterAnswer(int row, const tvr::BYTE* answer, tvr::DWORD length) {
  if (!answer || length == 0) return;
  CRow& r = m_Rows[std::size_t(row)];
  if (answer[0] == 0xE0) {
    r.m_bErrorShown = TRUE;
    CTVRBoardDocPrivate::Of(m_Doc).GetHostContext()->Prompts().MessageBeep(0);
    for (tvr::BYTE& bit : r.m_BitState) bit = 0;
    r.m_strHexText = "XX";
    Changed(row);
    return;
  }
  // An answer too short for the register's answer index holds no value for it.
  const int index = GetRegister(row).answerIndex;
  if (index < 0 || tvr::DWORD(index) >= length) return;
  // A value read ends an error display at once: the bits must show it.
  r.m_bErrorShown = FALSE;
  SetValue(row, answer[index]);
  Changed(row);
}
