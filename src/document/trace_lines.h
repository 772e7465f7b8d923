// The lines of a trace view, indexed over the document's record store instead
// of copied: the desktop trace pane shows a loop test of a million records
// without holding their text a second time.
//
// The view text is the text of the records from the last clear on, each
// formatted in the display mode (hexadecimal or characters) that was in force
// when it arrived. Lines end at LF; a CR is not shown. To find a line, the
// records are taken in blocks of BLOCK: for each block the number of line
// breaks before it is kept, so a line is reached by formatting at most one
// block of records again. Formatting is the core formatter's, as everywhere.
//
// A store with a keep limit drops its oldest records in bulk; the view then
// drops the blocks that lost a record and numbers its lines from the first
// block left, so a view over a bounded store stays bounded too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <tavric/types.h>

#include "document/trace_view_base.h"

class CTVRTraceLog;

class CTVRTraceLines : public CTVRTraceViewBase {
 public:
  // A stretch of a line's text in one colour.
  struct Segment {
    std::size_t m_nStart;
    std::size_t m_nLength;
    tvr::COLORREF m_crColour;
  };
  // Called for each line asked for, in order; returns false to stop early.
  using LineCallback = std::function<bool(std::size_t line, const std::string& text, const std::vector<Segment>&)>;

  static constexpr std::size_t BLOCK = 256;

  // Starts the view on the records that follow (a view shows what arrives
  // after it was opened, as the records of a reload do).
  void StartAtEnd();

  // Number of lines: line breaks plus one (the line being written).
  std::size_t GetLineCount();
  // Length in characters of the longest line.
  std::size_t GetLongestLine() const { return m_nLongestLine; }
  // Records the view shows (appending or not).
  std::size_t GetRecordCount() const { return m_nEnd - m_nFirst; }

  // The lines first to last (inclusive, limited to the line count), with the
  // colour of every piece.
  void ForEachLine(std::size_t first, std::size_t last, const LineCallback& callback);
  std::string GetLine(std::size_t line);
  // The text between two positions (line, column), lines joined by CR LF.
  std::string GetText(std::pair<std::size_t, std::size_t> from, std::pair<std::size_t, std::size_t> to);
  // The first occurrence of `needle` at or after (line, column), case
  // sensitive, within a line; false when there is none.
  bool Find(const std::string& needle, std::pair<std::size_t, std::size_t> from,
            std::pair<std::size_t, std::size_t>& found);

  std::string GetWholeText() const override;
  // Bytes held by the index, for the benchmark.
  std::size_t GetMemoryUsed() const;

 protected:
  void OnAppendText(const CTVRTraceRecord& record, const std::string& text, tvr::COLORREF colour,
                    bool hexDisplay) override;
  void OnClearText() override;
  // The lines changed (appended to, or cleared): a widget schedules a repaint.
  virtual void OnLinesChanged() {}
  // The first `lines` lines went with the oldest records: every line number
  // is that much lower now.
  virtual void OnLinesDropped(std::size_t /*lines*/) {}

 private:
  CTVRTraceLog* GetLog() const;
  // Forgets everything when the document's store was emptied behind the view
  // (a new document): the indexed records are gone.
  void CheckLog();
  void Reset(std::size_t first);
  // Follows the store's drop of its oldest records.
  void DropOldest(const CTVRTraceLog& log);
  // Rebuilds the index from the oldest record the store still keeps.
  void Reindex(const CTVRTraceLog& log);
  // Takes note of a record's text (and of records before it that showed nothing).
  void Index(std::size_t record, const std::string& text);
  static std::size_t LogEnd(const CTVRTraceLog& log);
  static CTVRTraceRecord GetRecord(const CTVRTraceLog& log, std::size_t record);
  bool HexDisplayOf(std::size_t record) const;
  // The round-trip time a record shows: its own with the time column on.
  std::int64_t TimeOf(const CTVRTraceLog& log, std::size_t record) const;

  std::size_t m_nFirst = 0;                           // first record shown
  std::size_t m_nEnd = 0;                             // one past the last record seen
  std::vector<std::size_t> m_LinesBefore;             // per block: line breaks before its first record
  std::vector<std::pair<std::size_t, bool>> m_Modes;  // (record, hexDisplay) where the display mode changed
  std::size_t m_nLineBreaks = 0;
  std::size_t m_nLastLineLength = 0;
  std::size_t m_nLongestLine = 0;
};
