#include "document/line_store.h"

#include <algorithm>
#include <limits>
#include <new>

#include <tavric/board_doc.h>

#include "document/line_store_owner.h"
#include "document/script_text.h"

namespace {

// Every LINE_MARK_STEP-th line's start is noted.
constexpr int LINE_MARK_STEP = 64;

constexpr COLORREF kCommentText = RGB(0, 128, 0);
constexpr COLORREF kCommentSelected = RGB(64, 192, 64);
constexpr COLORREF kEndText = RGB(0, 0, 255);
constexpr COLORREF kEndSelected = RGB(224, 224, 255);
constexpr COLORREF kDirectiveText = RGB(255, 0, 0);
constexpr COLORREF kDirectiveSelected = RGB(255, 128, 128);
constexpr COLORREF kPlainText = RGB(0, 0, 0);
constexpr COLORREF kPlainSelected = RGB(255, 255, 255);

// The five state bits in one byte: the classification's three, then the
// breakpoint and the next-statement mark.
constexpr std::uint8_t kClassificationBits = 0x07;
constexpr std::uint8_t kNextBit = 0x10;
static_assert(CTVRLineStore::kEndBit == LINE_END, "the classification's bits are kept where they are");

std::uint8_t Pack(DWORD state) {
  return std::uint8_t((state & (LINE_COMMENT | LINE_START | LINE_END)) |
                      ((state & LINE_BREAKPOINT) ? CTVRLineStore::kBreakpointBit : 0) |
                      ((state & LINE_NEXT) ? kNextBit : 0));
}

DWORD Unpack(std::uint8_t bits) {
  return DWORD(bits & kClassificationBits) | ((bits & CTVRLineStore::kBreakpointBit) ? DWORD(LINE_BREAKPOINT) : 0) |
         ((bits & kNextBit) ? DWORD(LINE_NEXT) : 0);
}

bool IsCommentMark(char c) {
  return c == '/' || c == '*';
}

// A ';' ends the statement only when no comment mark stands before it: such a
// ';' belongs to the comment.
bool EndsStatement(std::string_view t) {
  const auto semicolon = t.find(';');
  if (semicolon == std::string_view::npos) return false;
  return tvr_script::CommentStart(t) > semicolon;
}

std::string_view TrimView(std::string_view t) {
  while (!t.empty() && tvr_script::IsBlank(t.front())) t.remove_prefix(1);
  while (!t.empty() && tvr_script::IsBlank(t.back())) t.remove_suffix(1);
  return t;
}

bool IsBreakpointDirective(std::string_view t) {
  return t.size() >= 2 && t[0] == '.' && (t[1] == 'b' || t[1] == 'B');
}

// Every access clamps: callers may hand us the index just past the end (the
// editor does, on its last line), and the list may be empty after an edit
// removed every line.
int ClampIndex(int line, int count) {
  return std::clamp(line, 0, std::max(count - 1, 0));
}

// A line's text as stored: a line feed would split it.
std::string StoredText(const std::string& text) {
  std::string stored = text;
  std::replace(stored.begin(), stored.end(), '\n', ' ');
  return stored;
}

}  // namespace

CTVRLineStore::CTVRLineStore(CTVRLineStoreOwner& owner) : m_Owner(owner) {
  SetEmptyScript();
}

void CTVRLineStore::SetEmptyScript() {
  m_strText.assign(1, '\n');
  m_States.assign(1, Pack(LINE_START | LINE_END));
  m_nLineCount = 1;
  RenumberFrom(0);
}

void CTVRLineStore::Reset() {
  m_nChunkLine = 0;
  m_nChunkPos = 0;
  m_nCurrentLine = 0;
  m_nMarkedLine = 0;
  m_Extent = {0, 0};
  m_bExtentDirty = TRUE;
  SetEmptyScript();
}

void CTVRLineStore::DeleteContents() {
  // The memory of a long script goes back at once.
  std::string().swap(m_strText);
  std::vector<std::uint8_t>().swap(m_States);
  m_nCurrentLine = 0;
  m_nMarkedLine = 0;
  m_bExtentDirty = TRUE;
  SetEmptyScript();
}

