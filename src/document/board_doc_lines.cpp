// The script line store of the reader document: the lines and their state
// words, the coloured chunks the editor draws, and the run position (current
// line, next-statement mark).
#include <algorithm>

#include <tavric/board_doc.h>

#include "document/script_text.h"

using tvr_script::TrimLower;

namespace {

constexpr COLORREF kCommentText = RGB(0, 128, 0);
constexpr COLORREF kCommentSelected = RGB(64, 192, 64);
constexpr COLORREF kEndText = RGB(0, 0, 255);
constexpr COLORREF kEndSelected = RGB(224, 224, 255);
constexpr COLORREF kDirectiveText = RGB(255, 0, 0);
constexpr COLORREF kDirectiveSelected = RGB(255, 128, 128);
constexpr COLORREF kPlainText = RGB(0, 0, 0);
constexpr COLORREF kPlainSelected = RGB(255, 255, 255);

bool IsCommentMark(char c) {
  return c == '/' || c == '*';
}

// A ';' ends the statement only when no comment mark stands before it: such a
// ';' belongs to the comment.
bool EndsStatement(const std::string& t) {
  const auto semicolon = t.find(';');
  if (semicolon == std::string::npos) return false;
  return t.find_first_of("/*") > semicolon;
}

bool StartsWith(const std::string& t, const char* prefix) {
  return t.rfind(prefix, 0) == 0;
}

// Every access clamps: callers may hand us the index just past the end (the
// editor does, on its last line), and the list may be empty after an edit
// removed every line.
int ClampIndex(int line, int count) {
  return std::clamp(line, 0, std::max(count - 1, 0));
}

}  // namespace

int CTVRBoardDoc::GetLineCount() const {
  return int(m_Lines.size());
}

int CTVRBoardDoc::GetLineLength(int line) const {
  if (m_Lines.empty()) return 0;
  return int(m_Lines[ClampIndex(line, GetLineCount())].size());
}

std::string CTVRBoardDoc::GetLine(int line) const {
  if (m_Lines.empty()) return std::string();
  return m_Lines[ClampIndex(line, GetLineCount())];
}

DWORD CTVRBoardDoc::GetLineState(int line) const {
  if (m_LineStates.empty()) return 0;
  return m_LineStates[ClampIndex(line, int(m_LineStates.size()))];
}

void CTVRBoardDoc::SetLine(int line, const std::string& text) {
  if (m_Lines.empty()) return;
  line = ClampIndex(line, GetLineCount());
  m_Lines[line] = text;
  SetModifiedFlag(TRUE);
  m_bExtentDirty = TRUE;
  ReparseLine(line);
}

void CTVRBoardDoc::SetLineState(int line, DWORD state) {
  if (m_LineStates.empty()) return;
  line = ClampIndex(line, int(m_LineStates.size()));
  m_LineStates[line] = state;
  UpdateAllViews(nullptr, HINT_LINE_STATE, &line);
}

void CTVRBoardDoc::InsertLine(int line, const std::string& text, DWORD state) {
  line = std::clamp(line, 0, GetLineCount());
  m_Lines.insert(m_Lines.begin() + line, text);
  m_LineStates.insert(m_LineStates.begin() + line, state);
  SetModifiedFlag(TRUE);
  m_bExtentDirty = TRUE;
  ReparseLine(line);
}

void CTVRBoardDoc::RemoveLine(int line) {
  if (m_Lines.empty()) return;
  line = ClampIndex(line, GetLineCount());
  m_Lines.erase(m_Lines.begin() + line);
  m_LineStates.erase(m_LineStates.begin() + line);
  SetModifiedFlag(TRUE);
  m_bExtentDirty = TRUE;
}

void CTVRBoardDoc::ReparseLine(int line) {
  if (m_Lines.empty()) return;
  line = ClampIndex(line, GetLineCount());

  // Only the breakpoint is the user's; every other bit follows from the text.
  DWORD state = m_LineStates[line] & LINE_BREAKPOINT;

  DWORD previous = LINE_END;
  for (int above = line - 1; above >= 0; --above) {
    if (m_LineStates[above] & (LINE_START | LINE_END)) {
      previous = m_LineStates[above];
      break;
    }
  }

  const std::string t = TrimLower(m_Lines[line]);
  if (!t.empty() && IsCommentMark(t[0])) {
    state |= LINE_COMMENT;
  } else {
    if (StartsWith(t, ".b")) state |= LINE_BREAKPOINT;
    if (EndsStatement(t)) state |= LINE_END;
    if ((previous & LINE_END) && !t.empty()) state |= LINE_START;
  }
  // The lines below are deliberately left alone: the editor calls this on every
  // keystroke, and a reload reclassifies the whole script anyway.
  m_LineStates[line] = state;
}

std::pair<int, int> CTVRBoardDoc::GetTextExtent() {
  if (m_bExtentDirty) {
    int width = 0;
    for (const std::string& line : m_Lines) width = std::max(width, int(line.size()));
    m_Extent = {width, GetLineCount()};
    m_bExtentDirty = FALSE;
  }
  return m_Extent;
}

