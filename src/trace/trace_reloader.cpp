#include "trace/trace_reloader.h"

#include <tavric/hex_text.h>
#include <tavric/trace_record.h>

#include "trace/trace_formatter.h"

namespace {

constexpr std::size_t PREFIX_LENGTH = 11;

}  // namespace

std::vector<CTVRTraceReloader::Record> CTVRTraceReloader::Parse(const std::string& text) {
  return Parse(text, CONVERT_NONE);
}

std::vector<CTVRTraceReloader::Record> CTVRTraceReloader::ParseSwitchingHexToChar(const std::string& text,
                                                                                  bool hexDisplay) {
  return Parse(text, hexDisplay ? CONVERT_TO_HEX : CONVERT_TO_CHAR);
}

std::vector<CTVRTraceReloader::Record> CTVRTraceReloader::Parse(const std::string& text, EConversion conversion) {
  std::vector<Record> records;
  int previous = -1;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t lf = text.find('\n', pos);
    // Only a text without any LF gets here without one: its line is empty.
    std::string line = lf == std::string::npos ? std::string() : text.substr(pos, lf - pos + 1);

    int kind;
    if (!line.empty() && (line[0] == '*' || line[0] == '/')) {
      kind = TRACE_RELOAD_COMMENT;
    } else if (line.find(CTVRTraceFormatter::PREFIX_COMMAND) != std::string::npos) {
      // The prefix is dropped by position: the view puts it back in front.
      line.erase(0, PREFIX_LENGTH);
      kind = TRACE_COMMAND_NAME;
    } else if (line.find(CTVRTraceFormatter::PREFIX_ANSWER) != std::string::npos) {
      line.erase(0, PREFIX_LENGTH);
      kind = TRACE_ANSWER_TEXT;
    } else if (line.compare(0, PREFIX_LENGTH, CTVRTraceFormatter::PREFIX_MISMATCH) == 0) {
      line.erase(0, PREFIX_LENGTH);
      kind = TRACE_MISMATCH;
    } else {
      // What follows a decoded answer is its bytes and the empty line after them.
      kind = (previous == TRACE_ANSWER_TEXT || previous == TRACE_RELOAD_RECEIVED) ? TRACE_RELOAD_RECEIVED
                                                                                  : TRACE_RELOAD_SENT;
    }
    if (conversion != CONVERT_NONE && (kind == TRACE_RELOAD_SENT || kind == TRACE_RELOAD_RECEIVED))
      line = Convert(line, conversion);

    std::string data;
    data.reserve(line.size());
    for (char c : line)
      if (c != '\r' && c != '\n') data.push_back(c);
    records.push_back(Record{kind, std::move(data)});
    previous = kind;

    if (lf == std::string::npos) break;
    pos = lf + 1;
    // A last piece without a line end is not a whole line of the view: dropped.
    if (text.find('\n', pos) == std::string::npos) break;
  }
  return records;
}

// The line is converted with its line end, which the caller removes afterwards:
// to hexadecimal, CR LF become "0D0A" like any other character; to characters,
// only pairs of hexadecimal digits are converted and anything else (the line
// end, a lone last digit) is kept as it is.
std::string CTVRTraceReloader::Convert(const std::string& line, EConversion conversion) {
  std::string packed;
  packed.reserve(line.size());
  for (char c : line)
    if (c != ' ') packed.push_back(c);

  std::string out;
  if (conversion == CONVERT_TO_HEX) {
    out.reserve(packed.size() * 2);
    for (char c : packed) {
      unsigned char u = static_cast<unsigned char>(c);
      CTVRHexText::AppendByte(out, tvr::BYTE(u));
    }
    return out;
  }
  out.reserve(packed.size());
  std::size_t i = 0;
  while (i < packed.size()) {
    tvr::BYTE value = 0;
    if (CTVRHexText::ReadByte(std::string_view(packed).substr(i), value)) {
      out.push_back(char(value));
      i += 2;
    } else {
      out.push_back(packed[i]);
      ++i;
    }
  }
  return out;
}
