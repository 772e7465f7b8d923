// SendCurrentCommand gathers the statement at the current line, strips its
// comments, turns quoted text into bytes, and either sends the bytes or
// executes the directive.
//
// Numbers in statements and directives are read as far as they are made of
// digits of their base: a token or pair that starts with anything else counts
// as 0 ("zz" gives 00, "1g" gives 01), and a bytes token gives the low eight
// bits of its value. No number is ever read past its own text.
#include "document/interpreter.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <tavric/board_doc.h>
#include <tavric/crypto.h>
#include <tavric/hex_text.h>
#include <tavric/prompts.h>
#include <tavric/trace_record.h>

#include "decode/expectation.h"
#include "document/interpreter_sink.h"
#include "document/interpreter_texts.h"
#include "document/line_store.h"
#include "document/script_text.h"
#include "platform/process_clock.h"

namespace texts = tvr_interpreter_texts;
using tvr_script::IsBlank;

namespace {

constexpr std::size_t kMaxStatementBytes = 300;
// Expectations checked ahead in a row, as many as the run takes statements
// inline: Stop keeps its chance in a script of nothing else.
constexpr std::size_t kMaxExpectationsAhead = 64;
// A statement buffer grown larger than this by an unusually long statement is
// not kept for the next one.
constexpr std::size_t kKeptStatementCapacity = 4096;
// Directive fields of the limited sizes: longer ones are cut to these.
constexpr std::size_t kMaxCodeDigits = 2;
constexpr std::size_t kMaxDelayDigits = 8;
constexpr std::size_t kMaxEscapeCodeDigits = 8;

// Value of the leading decimal digits, held at the DWORD maximum, 0 when none.
DWORD LeadingDecimal(const std::string& text) {
  unsigned long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + unsigned(c - '0');
    if (value > 0xFFFFFFFFull) return 0xFFFFFFFFu;
  }
  return DWORD(value);
}

// A token of a bytes statement; a "0x" prefix is allowed as in C.
BYTE TokenByte(std::string_view token) {
  return BYTE(CTVRHexText::NumberValue(token));
}

std::string RemoveBlanks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (!IsBlank(c)) out.push_back(c);
  }
  return out;
}

std::string Between(const std::string& text, std::size_t open, std::size_t close) {
  return text.substr(open + 1, close - open - 1);
}

bool Contains(const std::string& text, const char* name) {
  return text.find(name) != std::string::npos;
}

// The parenthesis pair of a directive: the first '(' and the first ')' after it.
bool FindParentheses(const std::string& text, std::size_t& open, std::size_t& close) {
  open = text.find('(');
  if (open == std::string::npos) return false;
  close = text.find(')', open + 1);
  return close != std::string::npos;
}

std::string Format(const char* format, auto... values) {
  std::array<char, 512> buffer{};
  const int n = std::snprintf(buffer.data(), buffer.size(), format, values...);
  if (n < 0) return std::string();
  if (std::size_t(n) < buffer.size()) return std::string(buffer.data(), std::size_t(n));
  std::string big(std::size_t(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), format, values...);
  big.resize(std::size_t(n));
  return big;
}

void Trace(CTVRInterpreterSink& sink, const std::string& text, int kind) {
  sink.NotifyMessage(reinterpret_cast<const BYTE*>(text.data()), DWORD(text.size()), kind);
}

// Quoted text stands for its byte values; only the first pair of quotes in the
// statement text is converted per added line. `scanned` and `open` remember
// what earlier lines showed (every '"' before `scanned` is known, `open` is the
// first one still unpaired), so a long statement is not searched again for
// each line it gains.
void ConvertQuotes(std::string& text, std::size_t& scanned, std::size_t& open) {
  if (open == std::string::npos) {
    open = text.find('"', scanned);
    if (open == std::string::npos) {
      scanned = text.size();
      return;
    }
    scanned = open + 1;
  }
  const auto close = text.find('"', scanned);
  if (close == std::string::npos) {
    scanned = text.size();
    return;
  }
  std::string hex;
  hex.reserve((close - open) * 3);
  for (std::size_t i = open + 1; i < close; ++i) {
    CTVRHexText::AppendByte(hex, BYTE(text[i]));
    hex += ' ';
  }
  text.replace(open, close - open + 1, hex);
  scanned = open + hex.size();
  open = std::string::npos;
}

