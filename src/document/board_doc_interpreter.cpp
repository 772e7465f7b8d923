// The script interpreter: SendCurrentCommand gathers the statement at the
// current line, strips its comments, turns quoted text into bytes, and either
// sends the bytes or executes the directive.
//
// Numbers in statements and directives are read as far as they are made of
// digits of their base: a token or pair that starts with anything else counts
// as 0 ("zz" gives 00, "1g" gives 01), and a bytes token gives the low eight
// bits of its value. No number is ever read past its own text.
#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include <tavric/board_doc.h>
#include <tavric/crypto.h>
#include <tavric/messages.h>
#include <tavric/prompts.h>
#include <tavric/protocol.h>
#include <tavric/trace_record.h>

#include "decode/protocol_family.h"
#include "document/interpreter_texts.h"
#include "document/script_text.h"
#include "platform/hex_text.h"
#include "platform/process_clock.h"

namespace texts = tvr_interpreter_texts;
using tvr_script::IsBlank;

namespace {

constexpr std::size_t kMaxStatementBytes = 300;
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
BYTE TokenByte(const std::string& token) {
  if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X') &&
      CTVRHexText::DigitValue(token[2]) >= 0) {
    return BYTE(CTVRHexText::LeadingValue(token.substr(2)));
  }
  return BYTE(CTVRHexText::LeadingValue(token));
}

// Two characters per byte; an odd last character is dropped or, with
// oddLastOwnByte, stands for a byte of its own.
std::vector<BYTE> PairBytes(const std::string& digits, bool oddLastOwnByte) {
  std::vector<BYTE> bytes;
  bytes.reserve(digits.size() / 2 + 1);
  std::size_t i = 0;
  for (; i + 1 < digits.size(); i += 2) bytes.push_back(BYTE(CTVRHexText::LeadingValue(digits.substr(i, 2))));
  if (i < digits.size() && oddLastOwnByte) bytes.push_back(BYTE(CTVRHexText::LeadingValue(digits.substr(i, 1))));
  return bytes;
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

// What a directive leaves to do after its effect.
enum EDirectiveEnd {
  DIRECTIVE_NEXT,     // completed at once: the run goes on with the next statement
  DIRECTIVE_ANSWER,   // the board's answer ends the command
  DIRECTIVE_UNKNOWN,  // nothing done, the run waits for Stop
};

// The comment and empty lines between the previous statement and this one go
// to the trace ahead of the statement's frame.
void EchoComments(CTVRBoardDoc& doc) {
  std::vector<int> echoed;
  std::size_t total = 0;
  for (int line = doc.m_nCurrentLine == 0 ? 0 : doc.m_nCurrentLine - 1; line >= 0; --line) {
    if (doc.GetLineState(line) & LINE_END) break;
    echoed.push_back(line);
    total += std::size_t(doc.GetLineLength(line));
  }
  if (total == 0 || !doc.m_bTraceOn) return;

  std::string text;
  for (auto it = echoed.rbegin(); it != echoed.rend(); ++it) text += doc.GetLine(*it) + "\r\n";
  doc.NotifyMessage(text, TRACE_COMMENT);
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
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve((close - open) * 3);
  for (std::size_t i = open + 1; i < close; ++i) {
    const BYTE b = BYTE(text[i]);
    hex += kDigits[b >> 4];
    hex += kDigits[b & 0x0F];
    hex += ' ';
  }
  text.replace(open, close - open + 1, hex);
  scanned = open + hex.size();
  open = std::string::npos;
}

// Joins the statement's lines and leaves the current line after the statement.
std::string AssembleStatement(CTVRBoardDoc& doc) {
  std::string text;
  std::size_t quoteScanned = 0;
  std::size_t quoteOpen = std::string::npos;
  const int count = doc.GetLineCount();
  DWORD state = 0;
  do {
    // The comment marks of the earlier lines are gone already: only the added
    // line can hold one.
    const std::size_t added = text.size();
    text += ' ';
    text += doc.GetLine(doc.m_nCurrentLine);
    const auto slash = text.find('/', added);
    if (slash != std::string::npos) text.erase(slash);
    const auto star = text.find('*', added);
    if (star != std::string::npos) text.erase(star);
    ConvertQuotes(text, quoteScanned, quoteOpen);
    state = doc.GetLineState(doc.m_nCurrentLine);
    ++doc.m_nCurrentLine;
  } while (doc.m_nCurrentLine < count && !(state & LINE_END));
  return text;
}

void SendBytes(CTVRBoardDoc& doc, const std::string& text) {
  std::vector<BYTE> bytes;
  bytes.reserve(kMaxStatementBytes);
  bool tooMany = false;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i == text.size()) break;
    std::size_t end = i;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    if (bytes.size() == kMaxStatementBytes) {
      tooMany = true;
      break;
    }
    bytes.push_back(TokenByte(text.substr(i, end - i)));
    i = end;
  }
  if (tooMany) TVRMessageBox(texts::kTooManyBytes);
  doc.SendData(bytes.data(), DWORD(bytes.size()), doc.m_eScriptType);
}

