// The script interpreter of a reader document: SendCurrentCommand executes the
// statement at the line store's current line, sending its bytes or carrying
// out its directive. It keeps the few values directives leave behind (the
// ".info" counter, the duration marks, the pending escape answer) and reaches
// its document only through CTVRInterpreterSink, so it can be driven alone.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <tavric/types.h>

#include "decode/expectation.h"
#include "document/line_store.h"

class CTVRInterpreterSink;

class CTVRInterpreter {
 public:
  CTVRInterpreter(CTVRLineStore& lines, CTVRInterpreterSink& sink);

  // A new document: the counter at 0, no duration started or stopped.
  void Reset();

  // 1 when the statement was executed (sent, or a directive carried out or
  // refused with its message); 0 when the script has ended, the statement is
  // too short or the directive is unknown.
  int SendCurrentCommand();
  // The expectations on the lines right after the statement that just ended,
  // checked at once rather than a statement each, as far as they were read
  // before: a loop's checks then cost little more than the checks. The current
  // line moves past each one checked. Stops before a line that is not the
  // start of an expectation already read, a breakpoint, the end of the script,
  // and after a mismatch that pauses or stops the run.
  void CheckExpectationsAhead();
  // The expectations read ahead after a statement, as one row.
  struct CExpectationRow {
    std::vector<const CTVRExpectation*> m_Expectations;
    bool m_bBoundsTime = false;  // one of them is a bound on the round trip (.expect_time)
  };
  // Those expectations as a row that can be checked at once: read ahead since
  // the last edit, right after the statement that ended last, none on a line
  // with a breakpoint; null otherwise. When the document found each one met,
  // PassExpectationsAhead moves the current line past them all.
  const CExpectationRow* ExpectationsAhead() {
    // A loop's rounds after the first: nothing to read or look up again.
    const CStatement* const last = m_pLastRead;
    if (last != nullptr && last->m_bAheadRead && m_nStatementsEditCount == m_LineStore.GetEditCount() &&
        m_LineStore.GetCurrentLine() == last->m_nNextLine &&
        last->m_nAheadBreakpointSerial == m_LineStore.GetBreakpointSerial())
      return last->m_bAheadBreakpoint || last->m_Ahead.empty() ? nullptr : &last->m_Row;
    return ReadExpectationsAhead();
  }
  void PassExpectationsAhead() { m_LineStore.SetCurrentLine(m_pLastRead->m_Ahead.back()->m_nNextLine); }

  int GetLoopCounter() const { return m_nLoopCounter; }
  void SetLoopCounter(int count) { m_nLoopCounter = count; }
  tvr::BOOL IsDurationStarted() const { return m_bDurationStarted; }
  tvr::BOOL IsDurationStopped() const { return m_bDurationStopped; }
  // Set by ".escape"; the answer decoder reads and clears it.
  tvr::BOOL IsEscapeAnswerExpected() const { return m_bEscapeAnswerExpected; }
  void SetEscapeAnswerExpected(tvr::BOOL expected) { m_bEscapeAnswerExpected = expected; }

 private:
  // What a directive leaves to do after its effect.
  enum EDirectiveEnd {
    DIRECTIVE_NEXT,     // completed at once: the run goes on with the next statement
    DIRECTIVE_ANSWER,   // the board's answer ends the command
    DIRECTIVE_UNKNOWN,  // nothing done, the run waits for Stop
  };

  void EchoComments();
  // The comment lines above the current line, echoed once no statement ends
  // right before it.
  void EchoCommentLines(int current);
  void AssembleStatement(std::string& text);
  EDirectiveEnd RunDirective(const std::string& text);
  void RefuseExpectation(const std::string& directive);
  void SetMismatchAction(const std::string& directive);
  void ShowInfo();
  void DisplayDuration();
  void SetCommandDelay(const std::string& text);
  EDirectiveEnd Config(const std::string& directive);
  EDirectiveEnd Write(const std::string& directive);
  EDirectiveEnd Read(const std::string& directive);
  EDirectiveEnd Escape(const std::string& directive);
  EDirectiveEnd TripleDes(const std::string& directive);

  CTVRLineStore& m_LineStore;
  CTVRInterpreterSink& m_Sink;
  int m_nLoopCounter = 0;  // ".info" directives since the last reset
  // What ".info" wrote last before its counter, for which script and second.
  struct CInfoHead {
    std::time_t m_Time = -1;
    std::string m_strPath;
    std::string m_strText;
  } m_InfoHead;
  tvr::BOOL m_bDurationStarted = FALSE;
  tvr::BOOL m_bDurationStopped = FALSE;
  long m_lStartTime = 0;  // process clock, milliseconds
  long m_lStopTime = 0;
  tvr::BOOL m_bEscapeAnswerExpected = FALSE;
  // The statement's text, kept between statements so that its memory is
  // reused rather than allocated for every statement of a run.
  std::string m_strStatement;

  // A statement as read from its lines: a loop runs the same statements again
  // and again, and reading them is most of the host's own work per statement.
  enum EStatementKind {
    STATEMENT_TOO_SHORT,    // nothing to run: the run stays running with nothing awaited
    STATEMENT_BYTES,        // its bytes, read
    STATEMENT_TOO_MANY,     // the first kMaxStatementBytes of more, said each time it runs
    STATEMENT_DIRECTIVE,    // its text in lower case
    STATEMENT_EXPECTATION,  // an expectation directive, read
  };
  struct CStatement {
    EStatementKind m_eKind = STATEMENT_TOO_SHORT;
    int m_nLine = 0;      // its first line
    int m_nNextLine = 0;  // the line after it
    std::string m_strDirective;
    std::vector<tvr::BYTE> m_Bytes;
    CTVRExpectation m_Expectation;
    // The expectations that follow it line after line, read the first time
    // it ends: CheckExpectationsAhead then finds them without a look-up each.
    bool m_bAheadRead = false;
    std::vector<const CStatement*> m_Ahead;
    CExpectationRow m_Row;  // theirs, in the same order
    // Whether a breakpoint is on one of them, as the line store's breakpoint
    // serial stood when looked at last.
    bool m_bAheadBreakpoint = false;
    std::uint64_t m_nAheadBreakpointSerial = ~std::uint64_t{0};
    // The statement read right after it the last time: a loop's next one.
    CStatement* m_pFollower = nullptr;
  };
  // The statement that ended last, with the expectations after it read
  // ahead, when it is the one just before the current line and has some.
  CStatement* LastWithAhead();
  // ExpectationsAhead's first look, or after a change.
  const CExpectationRow* ReadExpectationsAhead();
  // The statement at the current line, read or remembered; the current line
  // moves after it. Valid until the next call.
  const CStatement& ReadStatement();
  // ReadStatement's way when the statement is not the follower of the one
  // read last: looked up by its first line, or read.
  const CStatement& LookUpStatement();
  // The statement that begins on `line`, read or remembered, the current line
  // left as it was; null when reading it would empty the table.
  const CStatement* StatementAt(int line);
  void ReadInto(CStatement& statement);
  void SendBytes(const CStatement& statement);

  // What was read, by first line, while the line store's edit count stays
  // as it was. The table is emptied when it reaches kMaxRemembered entries,
  // which keeps a run's memory flat.
  static constexpr std::size_t kMaxRemembered = 1024;
  std::unordered_map<int, CStatement> m_Statements;
  std::uint64_t m_nStatementsEditCount = 0;
  // The statement read last, while the table holds it.
  CStatement* m_pLastRead = nullptr;
};