std::size_t CTVRLineStore::LineOffset(int line) const {
  if (line >= m_nLineCount) return m_strText.size();
  int at = line / LINE_MARK_STEP * LINE_MARK_STEP;
  std::size_t offset = m_LineMarks[std::size_t(line / LINE_MARK_STEP)];
  if (m_nWalkLine > at && m_nWalkLine <= line) {
    at = m_nWalkLine;
    offset = m_nWalkOffset;
  }
  for (; at < line; ++at) {
    offset = m_strText.find('\n', offset) + 1;
  }
  m_nWalkLine = line;
  m_nWalkOffset = offset;
  return offset;
}

std::string_view CTVRLineStore::LineView(int line) const {
  if (m_nLineCount == 0) return {};
  line = ClampIndex(line, m_nLineCount);
  const std::size_t offset = LineOffset(line);
  const std::size_t stop = m_strText.find('\n', offset);
  // The next line starts right after: a walk down the script finds it at once.
  if (line + 1 < m_nLineCount) {
    m_nWalkLine = line + 1;
    m_nWalkOffset = stop + 1;
  }
  return std::string_view(m_strText.data() + offset, stop - offset);
}

void CTVRLineStore::RenumberFrom(int line) {
  ++m_nEditCount;
  const std::size_t first = std::size_t(std::clamp(line, 0, m_nLineCount) / LINE_MARK_STEP);
  m_LineMarks.resize(std::min(first + 1, m_LineMarks.size()));
  if (m_LineMarks.empty()) m_LineMarks.push_back(0);
  std::size_t offset = m_LineMarks.back();
  int at = int(m_LineMarks.size() - 1) * LINE_MARK_STEP;
  m_LineMarks.reserve(std::size_t(m_nLineCount / LINE_MARK_STEP) + 1);
  while (at < m_nLineCount) {
    offset = m_strText.find('\n', offset) + 1;
    if (++at % LINE_MARK_STEP == 0) m_LineMarks.push_back(offset);
  }
  m_nWalkLine = 0;
  m_nWalkOffset = 0;
}

std::vector<std::string> CTVRLineStore::GetLines() const {
  std::vector<std::string> lines;
  lines.reserve(std::size_t(m_nLineCount));
  for (int i = 0; i < m_nLineCount; ++i) lines.emplace_back(LineView(i));
  return lines;
}

int CTVRLineStore::GetLineLength(int line) const {
  return int(LineView(line).size());
}

std::string CTVRLineStore::GetLine(int line) const {
  return std::string(LineView(line));
}

DWORD CTVRLineStore::GetLineState(int line) const {
  if (m_States.empty()) return 0;
  return Unpack(m_States[std::size_t(ClampIndex(line, m_nLineCount))]);
}

void CTVRLineStore::SetLine(int line, const std::string& text) {
  if (m_nLineCount == 0) return;
  line = ClampIndex(line, m_nLineCount);
  const std::string stored = StoredText(text);
  const std::size_t offset = LineOffset(line);
  const int oldLength = int(LineView(line).size());
  m_strText.replace(offset, std::size_t(oldLength), stored);
  ++m_nEditCount;
  // The lines below only moved: their noted starts shift by the difference.
  const std::ptrdiff_t shift = std::ptrdiff_t(stored.size()) - oldLength;
  for (std::size_t k = std::size_t(line / LINE_MARK_STEP) + 1; k < m_LineMarks.size(); ++k)
    m_LineMarks[k] = std::size_t(std::ptrdiff_t(m_LineMarks[k]) + shift);
  m_nWalkLine = 0;
  m_nWalkOffset = 0;
  m_Owner.OnLinesEdited();
  OnLineLengthChanged(oldLength, int(stored.size()));
  ReparseLine(line);
}

void CTVRLineStore::SetLineState(int line, DWORD state) {
  if (m_States.empty()) return;
  line = ClampIndex(line, m_nLineCount);
  const std::uint8_t packed = Pack(state);
  // The run's marks and the breakpoints change no statement.
  if ((m_States[std::size_t(line)] ^ packed) & kClassificationBits) ++m_nEditCount;
  if ((m_States[std::size_t(line)] ^ packed) & kBreakpointBit) ++m_nBreakpointSerial;
  m_States[std::size_t(line)] = packed;
  m_Owner.OnLineStateSet(line);
}

void CTVRLineStore::InsertLine(int line, const std::string& text, DWORD state) {
  line = std::clamp(line, 0, m_nLineCount);
  const std::string stored = StoredText(text) + '\n';
  m_strText.insert(LineOffset(line), stored);
  m_States.insert(m_States.begin() + line, Pack(state));
  ++m_nLineCount;
  RenumberFrom(line);
  m_Owner.OnLinesEdited();
  OnLinesInserted(1, int(stored.size()) - 1);
  ReparseLine(line);
}