void ShowInfo(CTVRBoardDoc& doc) {
  ++doc.m_nLoopCounter;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  char when[64] = "";
  if (localtime_r(&now, &local) == nullptr || asctime_r(&local, when) == nullptr) when[0] = '\0';
  std::string text = Format(texts::kInfoScriptFormat, doc.m_strScriptPath.c_str());
  text += Format(texts::kInfoTimeFormat, when);
  text += Format(texts::kInfoLoopFormat, doc.m_nLoopCounter);
  if (doc.m_bTraceOn) doc.NotifyMessage(text, TRACE_INFO);
}

void DisplayDuration(CTVRBoardDoc& doc) {
  if (doc.m_bDurationStarted && !doc.m_bDurationStopped) {
    TVRMessageBox(texts::kNoStopDuration);
  } else if (!doc.m_bDurationStarted && doc.m_bDurationStopped) {
    TVRMessageBox(texts::kNoStartDuration);
  } else if (!doc.m_bDurationStarted && !doc.m_bDurationStopped) {
    TVRMessageBox(texts::kNoDurations);
  } else {
    std::string text = texts::kDurationHeader;
    text += Format(texts::kDurationFormat, doc.m_lStopTime, doc.m_lStartTime, 1000,
                   double(doc.m_lStopTime - doc.m_lStartTime) / 1000.0);
    if (doc.m_bTraceOn) doc.NotifyMessage(text, TRACE_INFO);
  }
  doc.m_bDurationStarted = FALSE;
  doc.m_bDurationStopped = FALSE;
}

void SetCommandDelay(CTVRBoardDoc& doc, const std::string& text) {
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
  doc.m_DelayOptions.m_dwCommandDelay = LeadingDecimal(digits);
  doc.m_DelayOptions.m_bCommandDelay = TRUE;
}

// A one-byte code field; longer ones are reported and cut to their first two digits.
BYTE CodeField(std::string digits, const char* tooLong) {
  if (digits.size() > kMaxCodeDigits) {
    TVRMessageBox(tooLong);
    digits.resize(kMaxCodeDigits);
  }
  return BYTE(CTVRHexText::LeadingValue(digits));
}

EDirectiveEnd Config(CTVRBoardDoc& doc, const std::string& directive) {
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
    buffer = PairBytes(digits, false);
  }
  doc.Config(code, code1, buffer.empty() ? nullptr : buffer.data(), DWORD(buffer.size()));
  return DIRECTIVE_ANSWER;
}

EDirectiveEnd Write(CTVRBoardDoc& doc, const std::string& directive) {
  const std::string text = RemoveBlanks(directive);
  std::size_t open = 0;
  std::size_t close = 0;
  if (!FindParentheses(text, open, close)) {
    TVRMessageBox(texts::kWriteSyntax);
    return DIRECTIVE_NEXT;
  }
  std::vector<BYTE> buffer = PairBytes(Between(text, open, close), false);
  doc.Write(buffer.empty() ? nullptr : buffer.data(), DWORD(buffer.size()));
  return DIRECTIVE_ANSWER;
}

EDirectiveEnd Read(CTVRBoardDoc& doc, const std::string& directive) {
  const std::string text = RemoveBlanks(directive);
  std::size_t open = 0;
  std::size_t close = 0;
  if (!FindParentheses(text, open, close)) {
    TVRMessageBox(texts::kReadSyntax);
    return DIRECTIVE_NEXT;
  }
  doc.Read(LeadingDecimal(Between(text, open, close)));
  return DIRECTIVE_ANSWER;
}

EDirectiveEnd Escape(CTVRBoardDoc& doc, const std::string& directive) {
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
  if (doc.m_bTraceOn) doc.NotifyMessage(Format(texts::kEscapeCommandFormat, unsigned(code)), TRACE_COMMAND_NAME);
  if (comma != std::string::npos) {
    data = PairBytes(Between(text, comma, close), true);
    if (doc.m_bTraceOn) doc.NotifyMessage(data.data(), DWORD(data.size()), TRACE_SENT);
  }
  doc.Escape(code, data.empty() ? nullptr : data.data(), DWORD(data.size()));
  if (doc.m_bTraceOn) doc.NotifyMessage(texts::kEscapeAnswer, TRACE_ANSWER_TEXT);
  doc.m_bEscapeAnswerExpected = TRUE;
  return DIRECTIVE_ANSWER;
}