// A one-byte code field; longer ones are reported and cut to their first two digits.
BYTE CodeField(std::string digits, const char* tooLong) {
  if (digits.size() > kMaxCodeDigits) {
    TVRMessageBox(tooLong);
    digits.resize(kMaxCodeDigits);
  }
  return BYTE(CTVRHexText::LeadingValue(digits));
}

}  // namespace

CTVRInterpreter::CTVRInterpreter(CTVRLineStore& lines, CTVRInterpreterSink& sink) : m_LineStore(lines), m_Sink(sink) {}

void CTVRInterpreter::Reset() {
  m_nLoopCounter = 0;
  m_bDurationStarted = FALSE;
  m_bDurationStopped = FALSE;
}

// The comment and empty lines between the previous statement and this one go
// to the trace ahead of the statement's frame.
void CTVRInterpreter::EchoComments() {
  const int current = m_LineStore.GetCurrentLine();
  // Most statements come right after the end of the one before: nothing to
  // echo, and no more than this test inline. (The current line is one of the
  // script's: SendCurrentCommand saw to it.)
  if (!m_LineStore.HasStatementEnd(current == 0 ? 0 : current - 1)) EchoCommentLines(current);
}

void CTVRInterpreter::EchoCommentLines(int current) {
  std::vector<int> echoed;
  std::size_t total = 0;
  for (int line = current == 0 ? 0 : current - 1; line >= 0; --line) {
    if (m_LineStore.GetLineState(line) & LINE_END) break;
    echoed.push_back(line);
    total += std::size_t(m_LineStore.GetLineLength(line));
  }
  if (total == 0 || !m_Sink.IsTraceOn()) return;

  std::string text;
  for (auto it = echoed.rbegin(); it != echoed.rend(); ++it) text += m_LineStore.GetLine(*it) + "\r\n";
  Trace(m_Sink, text, TRACE_COMMENT);
}

// Joins the statement's lines into `text` and leaves the current line after
// the statement.
void CTVRInterpreter::AssembleStatement(std::string& text) {
  text.clear();
  std::size_t quoteScanned = 0;
  std::size_t quoteOpen = std::string::npos;
  const int count = m_LineStore.GetLineCount();
  int line = m_LineStore.GetCurrentLine();
  DWORD state = 0;
  do {
    // Each line without its comment.
    const std::string_view added = m_LineStore.LineView(line);
    text += ' ';
    text += added.substr(0, tvr_script::CommentStart(added));
    ConvertQuotes(text, quoteScanned, quoteOpen);
    state = m_LineStore.GetLineState(line);
    ++line;
  } while (line < count && !(state & LINE_END));
  m_LineStore.SetCurrentLine(line);
}

// Reads the statement's text into what it runs: its bytes, or its directive.
void CTVRInterpreter::ReadInto(CStatement& statement) {
  std::string& text = m_strStatement;
  AssembleStatement(text);
  statement.m_nNextLine = m_LineStore.GetCurrentLine();
  statement.m_strDirective.clear();
  statement.m_Bytes.clear();
  statement.m_eKind = STATEMENT_TOO_SHORT;
  tvr_script::TrimInPlace(text);
  // Too short to be anything: ";" alone, or one character and ';'.
  if (text.size() < 2) return;
  if (text.back() == ';') {
    text.pop_back();
    while (!text.empty() && IsBlank(text.back())) text.pop_back();
    if (text.size() < 2) return;
  }
  // Directives are matched in lower case; a bytes statement needs no
  // lowering, its digits and "0x" are read in either case.
  if (text[0] == '.') {
    statement.m_eKind = STATEMENT_DIRECTIVE;
    statement.m_strDirective = tvr_script::ToLower(text);
    if (CTVRExpectation::IsExpectation(statement.m_strDirective) &&
        CTVRExpectation::Parse(statement.m_strDirective, statement.m_Expectation).empty())
      statement.m_eKind = STATEMENT_EXPECTATION;
    return;
  }
  statement.m_eKind = STATEMENT_BYTES;
  const std::string_view view = text;
  std::size_t i = 0;
  while (i < view.size()) {
    while (i < view.size() && IsBlank(view[i])) ++i;
    if (i == view.size()) break;
    std::size_t end = i;
    while (end < view.size() && !IsBlank(view[end])) ++end;
    if (statement.m_Bytes.size() == kMaxStatementBytes) {
      statement.m_eKind = STATEMENT_TOO_MANY;
      break;
    }
    statement.m_Bytes.push_back(TokenByte(view.substr(i, end - i)));
    i = end;
  }
}

