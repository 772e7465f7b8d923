// The script of a reader document: its lines with their state words, the
// cached text extent, the coloured chunks the editor draws and the run
// position (current line, next-statement mark). The document holds one and
// forwards its line operations here; the store knows its document only
// through CTVRLineStoreOwner, so it can be driven alone.
#pragma once

#include <string>
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
  int GetLineCount() const { return int(m_Lines.size()); }
  int GetLineLength(int line) const;
  std::string GetLine(int line) const;
  tvr::DWORD GetLineState(int line) const;
  void SetLine(int line, const std::string& text);
  void SetLineState(int line, tvr::DWORD state);
  void InsertLine(int line, const std::string& text, tvr::DWORD state);
  void RemoveLine(int line);
  void InsertLines(int line, const std::vector<std::string>& texts);
  void RemoveLines(int line, int count);
  void ReparseLine(int line);
  std::pair<int, int> GetTextExtent();  // (width, height)
  const std::vector<std::string>& GetLines() const { return m_Lines; }

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

  // Replaces the script, classified from the top, and places the mark.
  void SetScriptLines(const std::vector<std::string>& lines);

 private:
  static tvr::DWORD Classify(const std::string& text, tvr::DWORD state, tvr::DWORD previous);
  tvr::DWORD PreviousStatementState(int line) const;
  void OnLineLengthChanged(int oldLength, int newLength);
  void OnLinesInserted(int count, int longest);

  CTVRLineStoreOwner& m_Owner;
  std::vector<std::string> m_Lines;
  std::vector<tvr::DWORD> m_LineStates;  // always as long as m_Lines
  tvr::BOOL m_bExtentDirty = TRUE;
  std::pair<int, int> m_Extent{0, 0};
  int m_nChunkLine = 0;
  int m_nChunkPos = 0;
  int m_nCurrentLine = 0;
  int m_nMarkedLine = 0;
};