void CTVRLineStore::InsertLines(int line, const std::vector<std::string>& texts) {
  if (texts.empty()) return;
  line = std::clamp(line, 0, m_nLineCount);
  std::string block;
  int longest = 0;
  for (const std::string& text : texts) {
    block += StoredText(text);
    block += '\n';
    longest = std::max(longest, int(text.size()));
  }
  m_strText.insert(LineOffset(line), block);
  m_States.insert(m_States.begin() + line, texts.size(), std::uint8_t(0));
  m_nLineCount += int(texts.size());
  RenumberFrom(line);
  m_Owner.OnLinesEdited();
  OnLinesInserted(int(texts.size()), longest);

  // As many InsertLine calls would classify them, top down, but carrying the
  // state of the line above along instead of looking for it again for every
  // line: a pasted block of comments must not cost the square of its length.
  DWORD previous = PreviousStatementState(line);
  for (int i = line; i < line + int(texts.size()); ++i) {
    const DWORD state = Classify(LineView(i), 0, previous);
    m_States[std::size_t(i)] = Pack(state);
    if (state & (LINE_START | LINE_END)) previous = state;
  }
}

void CTVRLineStore::RemoveLine(int line) {
  RemoveLines(line, 1);
}

void CTVRLineStore::RemoveLines(int line, int count) {
  if (m_nLineCount == 0 || count <= 0) return;
  line = ClampIndex(line, m_nLineCount);
  count = std::min(count, m_nLineCount - line);
  int longest = 0;
  for (int i = line; i < line + count; ++i) longest = std::max(longest, int(LineView(i).size()));
  const std::size_t from = LineOffset(line);
  const std::size_t to = LineOffset(line + count);
  m_strText.erase(from, to - from);
  m_States.erase(m_States.begin() + line, m_States.begin() + line + count);
  m_nLineCount -= count;
  RenumberFrom(line);
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
    const DWORD state = Unpack(m_States[std::size_t(above)]);
    if (state & (LINE_START | LINE_END)) return state;
  }
  return LINE_END;
}

DWORD CTVRLineStore::Classify(std::string_view text, DWORD state, DWORD previous) {
  // Only the breakpoint is the user's; every other bit follows from the text.
  state &= LINE_BREAKPOINT;
  const std::string_view t = TrimView(text);
  if (!t.empty() && IsCommentMark(t[0])) {
    state |= LINE_COMMENT;
  } else {
    if (IsBreakpointDirective(t)) state |= LINE_BREAKPOINT;
    if (EndsStatement(t)) state |= LINE_END;
    if ((previous & LINE_END) && !t.empty()) state |= LINE_START;
  }
  return state;
}

void CTVRLineStore::ReparseLine(int line) {
  if (m_nLineCount == 0) return;
  line = ClampIndex(line, m_nLineCount);
  // The lines below are deliberately left alone: the editor calls this on every
  // keystroke, and a reload reclassifies the whole script anyway.
  m_States[std::size_t(line)] = Pack(Classify(LineView(line), GetLineState(line), PreviousStatementState(line)));
  ++m_nEditCount;
}