const CTVRInterpreter::CStatement& CTVRInterpreter::ReadStatement() {
  // A loop reads its statements in the same order each round: the one read
  // after the last one the time before comes first, with no look-up, inline.
  if (m_pLastRead != nullptr && m_nStatementsEditCount == m_LineStore.GetEditCount()) {
    CStatement* follower = m_pLastRead->m_pFollower;
    if (follower != nullptr && follower->m_nLine == m_LineStore.GetCurrentLine()) {
      m_LineStore.SetCurrentLine(follower->m_nNextLine);
      m_pLastRead = follower;
      return *follower;
    }
  }
  return LookUpStatement();
}

const CTVRInterpreter::CStatement& CTVRInterpreter::LookUpStatement() {
  // An edit may have changed any statement: all are read again.
  if (m_nStatementsEditCount != m_LineStore.GetEditCount()) {
    m_Statements.clear();
    m_pLastRead = nullptr;
    m_nStatementsEditCount = m_LineStore.GetEditCount();
  }
  const int firstLine = m_LineStore.GetCurrentLine();
  const auto known = m_Statements.find(firstLine);
  CStatement* statement = known != m_Statements.end() ? &known->second : nullptr;
  if (statement != nullptr) {
    m_LineStore.SetCurrentLine(statement->m_nNextLine);
  } else {
    if (m_Statements.size() >= kMaxRemembered) {
      m_Statements.clear();
      m_pLastRead = nullptr;
    }
    statement = &m_Statements[firstLine];
    statement->m_nLine = firstLine;
    ReadInto(*statement);
  }
  if (m_pLastRead != nullptr) m_pLastRead->m_pFollower = statement;
  m_pLastRead = statement;
  return *statement;
}

const CTVRInterpreter::CStatement* CTVRInterpreter::StatementAt(int line) {
  if (auto known = m_Statements.find(line); known != m_Statements.end()) return &known->second;
  if (m_Statements.size() >= kMaxRemembered) return nullptr;
  const int current = m_LineStore.GetCurrentLine();
  m_LineStore.SetCurrentLine(line);
  CStatement& statement = m_Statements[line];
  statement.m_nLine = line;
  ReadInto(statement);
  m_LineStore.SetCurrentLine(current);
  return &statement;
}

CTVRInterpreter::CStatement* CTVRInterpreter::LastWithAhead() {
  // Nothing read since the last edit: the statements are read again, one at a time.
  CStatement* const last = m_pLastRead;
  if (last == nullptr || m_nStatementsEditCount != m_LineStore.GetEditCount() ||
      m_LineStore.GetCurrentLine() != last->m_nNextLine)
    return nullptr;
  if (!last->m_bAheadRead) {
    last->m_bAheadRead = true;
    const int count = m_LineStore.GetLineCount();
    for (int line = last->m_nNextLine; line < count && last->m_Ahead.size() < kMaxExpectationsAhead;) {
      if (!(m_LineStore.GetLineState(line) & LINE_START)) break;
      const CStatement* const next = StatementAt(line);
      if (next == nullptr || next->m_eKind != STATEMENT_EXPECTATION) break;
      last->m_Ahead.push_back(next);
      last->m_Row.m_Expectations.push_back(&next->m_Expectation);
      last->m_Row.m_bBoundsTime =
          last->m_Row.m_bBoundsTime || next->m_Expectation.GetForm() == CTVRExpectation::FORM_TIME;
      line = next->m_nNextLine;
    }
  }
  return last->m_Ahead.empty() ? nullptr : last;
}

