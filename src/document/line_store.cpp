#include "document/line_store.h"

#include <algorithm>

#include <tavric/board_doc.h>

#include "document/line_store_owner.h"
#include "document/script_text.h"

using tvr_script::TrimLower;

namespace {

constexpr std::size_t kLineGrowth = 20;

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

CTVRLineStore::CTVRLineStore(CTVRLineStoreOwner& owner) : m_Owner(owner) {
  m_Lines.reserve(kLineGrowth);
  m_LineStates.reserve(kLineGrowth);
  m_Lines.assign(1, std::string());
  m_LineStates.assign(1, LINE_START | LINE_END);
}

void CTVRLineStore::Reset() {
  m_nChunkLine = 0;
  m_nChunkPos = 0;
  m_nCurrentLine = 0;
  m_nMarkedLine = 0;
  m_Extent = {0, 0};
  m_bExtentDirty = TRUE;
  m_Lines.assign(1, std::string());
  m_LineStates.assign(1, LINE_START | LINE_END);
}

void CTVRLineStore::DeleteContents() {
  m_Lines.clear();
  m_LineStates.clear();
  m_Lines.reserve(kLineGrowth);
  m_LineStates.reserve(kLineGrowth);
  m_nCurrentLine = 0;
  m_nMarkedLine = 0;
  m_bExtentDirty = TRUE;
  m_Lines.emplace_back();
  m_LineStates.push_back(LINE_START | LINE_END);
}

int CTVRLineStore::GetLineLength(int line) const {
  if (m_Lines.empty()) return 0;
  return int(m_Lines[ClampIndex(line, GetLineCount())].size());
}

std::string CTVRLineStore::GetLine(int line) const {
  if (m_Lines.empty()) return std::string();
  return m_Lines[ClampIndex(line, GetLineCount())];
}

DWORD CTVRLineStore::GetLineState(int line) const {
  if (m_LineStates.empty()) return 0;
  return m_LineStates[ClampIndex(line, int(m_LineStates.size()))];
}

void CTVRLineStore::SetLine(int line, const std::string& text) {
  if (m_Lines.empty()) return;
  line = ClampIndex(line, GetLineCount());
  const int oldLength = int(m_Lines[line].size());
  m_Lines[line] = text;
  m_Owner.OnLinesEdited();
  OnLineLengthChanged(oldLength, int(text.size()));
  ReparseLine(line);
}

void CTVRLineStore::SetLineState(int line, DWORD state) {
  if (m_LineStates.empty()) return;
  line = ClampIndex(line, int(m_LineStates.size()));
  m_LineStates[line] = state;
  m_Owner.OnLineStateSet(line);
}

void CTVRLineStore::InsertLine(int line, const std::string& text, DWORD state) {
  line = std::clamp(line, 0, GetLineCount());
  m_Lines.insert(m_Lines.begin() + line, text);
  m_LineStates.insert(m_LineStates.begin() + line, state);
  m_Owner.OnLinesEdited();
  OnLinesInserted(1, int(text.size()));
  ReparseLine(line);
}

void CTVRLineStore::InsertLines(int line, const std::vector<std::string>& texts) {
  if (texts.empty()) return;
  line = std::clamp(line, 0, GetLineCount());
  m_Lines.insert(m_Lines.begin() + line, texts.begin(), texts.end());
  m_LineStates.insert(m_LineStates.begin() + line, texts.size(), DWORD(0));
  m_Owner.OnLinesEdited();
  int longest = 0;
  for (const std::string& text : texts) longest = std::max(longest, int(text.size()));
  OnLinesInserted(int(texts.size()), longest);

  // As many InsertLine calls would classify them, top down, but carrying the
  // state of the line above along instead of looking for it again for every
  // line: a pasted block of comments must not cost the square of its length.
  DWORD previous = PreviousStatementState(line);
  for (int i = line; i < line + int(texts.size()); ++i) {
    m_LineStates[i] = Classify(m_Lines[i], 0, previous);
    if (m_LineStates[i] & (LINE_START | LINE_END)) previous = m_LineStates[i];
  }
}

void CTVRLineStore::RemoveLine(int line) {
  RemoveLines(line, 1);
}

void CTVRLineStore::RemoveLines(int line, int count) {
  if (m_Lines.empty() || count <= 0) return;
  line = ClampIndex(line, GetLineCount());
  count = std::min(count, GetLineCount() - line);
  int longest = 0;
  for (int i = line; i < line + count; ++i) longest = std::max(longest, int(m_Lines[i].size()));
  m_Lines.erase(m_Lines.begin() + line, m_Lines.begin() + line + count);
  m_LineStates.erase(m_LineStates.begin() + line, m_LineStates.begin() + line + count);
  m_Owner.OnLinesEdited();
  if (!m_bExtentDirty) {
    m_Extent.second -= count;
    // Only losing a longest line can shorten the widest one.
    if (longest >= m_Extent.first) m_bExtentDirty = TRUE;
  }
}

// The extent stays valid through an edit whenever that can be told without a
// scan, so that typing in a long script does not measure every line of it.
void CTVRLineStore::OnLineLengthChanged(int oldLength, int newLength) {
  if (m_bExtentDirty) return;
  if (newLength >= m_Extent.first)
    m_Extent.first = newLength;
  else if (oldLength >= m_Extent.first)
    m_bExtentDirty = TRUE;
}

void CTVRLineStore::OnLinesInserted(int count, int longest) {
  if (m_bExtentDirty) return;
  m_Extent.second += count;
  m_Extent.first = std::max(m_Extent.first, longest);
}

DWORD CTVRLineStore::PreviousStatementState(int line) const {
  for (int above = line - 1; above >= 0; --above) {
    if (m_LineStates[above] & (LINE_START | LINE_END)) return m_LineStates[above];
  }
  return LINE_END;
}

DWORD CTVRLineStore::Classify(const std::string& text, DWORD state, DWORD previous) {
  // Only the breakpoint is the user's; every other bit follows from the text.
  state &= LINE_BREAKPOINT;
  const std::string t = TrimLower(text);
  if (!t.empty() && IsCommentMark(t[0])) {
    state |= LINE_COMMENT;
  } else {
    if (StartsWith(t, ".b")) state |= LINE_BREAKPOINT;
    if (EndsStatement(t)) state |= LINE_END;
    if ((previous & LINE_END) && !t.empty()) state |= LINE_START;
  }
  return state;
}

void CTVRLineStore::ReparseLine(int line) {
  if (m_Lines.empty()) return;
  line = ClampIndex(line, GetLineCount());
  // The lines below are deliberately left alone: the editor calls this on every
  // keystroke, and a reload reclassifies the whole script anyway.
  m_LineStates[line] = Classify(m_Lines[line], m_LineStates[line], PreviousStatementState(line));
}

std::pair<int, int> CTVRLineStore::GetTextExtent() {
  if (m_bExtentDirty) {
    int width = 0;
    for (const std::string& line : m_Lines) width = std::max(width, int(line.size()));
    m_Extent = {width, GetLineCount()};
    m_bExtentDirty = FALSE;
  }
  return m_Extent;
}

void CTVRLineStore::GotoFirstChunk(int line) {
  m_nChunkLine = line;
  m_nChunkPos = 0;
}

int CTVRLineStore::GetNextChunk(std::string& chunk, DWORD colours[2]) {
  if (m_nChunkLine < 0 || m_nChunkLine >= GetLineCount()) return 0;
  const std::string& line = m_Lines[m_nChunkLine];
  if (m_nChunkPos < 0 || m_nChunkPos > int(line.size())) return 0;

  // The closing line feed counts as a character of the line, so that an empty
  // line still yields one chunk and a comment runs to the end of the line. It
  // is added to the chunk, not to a copy of the line: the editor asks for
  // chunks on every repaint.
  const std::string::size_type pos = std::string::size_type(m_nChunkPos);
  const char c = pos < line.size() ? line[pos] : '\n';

  if (IsCommentMark(c)) {
    chunk.assign(line, pos);
    chunk += '\n';
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
    const auto stop = pos < line.size() ? line.find_first_of(";/*", pos + 1) : std::string::npos;
    if (stop == std::string::npos) {
      chunk.assign(line, std::min(pos, line.size()));
      chunk += '\n';
    } else {
      chunk.assign(line, pos, stop - pos);
    }
  }
  m_nChunkPos += int(chunk.size());
  return 1;
}

int CTVRLineStore::NextLine() {
  if (m_nCurrentLine < 0) m_nCurrentLine = -1;
  ++m_nCurrentLine;
  if (m_nCurrentLine < GetLineCount()) return 1;
  if (m_Owner.IsLoopMode()) {
    m_nCurrentLine = 0;
    return 1;
  }
  // End of the script: park on the last statement, so that Start runs it again.
  m_Owner.OnScriptEnded();
  m_nCurrentLine = 0;
  for (int line = GetLineCount() - 1; line >= 0; --line) {
    if (m_LineStates[line] & LINE_START) {
      m_nCurrentLine = line;
      break;
    }
  }
  return 0;
}

int CTVRLineStore::GotoNextCommand() {
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
      if (m_Owner.IsRunning() && !m_Owner.IsStepMode() && (m_LineStates[m_nCurrentLine] & LINE_BREAKPOINT)) break;
      // In loop mode a script without any statement would wrap for ever.
      if (m_Owner.IsLoopMode() && moved >= count) break;
    }
  }

  if (m_nCurrentLine < count) {
    SetLineState(m_nCurrentLine, GetLineState(m_nCurrentLine) | LINE_NEXT);
    m_nMarkedLine = m_nCurrentLine;
  }
  m_Owner.OnNextStatementMoved();
  return result;
}

int CTVRLineStore::SetNextCommand(int line) {
  m_nCurrentLine = line;
  return GotoNextCommand();
}

void CTVRLineStore::SetScriptLines(const std::vector<std::string>& lines) {
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
