// What every trace view does with the document's trace records (hint 16):
// the text of an appending record goes to the view in its colour, and the
// records that are commands of the view (clear, keep, save the log, save the
// log as) act on the view's whole text. How a view keeps its text is its own:
// as one string (the runner's view) or as lines indexed over the document's
// record store (the desktop trace pane). A view with a spool also keeps its
// text on disk as it grows, and saving the log writes the spool: all the text
// since the last clear, whatever the view itself still holds.
#pragma once

#include <cstdint>
#include <string>

#include <tavric/document.h>
#include <tavric/trace_record.h>
#include <tavric/types.h>

class CTVRBoardDoc;
class CTVRTraceSpool;

class CTVRTraceViewBase : public CTVRView {
 public:
  static constexpr const char* LOG_FILTER = "Log Files (*.log)|*.log|All Files (*.*)|*.*||";

  // Acts on hint 16 only, with the record passed as pHint.
  void OnUpdate(CTVRView* pSender, tvr::LPARAM lHint, void* pHint) override;
  // What hint 16 does with one record: the document says the round-trip
  // time of the record it is notifying (a timed answer's bytes).
  void AppendRecord(const CTVRTraceRecord& record);
  // The same with the record's time given (a record of the document's store,
  // shown again): nanoseconds, negative for none.
  void AppendRecord(const CTVRTraceRecord& record, std::int64_t roundTripNs);

  // The time column: off (the default), the text is as it always was; on,
  // answers show their round-trip time in the indent of their first line.
  void SetTiming(bool timing) { m_bTiming = timing; }
  bool IsTiming() const { return m_bTiming; }

  // The whole view text, lines ended as the records end them (CR LF).
  virtual std::string GetWholeText() const = 0;

  // Every piece appended goes to the spool too, a clear empties it, and saving
  // the log writes it (the caller keeps it; nullptr: the log is the view text).
  void SetSpool(CTVRTraceSpool* pSpool) { m_pSpool = pSpool; }
  CTVRTraceSpool* GetSpool() const { return m_pSpool; }

  // The log file of a script: the first '.' of the path and the three
  // characters after it removed, then ".log" ("noname" gives "noname.log").
  static std::string GetLogFileName(const std::string& scriptPath);
  // Writes the view text (the spool's, with one) to the file, replacing it in
  // one step; on failure says so in a message box and returns FALSE.
  tvr::BOOL SaveLog(const std::string& path);
  // The log file of the document's script.
  std::string GetDefaultLogFileName() const;

 protected:
  CTVRBoardDoc* GetBoardDoc() const;
  // An appending record's text, formatted in the display mode given.
  virtual void OnAppendText(const CTVRTraceRecord& record, const std::string& text, tvr::COLORREF colour,
                            bool hexDisplay) = 0;
  // Kind 5: the view text becomes empty.
  virtual void OnClearText() = 0;

 private:
  std::string m_strPiece;  // reused from record to record
  bool m_bTiming = false;
  CTVRTraceSpool* m_pSpool = nullptr;
};