const CTVRInterpreter::CExpectationRow* CTVRInterpreter::ReadExpectationsAhead() {
  CStatement* const last = LastWithAhead();
  if (last == nullptr) return nullptr;
  if (last->m_nAheadBreakpointSerial != m_LineStore.GetBreakpointSerial()) {
    last->m_nAheadBreakpointSerial = m_LineStore.GetBreakpointSerial();
    last->m_bAheadBreakpoint = false;
    for (const CStatement* const expectation : last->m_Ahead)
      last->m_bAheadBreakpoint = last->m_bAheadBreakpoint || m_LineStore.HasBreakpoint(expectation->m_nLine);
  }
  return last->m_bAheadBreakpoint ? nullptr : &last->m_Row;
}

void CTVRInterpreter::CheckExpectationsAhead() {
  const CStatement* const last = LastWithAhead();
  if (last == nullptr) return;
  const std::uint64_t editCount = m_nStatementsEditCount;
  for (const CStatement* const expectation : last->m_Ahead) {
    // A breakpoint set since, or an edit made by what a check started.
    if (m_LineStore.HasBreakpoint(expectation->m_nLine) || m_LineStore.GetEditCount() != editCount ||
        !m_Sink.CheckExpectationAhead(expectation->m_Expectation, expectation->m_nLine, expectation->m_nNextLine))
      return;
  }
}

void CTVRInterpreter::SendBytes(const CStatement& statement) {
  // Sent from a copy: the send may change its bytes (cyphering) or start the
  // next statement before it returns (a board that answers at once).
  std::array<BYTE, kMaxStatementBytes> bytes;
  const std::size_t count = statement.m_Bytes.size();
  std::copy(statement.m_Bytes.begin(), statement.m_Bytes.end(), bytes.begin());
  if (statement.m_eKind == STATEMENT_TOO_MANY) TVRMessageBox(texts::kTooManyBytes);
  m_Sink.SendData(bytes.data(), DWORD(count), m_Sink.GetScriptType());
}

void CTVRInterpreter::ShowInfo() {
  ++m_nLoopCounter;
  if (!m_Sink.IsTraceOn()) return;
  // A loop runs its ".info" many times a second: the script's name and the
  // time, to the second, are written again only when one of them changed.
  const std::time_t now = std::time(nullptr);
  std::string path = m_Sink.GetScriptPath();
  if (now != m_InfoHead.m_Time || path != m_InfoHead.m_strPath) {
    std::tm local{};
    char when[64] = "";
    if (localtime_r(&now, &local) == nullptr || asctime_r(&local, when) == nullptr) when[0] = '\0';
    m_InfoHead.m_strText = Format(texts::kInfoScriptFormat, path.c_str()) + Format(texts::kInfoTimeFormat, when);
    m_InfoHead.m_Time = now;
    m_InfoHead.m_strPath = std::move(path);
  }
  std::string text = m_InfoHead.m_strText;
  text += Format(texts::kInfoLoopFormat, m_nLoopCounter);
  Trace(m_Sink, text, TRACE_INFO);
}

void CTVRInterpreter::DisplayDuration() {
  if (m_bDurationStarted && !m_bDurationStopped) {
    TVRMessageBox(texts::kNoStopDuration);
  } else if (!m_bDurationStarted && m_bDurationStopped) {
    TVRMessageBox(texts::kNoStartDuration);
  } else if (!m_bDurationStarted && !m_bDurationStopped) {
    TVRMessageBox(texts::kNoDurations);
  } else {
    std::string text = texts::kDurationHeader;
    text +=
        Format(texts::kDurationFormat, m_lStopTime, m_lStartTime, 1000, double(m_lStopTime - m_lStartTime) / 1000.0);
    if (m_Sink.IsTraceOn()) Trace(m_Sink, text, TRACE_INFO);
  }
  m_bDurationStarted = FALSE;
  m_bDurationStopped = FALSE;
}

void CTVRInterpreter::SetCommandDelay(const std::string& text) {
  std::size_t open = 0;
  std::size_t close = 0;
  if (!FindParentheses(text, open, close)) {
    TVRMessageBox(texts::kDelaySyntax);
    return;
  }
  std::string digits = Between(text, open, close);
  if (digits.size() > kMaxDelayDigits) {
    TVRMessageBox(texts::kDelayTooLong);
    digits.resize(kMaxDelayDigits);
  }
  m_Sink.GetDelayOptions().m_dwCommandDelay = LeadingDecimal(digits);
  m_Sink.GetDelayOptions().m_bCommandDelay = TRUE;
}

