#include "trace/trace_formatter.h"

#include <cstring>

namespace {

constexpr char INDENT[] = "            ";  // under the 11-character prefix and its text's leading space
constexpr std::size_t INDENT_LENGTH = sizeof INDENT - 1;
constexpr std::size_t ROW = 16;
constexpr char HEX_DIGITS[] = "0123456789ABCDEF";

void AppendChars(const CTVRTraceRecord& record, std::string& text) {
  if (record.m_pData && record.m_dwCount) text.append(reinterpret_cast<const char*>(record.m_pData), record.m_dwCount);
}

void AppendLine(const char* prefix, const CTVRTraceRecord& record, std::string& text) {
  if (prefix) text.append(prefix);
  AppendChars(record, text);
  text.append("\r\n", 2);
}

}  // namespace

void CTVRTraceFormatter::AppendDump(const tvr::BYTE* data, tvr::DWORD count, bool hexDisplay, std::string& text) {
  if (!data) count = 0;
  if (!hexDisplay) {
    text.append(INDENT, INDENT_LENGTH);
    if (count) text.append(reinterpret_cast<const char*>(data), count);
    text.append("\r\n", 2);
    return;
  }
  // Written in place: this runs for every frame of a loop test.
  std::size_t rows = (count + ROW - 1) / ROW;
  std::size_t start = text.size();
  text.resize(start + rows * (INDENT_LENGTH + 2) + std::size_t(count) * 3);
  char* p = text.data() + start;
  for (tvr::DWORD i = 0; i < count; i += ROW) {
    std::memcpy(p, INDENT, INDENT_LENGTH);
    p += INDENT_LENGTH;
    tvr::DWORD end = count - i < ROW ? count : i + tvr::DWORD(ROW);
    for (tvr::DWORD j = i; j < end; ++j) {
      *p++ = HEX_DIGITS[data[j] >> 4];
      *p++ = HEX_DIGITS[data[j] & 0x0F];
      *p++ = ' ';
    }
    *p++ = '\r';
    *p++ = '\n';
  }
}

CTVRTraceFormatter::EAction CTVRTraceFormatter::Format(const CTVRTraceRecord& record, bool hexDisplay,
                                                       std::string& text, tvr::COLORREF& colour) {
  switch (record.m_nKind) {
    case TRACE_SENT:
      colour = COLOUR_SENT;
      AppendDump(record.m_pData, record.m_dwCount, hexDisplay, text);
      return ACTION_APPEND;
    case TRACE_RECEIVED:
      colour = COLOUR_RECEIVED;
      AppendDump(record.m_pData, record.m_dwCount, hexDisplay, text);
      text.append("\r\n", 2);  // an empty line closes every exchange
      return ACTION_APPEND;
    case TRACE_COMMENT:
      colour = COLOUR_COMMENT;
      AppendChars(record, text);
      return ACTION_APPEND;
    case TRACE_ANSWER_TEXT:
      colour = COLOUR_TEXT;
      AppendLine(PREFIX_ANSWER, record, text);
      return ACTION_APPEND;
    case TRACE_COMMAND_NAME:
      colour = COLOUR_TEXT;
      AppendLine(PREFIX_COMMAND, record, text);
      return ACTION_APPEND;
    case TRACE_RELOAD_SENT:
      colour = COLOUR_SENT;
      AppendLine(nullptr, record, text);
      return ACTION_APPEND;
    case TRACE_RELOAD_RECEIVED:
      colour = COLOUR_RECEIVED;
      AppendLine(nullptr, record, text);
      return ACTION_APPEND;
    case TRACE_RELOAD_COMMENT:
      colour = COLOUR_COMMENT;
      AppendLine(nullptr, record, text);
      return ACTION_APPEND;
    case TRACE_INFO:
      colour = COLOUR_INFO;
      AppendLine(nullptr, record, text);
      return ACTION_APPEND;
    case TRACE_CLEAR:
      return ACTION_CLEAR;
    case TRACE_KEEP:
      return ACTION_KEEP;
    case TRACE_SAVE_LOG:
      return ACTION_SAVE;
    case TRACE_SAVE_LOG_AS:
      return ACTION_SAVE_AS;
    default:
      return ACTION_NONE;
  }
}
