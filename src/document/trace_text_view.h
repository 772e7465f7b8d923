// The trace view of the runner: the whole view text with its colour runs,
// built from the document's trace records. The runner prints through the
// append callback.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include <tavric/types.h>

#include "document/trace_view_base.h"

class CTVRTraceTextView : public CTVRTraceViewBase {
 public:
  using AppendCallback = std::function<void(const std::string& text, tvr::COLORREF colour)>;
  using ClearCallback = std::function<void()>;

  // A stretch of the view text in one colour.
  struct ColourRun {
    std::size_t m_nStart;
    std::size_t m_nLength;
    tvr::COLORREF m_crColour;
  };

  const std::string& GetText() const { return m_strText; }
  std::string GetWholeText() const override { return m_strText; }
  const std::vector<ColourRun>& GetColourRuns() const { return m_runs; }

  // FALSE: the text is passed to the append callback and not kept (a headless
  // run streams its trace instead of holding all of it); the view text stays
  // empty, so keeping it gives nothing, and saving it writes the spool.
  void SetKeepText(bool keep) { m_bKeepText = keep; }

  // Called with every piece appended (the runner prints through it) and on clear.
  void SetAppendCallback(AppendCallback callback) { m_onAppend = std::move(callback); }
  void SetClearCallback(ClearCallback callback) { m_onClear = std::move(callback); }

 protected:
  void OnAppendText(const CTVRTraceRecord& record, const std::string& text, tvr::COLORREF colour,
                    bool hexDisplay) override;
  void OnClearText() override;

 private:
  std::string m_strText;
  std::vector<ColourRun> m_runs;
  bool m_bKeepText = true;
  AppendCallback m_onAppend;
  ClearCallback m_onClear;
};