CTVRInterpreter::EDirectiveEnd CTVRInterpreter::Config(const std::string& directive) {
  const std::string text = RemoveBlanks(directive);
  std::size_t open = 0;
  std::size_t close = 0;
  if (!FindParentheses(text, open, close)) {
    TVRMessageBox(texts::kConfigSyntax);
    return DIRECTIVE_NEXT;
  }
  // Commas count only inside the parentheses.
  auto comma1 = text.find(',', open + 1);
  if (comma1 > close) comma1 = std::string::npos;
  auto comma2 = comma1 == std::string::npos ? std::string::npos : text.find(',', comma1 + 1);
  if (comma2 > close) comma2 = std::string::npos;

  const BYTE code =
      CodeField(Between(text, open, comma1 == std::string::npos ? close : comma1), texts::kConfigCodeTooLong);
  BYTE code1 = 0xFF;
  if (comma2 != std::string::npos) code1 = CodeField(Between(text, comma1, comma2), texts::kConfigCode1TooLong);

  std::vector<BYTE> buffer;
  const auto lastComma = comma2 != std::string::npos ? comma2 : comma1;
  if (lastComma != std::string::npos) {
    std::string digits = Between(text, lastComma, close);
    if (digits.size() % 2) digits.insert(digits.begin(), '0');
    buffer = CTVRHexText::LeadingPairs(digits, false);
  }
  m_Sink.Config(code, code1, buffer.empty() ? nullptr : buffer.data(), DWORD(buffer.size()));
  return DIRECTIVE_ANSWER;
}

CTVRInterpreter::EDirectiveEnd CTVRInterpreter::Write(const std::string& directive) {
  const std::string text = RemoveBlanks(directive);
  std::size_t open = 0;
  std::size_t close = 0;
  if (!FindParentheses(text, open, close)) {
    TVRMessageBox(texts::kWriteSyntax);
    return DIRECTIVE_NEXT;
  }
  std::vector<BYTE> buffer = CTVRHexText::LeadingPairs(Between(text, open, close), false);
  m_Sink.Write(buffer.empty() ? nullptr : buffer.data(), DWORD(buffer.size()));
  return DIRECTIVE_ANSWER;
}

CTVRInterpreter::EDirectiveEnd CTVRInterpreter::Read(const std::string& directive) {
  const std::string text = RemoveBlanks(directive);
  std::size_t open = 0;
  std::size_t close = 0;
  if (!FindParentheses(text, open, close)) {
    TVRMessageBox(texts::kReadSyntax);
    return DIRECTIVE_NEXT;
  }
  m_Sink.Read(LeadingDecimal(Between(text, open, close)));
  return DIRECTIVE_ANSWER;
}

CTVRInterpreter::EDirectiveEnd CTVRInterpreter::Escape(const std::string& directive) {
  const std::string text = RemoveBlanks(directive);
  std::size_t open = 0;
  std::size_t close = 0;
  if (!FindParentheses(text, open, close)) {
    TVRMessageBox(texts::kEscapeSyntax);
    return DIRECTIVE_NEXT;
  }
  auto comma = text.find(',', open + 1);
  if (comma > close) comma = std::string::npos;

  std::string codeDigits = Between(text, open, comma == std::string::npos ? close : comma);
  if (codeDigits.size() > kMaxEscapeCodeDigits) {
    TVRMessageBox(texts::kEscapeCodeTooLong);
    codeDigits.resize(kMaxEscapeCodeDigits);
  }
  const DWORD code = CTVRHexText::LeadingValue(codeDigits);

  std::vector<BYTE> data;
  if (m_Sink.IsTraceOn()) Trace(m_Sink, Format(texts::kEscapeCommandFormat, unsigned(code)), TRACE_COMMAND_NAME);
  if (comma != std::string::npos) {
    data = CTVRHexText::LeadingPairs(Between(text, comma, close), true);
    if (m_Sink.IsTraceOn()) m_Sink.NotifyMessage(data.data(), DWORD(data.size()), TRACE_SENT);
  }
  m_Sink.Escape(code, data.empty() ? nullptr : data.data(), DWORD(data.size()));
  if (m_Sink.IsTraceOn()) Trace(m_Sink, texts::kEscapeAnswer, TRACE_ANSWER_TEXT);
  m_bEscapeAnswerExpected = TRUE;
  return DIRECTIVE_ANSWER;
}

