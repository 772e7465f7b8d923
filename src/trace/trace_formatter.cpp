#include "trace/trace_formatter.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include <tavric/hex_text.h>

namespace {

constexpr char INDENT[] = "            ";  // under the 11-character prefix and its text's leading space
constexpr std::size_t INDENT_LENGTH = sizeof INDENT - 1;
constexpr std::size_t ROW = 16;

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
      *p++ = CTVRHexText::DIGITS[data[j] >> 4];
      *p++ = CTVRHexText::DIGITS[data[j] & 0x0F];
      *p++ = ' ';
    }
    *p++ = '\r';
    *p++ = '\n';
  }
}

namespace {

// How each record kind shows: one row per kind, in kind order.
enum EForm { FORM_NONE, FORM_DUMP, FORM_DUMP_AND_EMPTY_LINE, FORM_CHARS, FORM_LINE };

struct CKindLayout {
  CTVRTraceFormatter::EAction m_eAction;
  EForm m_eForm;
  tvr::COLORREF m_colour;
  const char* m_pszPrefix;
};

using F = CTVRTraceFormatter;
constexpr CKindLayout KIND_LAYOUT[] = {
    {F::ACTION_APPEND, FORM_DUMP, F::COLOUR_SENT, nullptr},                     // 0 bytes sent
    {F::ACTION_APPEND, FORM_DUMP_AND_EMPTY_LINE, F::COLOUR_RECEIVED, nullptr},  // 1 bytes received
    {F::ACTION_APPEND, FORM_CHARS, F::COLOUR_COMMENT, nullptr},                 // 2 comment
    {F::ACTION_APPEND, FORM_LINE, F::COLOUR_TEXT, F::PREFIX_ANSWER},            // 3 decoded answer
    {F::ACTION_APPEND, FORM_LINE, F::COLOUR_TEXT, F::PREFIX_COMMAND},           // 4 command name
    {F::ACTION_CLEAR, FORM_NONE, 0, nullptr},                                   // 5 clear
    {F::ACTION_KEEP, FORM_NONE, 0, nullptr},                                    // 6 keep
    {F::ACTION_APPEND, FORM_LINE, F::COLOUR_SENT, nullptr},                     // 7 reloaded sent line
    {F::ACTION_APPEND, FORM_LINE, F::COLOUR_RECEIVED, nullptr},                 // 8 reloaded received line
    {F::ACTION_APPEND, FORM_LINE, F::COLOUR_COMMENT, nullptr},                  // 9 reloaded comment line
    {F::ACTION_SAVE, FORM_NONE, 0, nullptr},                                    // 10 save the log
    {F::ACTION_SAVE_AS, FORM_NONE, 0, nullptr},                                 // 11 save the log as
    {F::ACTION_APPEND, FORM_LINE, F::COLOUR_INFO, nullptr},                     // 12 information
    {F::ACTION_APPEND, FORM_LINE, F::COLOUR_MISMATCH, F::PREFIX_MISMATCH},      // 13 mismatch
};

}  // namespace

void CTVRTraceFormatter::AppendTimeColumn(std::int64_t roundTripNs, std::string& text) {
  // "%8.3f ms " and "%8.3f s  " written with whole numbers: this runs for
  // every answer of a loop with the column on.
  char column[32];
  const bool seconds = roundTripNs >= 9999999500;  // 9999.9995 ms and on
  const std::uint64_t thousandths =
      (std::uint64_t(roundTripNs < 0 ? 0 : roundTripNs) + (seconds ? 500000 : 500)) / (seconds ? 1000000 : 1000);
  if (thousandths >= 10000000) {
    // From 10,000 s on: whole seconds.
    const int n = std::snprintf(column, sizeof column, "%8.0f s  ", double(roundTripNs) / 1e9);
    text.append(column, n > 0 ? std::size_t(n) : 0);
    return;
  }
  std::memcpy(column, seconds ? "    .    s  " : "    .    ms ", TIME_COLUMN_WIDTH);
  std::uint64_t whole = thousandths / 1000, fraction = thousandths % 1000;
  for (int i = 7; i >= 5; --i, fraction /= 10) column[i] = char('0' + fraction % 10);
  int i = 3;
  do {
    column[i--] = char('0' + whole % 10);
    whole /= 10;
  } while (whole != 0 && i >= 0);
  text.append(column, TIME_COLUMN_WIDTH);
}

CTVRTraceFormatter::EAction CTVRTraceFormatter::Format(const CTVRTraceRecord& record, bool hexDisplay,
                                                       std::string& text, tvr::COLORREF& colour,
                                                       std::int64_t roundTripNs) {
  if (record.m_nKind < 0 || std::size_t(record.m_nKind) >= std::size(KIND_LAYOUT)) return ACTION_NONE;
  const CKindLayout& layout = KIND_LAYOUT[record.m_nKind];
  if (layout.m_eAction == ACTION_APPEND) colour = layout.m_colour;
  switch (layout.m_eForm) {
    case FORM_DUMP:
      AppendDump(record.m_pData, record.m_dwCount, hexDisplay, text);
      break;
    case FORM_DUMP_AND_EMPTY_LINE: {
      const std::size_t start = text.size();
      AppendDump(record.m_pData, record.m_dwCount, hexDisplay, text);
      if (roundTripNs >= 0) {
        // The time column takes the place of the first line's indent, or
        // begins the closing line of an answer without bytes.
        if (text.size() == start) {
          AppendTimeColumn(roundTripNs, text);
        } else {
          std::string column;
          AppendTimeColumn(roundTripNs, column);
          text.replace(start, INDENT_LENGTH, column);
        }
      }
      text.append("\r\n", 2);  // an empty line closes every exchange
      break;
    }
    case FORM_CHARS:
      AppendChars(record, text);
      break;
    case FORM_LINE:
      AppendLine(layout.m_pszPrefix, record, text);
      break;
    case FORM_NONE:
      break;
  }
  return layout.m_eAction;
}
