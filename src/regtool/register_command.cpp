#include "regtool/register_command.h"

#include <tavric/hex_text.h>

#include "regtool/regtool_texts.h"

std::string CRegisterCommand::RemoveSpaces(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != ' ') out += c;
  return out;
}

CRegisterCommand CRegisterCommand::Parse(std::string_view text) {
  CRegisterCommand command;
  const std::string compact = RemoveSpaces(text);
  const std::string_view cmd(compact);
  if (cmd.find(".config(") == std::string_view::npos) {
    if (cmd.size() / 2 == 0 || cmd.size() / 2 > MAX_FRAME) {
      command.m_Messages.push_back(regtool_texts::PAR_SYNTAX_ERROR);
      return command;
    }
    command.m_eKind = KIND_RAW;
    command.m_Bytes = CTVRHexText::LeadingPairs(cmd);
    return command;
  }

  // Commas count only inside the parentheses, so a text with a stray comma
  // before them still reads its own items.
  const std::size_t open = cmd.find('(');
  const std::size_t close = cmd.find(')', open);
  if (open == std::string_view::npos || close == std::string_view::npos) {
    command.m_Messages.push_back(regtool_texts::CONFIG_SYNTAX_ERROR);
    return command;
  }
  const std::string_view inside = cmd.substr(open + 1, close - open - 1);
  const std::size_t comma = inside.find(',');
  const std::size_t comma2 = comma == std::string_view::npos ? comma : inside.find(',', comma + 1);

  const std::string_view code = inside.substr(0, comma);
  if (code.size() > 2) command.m_Messages.push_back(regtool_texts::CODE_TOO_LONG);
  command.m_byCode = tvr::BYTE(CTVRHexText::LeadingValue(code));
  std::size_t bufferStart = comma;
  if (comma2 != std::string_view::npos) {
    const std::string_view code1 = inside.substr(comma + 1, comma2 - comma - 1);
    if (code1.size() > 2) command.m_Messages.push_back(regtool_texts::CODE1_TOO_LONG);
    command.m_byCode1 = tvr::BYTE(CTVRHexText::LeadingValue(code1));
    bufferStart = comma2;
  }
  if (bufferStart != std::string_view::npos)
    command.m_Bytes = CTVRHexText::LeadingPairs(inside.substr(bufferStart + 1));
  command.m_eKind = KIND_CONFIG;
  return command;
}