// ".3des(cl,al,key)": two hexadecimal digits of challenge length, two of
// authenticate length and 32 of key, nothing more.
CTVRInterpreter::EDirectiveEnd CTVRInterpreter::TripleDes(const std::string& directive) {
  const std::string text = RemoveBlanks(directive);
  const auto open = text.find('(');
  const auto close = text.find(')');
  const auto comma1 = text.find(',');
  const auto comma2 = comma1 == std::string::npos ? std::string::npos : text.find(',', comma1 + 1);
  const auto comma3 = comma2 == std::string::npos ? std::string::npos : text.find(',', comma2 + 1);
  const auto npos = std::string::npos;
  if (open == npos || close == npos || comma1 == npos || comma2 == npos || comma3 != npos || comma1 != open + 3 ||
      comma2 != comma1 + 3 || close != comma2 + 33) {
    TVRMessageBox(texts::k3desSyntax);
    return DIRECTIVE_NEXT;
  }
  const BYTE challengeLength = BYTE(CTVRHexText::LeadingValue(Between(text, open, comma1)));
  const BYTE authenticateLength = BYTE(CTVRHexText::LeadingValue(Between(text, comma1, comma2)));
  std::vector<BYTE> key = CTVRHexText::LeadingPairs(Between(text, comma2, close), false);

  m_Sink.GetCrypto()->Set3desParameters(0, challengeLength, authenticateLength, key.data());
  // Tells the answer decoder to carry the exchange on when the challenge comes.
  m_Sink.GetCrypto()->OnChallengeRequested();

  // A GET CHALLENGE for that many bytes, sent as a one-off command outside the run.
  BYTE getChallenge[6] = {0x00, 0x00, 0x84, 0x00, 0x00, challengeLength};
  m_Sink.SendOneOffCommand(getChallenge, 6);
  return DIRECTIVE_ANSWER;
}

// An expectation directive that cannot be read: refused with its message
// each time it runs (one that can is read once, with its statement).
void CTVRInterpreter::RefuseExpectation(const std::string& directive) {
  CTVRExpectation expectation;
  const std::string refused = CTVRExpectation::Parse(directive, expectation);
  if (!refused.empty()) TVRMessageBox(refused);
}

void CTVRInterpreter::SetMismatchAction(const std::string& directive) {
  ETVRMismatchAction action = MISMATCH_CONTINUE;
  const std::string refused = CTVRExpectation::ParseMismatchAction(directive, action);
  if (!refused.empty()) {
    TVRMessageBox(refused);
    return;
  }
  m_Sink.SetMismatchAction(action);
}