void CTVRBoardDoc::GotoFirstChunk(int line) {
  m_nChunkLine = line;
  m_nChunkPos = 0;
}

int CTVRBoardDoc::GetNextChunk(std::string& chunk, DWORD colours[2], DWORD /*ignored*/) {
  if (m_nChunkLine < 0 || m_nChunkLine >= GetLineCount()) return 0;
  const std::string& line = m_Lines[m_nChunkLine];
  if (m_nChunkPos < 0 || m_nChunkPos > int(line.size())) return 0;

  // The closing line feed is a character of the line here, so that an empty
  // line still yields one chunk and a comment runs to the end of the line.
  const std::string s = line + "\n";
  const std::string::size_type pos = std::string::size_type(m_nChunkPos);
  const char c = s[pos];

  if (IsCommentMark(c)) {
    chunk = s.substr(pos);
    colours[0] = kCommentText;
    colours[1] = kCommentSelected;
  } else if (c == ';') {
    chunk = ";";
    colours[0] = kEndText;
    colours[1] = kEndSelected;
  } else {
    if (c == '.') {
      colours[0] = kDirectiveText;
      colours[1] = kDirectiveSelected;
    } else {
      colours[0] = kPlainText;
      colours[1] = kPlainSelected;
    }
    const auto stop = s.find_first_of(";/*", pos + 1);
    chunk = s.substr(pos, stop == std::string::npos ? std::string::npos : stop - pos);
  }
  m_nChunkPos += int(chunk.size());
  return 1;
}

int CTVRBoardDoc::NextLine() {
  if (m_nCurrentLine < 0) m_nCurrentLine = -1;
  ++m_nCurrentLine;
  if (m_nCurrentLine < GetLineCount()) return 1;
  if (m_bLoopMode) {
    m_nCurrentLine = 0;
    return 1;
  }
  // End of the script: park on the last statement, so that Start runs it again.
  m_bRunning = FALSE;
  m_bStepMode = TRUE;
  m_nCurrentLine = 0;
  for (int line = GetLineCount() - 1; line >= 0; --line) {
    if (m_LineStates[line] & LINE_START) {
      m_nCurrentLine = line;
      break;
    }
  }
  return 0;
}

int CTVRBoardDoc::GotoNextCommand() {
  const int count = GetLineCount();
  if (m_nMarkedLine >= 0 && m_nMarkedLine < count) {
    SetLineState(m_nMarkedLine, GetLineState(m_nMarkedLine) & ~DWORD(LINE_NEXT));
  }

  // The scan begins on the current line itself; a current line past the end
  // takes the end-of-script path at once.
  if (m_nCurrentLine < 0) m_nCurrentLine = 0;
  --m_nCurrentLine;
  NextLine();

  int result = 0;
  if (m_nCurrentLine < count) {
    int moved = 0;
    for (;;) {
      if (m_LineStates[m_nCurrentLine] & LINE_START) {
        result = 1;
        break;
      }
      if (!NextLine()) break;
      ++moved;
      // The starting line is never tested for a breakpoint: a run stopped at
      // one resumes on it.
      if (m_bRunning && !m_bStepMode && (m_LineStates[m_nCurrentLine] & LINE_BREAKPOINT)) break;
      // In loop mode a script without any statement would wrap for ever.
      if (m_bLoopMode && moved >= count) break;
    }
  }

  if (m_nCurrentLine < count) {
    SetLineState(m_nCurrentLine, GetLineState(m_nCurrentLine) | LINE_NEXT);
    m_nMarkedLine = m_nCurrentLine;
  }
  UpdateAllViews(nullptr, HINT_NEXT_STATEMENT, nullptr);
  return result;
}

int CTVRBoardDoc::SetNextCommand(int line) {
  m_nCurrentLine = line;
  return GotoNextCommand();
}

void CTVRBoardDoc::SetScriptLines(const std::vector<std::string>& lines) {
  m_Lines.clear();
  m_LineStates.clear();
  m_Lines.reserve(lines.size());
  m_LineStates.reserve(lines.size());

  // Unlike ReparseLine, reading a file marks empty lines as comments and
  // carries the previous statement's state down the file in one pass.
  DWORD previous = LINE_END;
  for (const std::string& line : lines) {
    m_Lines.push_back(line);
    const std::string t = TrimLower(line);
    DWORD state = 0;
    if (t.empty() || IsCommentMark(t[0])) {
      state = LINE_COMMENT;
    } else {
      if (StartsWith(t, ".b")) state |= LINE_BREAKPOINT;
      if (EndsStatement(t)) state |= LINE_END;
      if (previous & LINE_END) state |= LINE_START;
    }
    m_LineStates.push_back(state);
    if (state & (LINE_START | LINE_END)) previous = state;
  }

  m_bExtentDirty = TRUE;
  m_nCurrentLine = 0;
  m_nMarkedLine = 0;
  GotoNextCommand();
}
