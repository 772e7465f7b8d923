// The text and colour a trace record adds to a trace view, built once here
// for every view: the desktop trace view and the runner's printer show the
// same characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <tavric/trace_record.h>
#include <tavric/types.h>

// The trace kind of a mismatch: an expectation of the script the answer did
// not meet, shown after "MISMATCH  :". The host's own, beside ETraceKind.
inline constexpr int TRACE_MISMATCH = 13;

class CTVRTraceFormatter {
 public:
  // What a view does with a record.
  enum EAction {
    ACTION_NONE,     // unknown kind: nothing
    ACTION_APPEND,   // append the text in the colour
    ACTION_CLEAR,    // kind 5
    ACTION_KEEP,     // kind 6
    ACTION_SAVE,     // kind 10
    ACTION_SAVE_AS,  // kind 11
  };

  static constexpr tvr::COLORREF COLOUR_SENT = tvr::RGB(128, 0, 128);
  static constexpr tvr::COLORREF COLOUR_RECEIVED = tvr::RGB(0, 0, 255);
  static constexpr tvr::COLORREF COLOUR_COMMENT = tvr::RGB(0, 128, 0);
  static constexpr tvr::COLORREF COLOUR_TEXT = tvr::RGB(0, 0, 0);
  static constexpr tvr::COLORREF COLOUR_INFO = tvr::RGB(128, 0, 0);
  // Orange: yellow among a terminal's eight basic colours, a colour no other kind has.
  static constexpr tvr::COLORREF COLOUR_MISMATCH = tvr::RGB(255, 128, 0);

  // The 11-character prefixes of decoded answers and command names.
  static constexpr const char* PREFIX_ANSWER = "IFD -> PC :";
  static constexpr const char* PREFIX_COMMAND = "PC -> IFD :";
  // And of mismatches, 11 characters as well.
  static constexpr const char* PREFIX_MISMATCH = "MISMATCH  :";

  // For ACTION_APPEND, appends the record's text to `text` (which the caller
  // may reuse from record to record, keeping its capacity) and sets `colour`.
  // With a round-trip time (nanoseconds, not negative), received bytes show
  // it in the time column: the first line's indent (the closing empty line's,
  // for an answer without bytes) becomes the time, as wide as the indent.
  static EAction Format(const CTVRTraceRecord& record, bool hexDisplay, std::string& text, tvr::COLORREF& colour,
                        std::int64_t roundTripNs = -1);

  // The time column's text: 12 characters, "%8.3f ms " under 10 s ("   1.234 ms "),
  // "%8.3f s  " above ("  12.345 s  "), "%8.0f s  " from 10,000 s on.
  static constexpr std::size_t TIME_COLUMN_WIDTH = 12;
  static void AppendTimeColumn(std::int64_t roundTripNs, std::string& text);

  // The byte dump of kinds 0 and 1 alone: rows of 16 "%02X " under a 12-space
  // indent, or one indented line of the bytes as characters.
  static void AppendDump(const tvr::BYTE* data, tvr::DWORD count, bool hexDisplay, std::string& text);
};