// The directives, tested in this order; the first that matches runs.
CTVRInterpreter::EDirectiveEnd CTVRInterpreter::RunDirective(const std::string& text) {
  // No other directive's name starts with these; an expectation that could be
  // read ran as one.
  if (CTVRExpectation::IsExpectation(text)) {
    RefuseExpectation(text);
    return DIRECTIVE_NEXT;
  }
  if (CTVRExpectation::IsMismatchAction(text)) {
    SetMismatchAction(text);
    return DIRECTIVE_NEXT;
  }
  if (text == ".b") return DIRECTIVE_NEXT;  // the breakpoint bit came from classification
  if (text == ".rawdata") {
    m_Sink.SetScriptType(SCRIPT_RAWDATA);
    return DIRECTIVE_NEXT;
  }
  if (text == ".apdu") {
    m_Sink.SetScriptType(SCRIPT_APDU);
    return DIRECTIVE_NEXT;
  }
  if (text == ".command") {
    m_Sink.SetScriptType(SCRIPT_COMMANDS);
    return DIRECTIVE_NEXT;
  }
  if (text == ".save") {
    m_Sink.SaveLog();
    return DIRECTIVE_NEXT;
  }
  if (text == ".loop") {
    if (!m_Sink.IsLoopMode()) m_nLoopCounter = 0;
    m_Sink.SetLoopMode(TRUE);
    return DIRECTIVE_NEXT;
  }
  if (text == ".trace(on)") {
    m_Sink.SetTraceOn(TRUE);
    return DIRECTIVE_NEXT;
  }
  if (text == ".trace(off)") {
    m_Sink.SetTraceOn(FALSE);
    return DIRECTIVE_NEXT;
  }
  if (text == ".getresponse(on)" || text == ".getresponse(off)") {
    m_Sink.SetGetResponse(text == ".getresponse(on)" ? TRUE : FALSE);
    return DIRECTIVE_NEXT;
  }
  if (text == ".info") {
    ShowInfo();
    return DIRECTIVE_NEXT;
  }
  if (Contains(text, ".start_duration")) {
    m_bDurationStarted = TRUE;
    m_lStartTime = CTVRProcessClock::Now();
    return DIRECTIVE_NEXT;
  }
  if (Contains(text, ".stop_duration")) {
    m_lStopTime = CTVRProcessClock::Now();
    m_bDurationStopped = TRUE;
    return DIRECTIVE_NEXT;
  }
  if (Contains(text, ".display_duration")) {
    DisplayDuration();
    return DIRECTIVE_NEXT;
  }
  if (Contains(text, ".t(0)")) {
    // Only switches the delay off: the value stays for the next ".t(".
    m_Sink.GetDelayOptions().m_bCommandDelay = FALSE;
    return DIRECTIVE_NEXT;
  }
  if (Contains(text, ".t(")) {
    SetCommandDelay(text);
    return DIRECTIVE_NEXT;
  }
  if (Contains(text, ".config(")) return Config(text);
  if (Contains(text, ".write(")) return Write(text);
  if (Contains(text, ".read(")) return Read(text);
  if (Contains(text, ".escape(")) return Escape(text);
  if (Contains(text, ".3des(") && m_Sink.GetCrypto() != nullptr) return TripleDes(text);
  if (Contains(text, ".clear")) {
    // Written whatever the trace setting: the user asked for an empty view.
    m_Sink.NotifyMessage(nullptr, 0, TRACE_CLEAR);
    return DIRECTIVE_NEXT;
  }
  return DIRECTIVE_UNKNOWN;
}

int CTVRInterpreter::SendCurrentCommand() {
  if (m_LineStore.GetCurrentLine() < 0) m_LineStore.SetCurrentLine(0);
  if (m_LineStore.GetCurrentLine() >= m_LineStore.GetLineCount()) {
    m_Sink.OnRunEnded();
    return 0;
  }
  m_Sink.OnStatementStarted();

  EchoComments();
  const int firstLine = m_LineStore.GetCurrentLine();
  const CStatement& statement = ReadStatement();
  switch (statement.m_eKind) {
    case STATEMENT_TOO_SHORT:
      return 0;
    case STATEMENT_BYTES:
    case STATEMENT_TOO_MANY:
      SendBytes(statement);
      return 1;
    case STATEMENT_EXPECTATION:
      m_Sink.CheckExpectation(statement.m_Expectation, firstLine);
      m_Sink.EndCommand();
      return 1;
    case STATEMENT_DIRECTIVE:
      break;
  }

  // The directive runs on a copy in the reused buffer, taken for this
  // statement and given back at the end: a statement that starts another
  // one inside (a board that answers at once) finds it empty and uses a
  // buffer of its own, and may read statements anew.
  std::string text = std::move(m_strStatement);
  struct GiveBack {
    std::string& m_strText;
    std::string& m_strBuffer;
    ~GiveBack() {
      if (m_strText.capacity() <= kKeptStatementCapacity) m_strBuffer = std::move(m_strText);
    }
  } giveBack{text, m_strStatement};
  text = statement.m_strDirective;
  switch (RunDirective(text)) {
    case DIRECTIVE_NEXT:
      m_Sink.EndCommand();
      return 1;
    case DIRECTIVE_ANSWER:
      return 1;
    case DIRECTIVE_UNKNOWN:
      return 0;
  }
  return 0;
}