// ".3des(cl,al,key)": two hexadecimal digits of challenge length, two of
// authenticate length and 32 of key, nothing more.
EDirectiveEnd TripleDes(CTVRBoardDoc& doc, const std::string& directive) {
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
  std::vector<BYTE> key = PairBytes(Between(text, comma2, close), false);

  doc.m_pCrypto->Set3desParameters(0, challengeLength, authenticateLength, key.data());
  // Tells the answer decoder to carry the exchange on when the challenge comes.
  doc.m_pCrypto->m_bAuthenticationPending = 1;

  // A GET CHALLENGE for that many bytes, sent as a one-off command outside the run.
  BYTE getChallenge[6] = {0x00, 0x00, 0x84, 0x00, 0x00, challengeLength};
  SendMessage(GetActiveBoard(), WM_COMMAND_TYPE, 1, 0);
  SendMessage(GetActiveBoard(), WM_SEND_COMMAND, WPARAM(getChallenge), 6);
  return DIRECTIVE_ANSWER;
}

// The directives, tested in this order; the first that matches runs.
EDirectiveEnd RunDirective(CTVRBoardDoc& doc, const std::string& text) {
  if (text == ".b") return DIRECTIVE_NEXT;  // the breakpoint bit came from classification
  if (text == ".rawdata") {
    doc.OnScriptRawdata();
    return DIRECTIVE_NEXT;
  }
  if (text == ".apdu") {
    doc.OnScriptApdu();
    return DIRECTIVE_NEXT;
  }
  if (text == ".command") {
    doc.OnScriptCommands();
    return DIRECTIVE_NEXT;
  }
  if (text == ".save") {
    doc.OnLogFileSave();
    return DIRECTIVE_NEXT;
  }
  if (text == ".loop") {
    if (!doc.m_bLoopMode) doc.m_nLoopCounter = 0;
    doc.m_bLoopMode = TRUE;
    return DIRECTIVE_NEXT;
  }
  if (text == ".trace(on)") {
    doc.m_bTraceOn = TRUE;
    return DIRECTIVE_NEXT;
  }
  if (text == ".trace(off)") {
    doc.m_bTraceOn = FALSE;
    return DIRECTIVE_NEXT;
  }
  if (text == ".info") {
    ShowInfo(doc);
    return DIRECTIVE_NEXT;
  }
  if (Contains(text, ".start_duration")) {
    doc.m_bDurationStarted = TRUE;
    doc.m_lStartTime = CTVRProcessClock::Now();
    return DIRECTIVE_NEXT;
  }
  if (Contains(text, ".stop_duration")) {
    doc.m_lStopTime = CTVRProcessClock::Now();
    doc.m_bDurationStopped = TRUE;
    return DIRECTIVE_NEXT;
  }
  if (Contains(text, ".display_duration")) {
    DisplayDuration(doc);
    return DIRECTIVE_NEXT;
  }
  if (Contains(text, ".t(0)")) {
    // Only switches the delay off: the value stays for the next ".t(".
    doc.m_DelayOptions.m_bCommandDelay = FALSE;
    return DIRECTIVE_NEXT;
  }
  if (Contains(text, ".t(")) {
    SetCommandDelay(doc, text);
    return DIRECTIVE_NEXT;
  }
  if (Contains(text, ".config(")) return Config(doc, text);
  if (Contains(text, ".write(")) return Write(doc, text);
  if (Contains(text, ".read(")) return Read(doc, text);
  if (Contains(text, ".escape(")) return Escape(doc, text);
  if (Contains(text, ".3des(") && doc.m_pCrypto != nullptr) return TripleDes(doc, text);
  if (Contains(text, ".clear")) {
    // Written whatever the trace setting: the user asked for an empty view.
    doc.NotifyMessage(nullptr, 0, TRACE_CLEAR);
    return DIRECTIVE_NEXT;
  }
  return DIRECTIVE_UNKNOWN;
}

}  // namespace

int CTVRBoardDoc::SendCurrentCommand() {
  if (m_nCurrentLine < 0) m_nCurrentLine = 0;
  if (m_nCurrentLine >= GetLineCount()) {
    m_bRunning = FALSE;
    return 0;
  }
  // Some protocols frame nothing: their scripts are always raw data.
  if (m_pProtocol != nullptr && CTVRProtocolFamily::ForMenuId(m_pProtocol->GetMenuId()).IsRawDataOnly())
    m_eScriptType = SCRIPT_RAWDATA;
  m_bRunning = TRUE;
  m_dwCommandType = 0;

  EchoComments(*this);
  std::string text = tvr_script::TrimLower(AssembleStatement(*this));

  // Too short to be anything (";" alone, or one character and ';'): the run
  // stays running with nothing awaited.
  if (text.size() < 2) return 0;
  if (text.back() == ';') {
    text.pop_back();
    while (!text.empty() && IsBlank(text.back())) text.pop_back();
    if (text.size() < 2) return 0;
  }

  if (!text.empty() && text[0] == '.') {
    switch (RunDirective(*this, text)) {
      case DIRECTIVE_NEXT:
        EndCommand();
        return 1;
      case DIRECTIVE_ANSWER:
        return 1;
      case DIRECTIVE_UNKNOWN:
        return 0;
    }
    return 0;
  }

  SendBytes(*this, text);
  return 1;
}
