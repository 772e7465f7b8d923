// The script of a reader document: its lines with their state words, the
// cached text extent, the coloured chunks the editor draws and the run
// position (current line, next-statement mark). The document holds one and
// forwards its line operations here; the store knows its document only
// through CTVRLineStoreOwner, so it can be driven alone.
//
// Memory follows the file, not the line count: the text is one buffer in
// which every line is followed by a line feed (the script as it is saved),
// the state bits take one byte a line, and the start of every 64th line is
// noted so that a line is found with a short scan (a walk from line to line,
// as the interpreter and the editor do, costs no scan at all). A line's text
// never holds a line feed: one given to SetLine or InsertLine becomes a space.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <tavric/types.h>

class CTVRLineStoreOwner;

class CTVRLineStore {
 public:
  explicit CTVRLineStore(CTVRLineStoreOwner& owner);

  // A new document's script: one empty line of state 6, current and marked
  // line 0, the extent and the chunk position reset.
  void Reset();
  // Before a script file is read: one empty line of state 6, current and
  // marked line 0, the extent to be measured again.
  void DeleteContents();

  // Line access; an index past the last line means the last line.
  int GetLineCount() const { return m_nLineCount; }
  int GetLineLength(int line) const;
  std::string GetLine(int line) const;
  // The line's text without a copy, valid until the script is next changed.
  std::string_view LineView(int line) const;
  tvr::DWORD GetLineState(int line) const;
  // GetLineState(line) & LINE_BREAKPOINT for a line in range, inline for the run's path.
  static constexpr std::uint8_t kBreakpointBit = 0x08;  // in the packed state byte
  static constexpr std::uint8_t kEndBit = 0x04;         // LINE_END, kept where it is
  bool HasBreakpoint(int line) const { return (m_States[std::size_t(line)] & kBreakpointBit) != 0; }
  // GetLineState(line) & LINE_END for a line in range, the same way.
  bool HasStatementEnd(int line) const { return (m_States[std::size_t(line)] & kEndBit) != 0; }
  void SetLine(int line, const std::string& text);
  void SetLineState(int line, tvr::DWORD state);
  void InsertLine(int line, const std::string& text, tvr::DWORD state);
  void RemoveLine(int line);
  void InsertLines(int line, const std::vector<std::string>& texts);
  void RemoveLines(int line, int count);
  void ReparseLine(int line);
  std::pair<int, int> GetTextExtent();  // (width, height)
  // The script as saved: every line followed by a line feed.
  const std::string& GetText() const { return m_strText; }
  // A copy of every line (for checks; a long script is read line by line).
  std::vector<std::string> GetLines() const;

  // Chunks for the editor's colouring.
  void GotoFirstChunk(int line);
  int GetNextChunk(std::string& chunk, tvr::DWORD colours[2]);

  // Run position.
  int NextLine();
  int GotoNextCommand();
  int SetNextCommand(int line);
  int GetCurrentLine() const { return m_nCurrentLine; }
  // Moves the current line without a scan or a mark: the interpreter's
  // statement assembly walks the lines this way.
  void SetCurrentLine(int line) { m_nCurrentLine = line; }
  int GetMarkedLine() const { return m_nMarkedLine; }

  // Grows with every change of a line's text, of the line count or of where
  // a statement ends; the run's marks (LINE_NEXT) and breakpoints leave it
  // alone. What was read from the lines stays right while it stays the same.
  std::uint64_t GetEditCount() const { return m_nEditCount; }
  // Grows with every breakpoint set or cleared on a line.
  std::uint64_t GetBreakpointSerial() const { return m_nBreakpointSerial; }

  // Replaces the script, classified from the top, and places the mark.
  void SetScriptLines(const std::vector<std::string>& lines);
  // The same from a file's bytes (line feed or CR LF line ends), taken over
  // without a copy. False, with the store as it was, when the memory for
  // the script cannot be had.
  bool SetScriptText(std::string&& content);

 private:
  static tvr::DWORD Classify(std::string_view text, tvr::DWORD state, tvr::DWORD previous);
  tvr::DWORD PreviousStatementState(int line) const;
  void OnLineLengthChanged(int oldLength, int newLength);
  void OnLinesInserted(int count, int longest);

  // Where a line's text starts in the buffer; the line count gives the end.
  std::size_t LineOffset(int line) const;
  // After an edit at `line`: the noted line starts from there on, and the
  // walk position.
  void RenumberFrom(int line);
  void ClassifyAll();
  // The next-statement mark of a line that exists, and the owner told.
  void SetNextMark(int line, bool marked);
  void SetEmptyScript();

  CTVRLineStoreOwner& m_Owner;
  std::string m_strText;                 // every line followed by '\n'
  std::vector<std::uint8_t> m_States;    // packed state bits, one a line
  std::vector<std::size_t> m_LineMarks;  // start of line k * LINE_MARK_STEP
  int m_nLineCount = 0;
  mutable int m_nWalkLine = 0;            // a line whose start is known ...
  mutable std::size_t m_nWalkOffset = 0;  // ... and that start
  tvr::BOOL m_bExtentDirty = TRUE;
  std::pair<int, int> m_Extent{0, 0};
  int m_nChunkLine = 0;
  int m_nChunkPos = 0;
  int m_nCurrentLine = 0;
  int m_nMarkedLine = 0;
  std::uint64_t m_nEditCount = 0;
  std::uint64_t m_nBreakpointSerial = 0;
};
