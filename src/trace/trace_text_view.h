// The core of a trace view: the whole view text with its colour runs, built
// from the document's trace records, and the view's own commands carried by
// records (clear, keep, save the log, save the log as). The desktop trace
// view shows what this keeps; the runner prints through the append callback.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include <tavric/document.h>
#include <tavric/trace_record.h>
#include <tavric/types.h>

class CTVRBoardDoc;

class CTVRTraceTextView : public CTVRView {
 public:
  using AppendCallback = std::function<void(const std::string& text, tvr::COLORREF colour)>;
  using ClearCallback = std::function<void()>;

  // A stretch of the view text in one colour.
  struct ColourRun {
    std::size_t m_nStart;
    std::size_t m_nLength;
    tvr::COLORREF m_crColour;
  };

  static constexpr const char* LOG_FILTER = "Log Files (*.log)|*.log|All Files (*.*)|*.*||";

  // Acts on hint 16 only, with the record passed as pHint.
  void OnUpdate(CTVRView* pSender, tvr::LPARAM lHint, void* pHint) override;
  // What hint 16 does with one record.
  void AppendRecord(const CTVRTraceRecord& record);

  const std::string& GetText() const { return m_strText; }
  const std::vector<ColourRun>& GetColourRuns() const { return m_runs; }

  // FALSE: the text is passed to the append callback and not kept (a headless
  // run streams its trace instead of holding all of it); the view text stays
  // empty, so keeping it or saving it gives nothing.
  void SetKeepText(bool keep) { m_bKeepText = keep; }

  // Called with every piece appended (the runner prints through it) and on clear.
  void SetAppendCallback(AppendCallback callback) { m_onAppend = std::move(callback); }
  void SetClearCallback(ClearCallback callback) { m_onClear = std::move(callback); }

  // The log file of a script: the first '.' of the path and the three
  // characters after it removed, then ".log" ("noname" gives "noname.log").
  static std::string GetLogFileName(const std::string& scriptPath);
  // Writes the view text to the file, replacing it; on failure says so in a
  // message box and returns FALSE.
  tvr::BOOL SaveLog(const std::string& path);

 private:
  CTVRBoardDoc* GetBoardDoc() const;
  std::string GetDefaultLogFileName() const;
  void Append(const std::string& text, tvr::COLORREF colour);

  std::string m_strText;
  std::vector<ColourRun> m_runs;
  std::string m_strPiece;  // reused from record to record
  bool m_bKeepText = true;
  AppendCallback m_onAppend;
  ClearCallback m_onClear;
};