std::pair<int, int> CTVRLineStore::GetTextExtent() {
  if (m_bExtentDirty) {
    std::size_t width = 0;
    std::size_t start = 0;
    for (int i = 0; i < m_nLineCount; ++i) {
      const std::size_t stop = m_strText.find('\n', start);
      width = std::max(width, stop - start);
      start = stop + 1;
    }
    m_Extent = {int(width), m_nLineCount};
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
  const std::string_view line = LineView(m_nChunkLine);
  if (m_nChunkPos < 0 || m_nChunkPos > int(line.size())) return 0;

  // The closing line feed counts as a character of the line, so that an empty
  // line still yields one chunk and a comment runs to the end of the line. It
  // is added to the chunk, not to a copy of the line: the editor asks for
  // chunks on every repaint.
  const std::size_t pos = std::size_t(m_nChunkPos);
  const char c = pos < line.size() ? line[pos] : '\n';
  const std::size_t comment = tvr_script::CommentStart(line);

  if (pos >= comment && pos < line.size()) {
    chunk.assign(line.substr(pos));
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
    const auto stop = pos < line.size()
                          ? std::min(line.find(';', pos + 1), comment > pos ? comment : std::string_view::npos)
                          : std::string_view::npos;
    if (stop == std::string_view::npos) {
      chunk.assign(line.substr(std::min(pos, line.size())));
      chunk += '\n';
    } else {
      chunk.assign(line.substr(pos, stop - pos));
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
    if (m_States[std::size_t(line)] & LINE_START) {
      m_nCurrentLine = line;
      break;
    }
  }
  return 0;
}

void CTVRLineStore::SetNextMark(int line, bool marked) {
  // The packed bit of LINE_NEXT, set or cleared in place: twice a statement.
  std::uint8_t& bits = m_States[std::size_t(line)];
  bits = marked ? std::uint8_t(bits | kNextBit) : std::uint8_t(bits & ~kNextBit);
  m_Owner.OnLineStateSet(line);
}

int CTVRLineStore::GotoNextCommand() {
  const int count = GetLineCount();
  if (m_nMarkedLine >= 0 && m_nMarkedLine < count) {
    SetNextMark(m_nMarkedLine, false);
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
      if (m_States[std::size_t(m_nCurrentLine)] & LINE_START) {
        result = 1;
        break;
      }
      if (!NextLine()) break;
      ++moved;
      // The starting line is never tested for a breakpoint: a run stopped at
      // one resumes on it.
      if (m_Owner.IsRunning() && !m_Owner.IsStepMode() && (GetLineState(m_nCurrentLine) & LINE_BREAKPOINT)) break;
      // In loop mode a script without any statement would wrap for ever.
      if (m_Owner.IsLoopMode() && moved >= count) break;
    }
  }

  if (m_nCurrentLine < count) {
    SetNextMark(m_nCurrentLine, true);
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
  std::string text;
  for (const std::string& line : lines) {
    text += StoredText(line);
    text += '\n';
  }
  m_strText = std::move(text);
  m_nLineCount = int(lines.size());
  ClassifyAll();
}

bool CTVRLineStore::SetScriptText(std::string&& content) {
  // CR LF becomes LF in place; a last line without a line end gets one (the
  // file reader left room for it).
  std::size_t kept = 0;
  for (std::size_t i = 0; i < content.size(); ++i) {
    if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n') continue;
    content[kept++] = content[i];
  }
  content.resize(kept);
  const std::size_t count = std::size_t(std::count(content.begin(), content.end(), '\n')) +
                            (content.empty() || content.back() == '\n' ? 0 : 1);
  if (count > std::size_t(std::numeric_limits<int>::max() - 1)) return false;
  try {
    if (!content.empty() && content.back() != '\n') content += '\n';
    // Everything the new script needs is had before the old one goes.
    std::vector<std::uint8_t> states(count);
    std::vector<std::size_t> marks;
    marks.reserve(count / LINE_MARK_STEP + 1);
    m_States.swap(states);
    m_LineMarks.swap(marks);
  } catch (const std::bad_alloc&) {
    return false;
  }
  m_strText = std::move(content);
  m_nLineCount = int(count);
  ClassifyAll();
  return true;
}

void CTVRLineStore::ClassifyAll() {
  m_States.resize(std::size_t(m_nLineCount));
  m_LineMarks.clear();
  RenumberFrom(0);

  // Unlike ReparseLine, reading a file marks empty lines as comments and
  // carries the previous statement's state down the file in one pass.
  DWORD previous = LINE_END;
  std::size_t start = 0;
  for (int i = 0; i < m_nLineCount; ++i) {
    const std::size_t stop = m_strText.find('\n', start);
    const std::string_view t = TrimView(std::string_view(m_strText).substr(start, stop - start));
    start = stop + 1;
    DWORD state = 0;
    if (t.empty() || IsCommentMark(t[0])) {
      state = LINE_COMMENT;
    } else {
      if (IsBreakpointDirective(t)) state |= LINE_BREAKPOINT;
      if (EndsStatement(t)) state |= LINE_END;
      if (previous & LINE_END) state |= LINE_START;
    }
    m_States[std::size_t(i)] = Pack(state);
    if (state & (LINE_START | LINE_END)) previous = state;
  }

  m_bExtentDirty = TRUE;
  m_nCurrentLine = 0;
  m_nMarkedLine = 0;
  GotoNextCommand();
}
