// The trace pane of a reader: the document's trace records as coloured lines in
// the fixed-pitch font, read-only, growing at the end.
//
// The pane paints the visible lines straight from the document's record store
// (CTVRTraceLines); it keeps no text of its own. Records arrive one by one
// through the document's hint 16, as fast as a free run produces them; the
// pane takes note of each and repaints once per frame, so the run pays for
// the index, never for a repaint per record. While the pane shows the end of
// the trace it follows it; scrolled up, it stays where the user put it, and
// scrolled back to the end it follows again.
//
// The pane holds at most a set number of records (Tools > Options): past
// that the document lets go of the older half. All the text since the last
// clear is also spooled to a private file on disk as it arrives, so Save Log
// still writes the whole of it, and memory stays flat through a night's loop.
#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include <QAbstractScrollArea>
#include <QTimer>

#include <tavric/cmd_target.h>

#include "document/trace_lines.h"
#include "trace/frame_capture.h"
#include "trace/trace_spool.h"

class CTVRBoardDoc;
class QMenu;
class QPrinter;

class CTVRBoardView : public QAbstractScrollArea, public CTVRTraceLines, public CTVRCmdTarget {
  Q_OBJECT

 public:
  // Commands of the pane (its context menu and the frame's print commands).
  enum : tvr::UINT {
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_SELECT_ALL = 57642,
    ID_EDIT_UNDO = 57643,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_DIRECT = 57608,
    ID_FILE_PRINT_PREVIEW = 57609,
  };
  // Repaints are gathered for this long: about one frame.
  static constexpr int FRAME_MS = 16;
  // Printed margins: 720 twips, half an inch, on every side.
  static constexpr double PRINT_MARGIN_INCH = 0.5;
  // Records a pane holds unless the settings say otherwise, and the bounds
  // offered in Tools > Options.
  static constexpr std::size_t DEFAULT_RECORD_LIMIT = 1000000;
  static constexpr std::size_t MIN_RECORD_LIMIT = 1000;
  static constexpr std::size_t MAX_RECORD_LIMIT = 100000000;

  using Position = std::pair<std::size_t, std::size_t>;  // (line, column)

  explicit CTVRBoardView(CTVRBoardDoc* pDoc, QWidget* pParent = nullptr);
  ~CTVRBoardView() override;

  // Own commands first, then the document's (Clear All, Save Log, ...).
  tvr::BOOL OnCmdMsg(tvr::UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;

  void OnEditSelectAll();
  void OnEditCopy();
  void OnFilePrint();
  void OnFilePrintDirect();
  void OnFilePrintPreview();
  // Prints the whole view text, paginated, in the trace colours.
  void PrintTo(QPrinter& printer);

  // Selects the next occurrence of `text` after the selection's start (from the
  // top when nothing is selected) and scrolls to it; false when there is none.
  // Ctrl+F asks for the text, F3 looks for it again.
  bool FindNext(const std::string& text);

  // File > Export > pcapng: every frame since the pane opened, as a capture
  // Wireshark reads, written to the file the user names (the script's name
  // with ".pcapng" offered). False when cancelled or not written (said in a
  // message box, the file left as it was).
  static constexpr const char* PCAPNG_FILTER = "pcapng Files (*.pcapng)|*.pcapng|All Files (*.*)|*.*||";
  bool ExportPcapng();
  const CTVRFrameCapture& GetCapture() const { return m_Capture; }

  // The popup menu of a right click (the caller owns it).
  QMenu* CreateContextMenu();

  Position GetSelectionStart() const { return std::min(m_Anchor, m_Caret); }
  Position GetSelectionEnd() const { return std::max(m_Anchor, m_Caret); }
  bool HasSelection() const { return m_Anchor != m_Caret; }
  std::size_t GetFirstVisibleLine() const;
  std::size_t GetVisibleLineCount() const;
  int GetLineHeight() const { return m_nLineHeight; }
  int GetCharWidth() const { return m_nCharWidth; }
  // The most records the pane holds: past it the document drops the older
  // half of them (the spool keeps their text).
  void SetRecordLimit(std::size_t records);
  std::size_t GetRecordLimit() const { return m_nRecordLimit; }
  // The limit of the settings (Tools > Options), and storing a new one, which
  // every open pane takes at once.
  static std::size_t GetStoredRecordLimit();
  static void StoreRecordLimit(std::size_t records);
  // True while the pane follows the end of the trace.
  bool IsFollowingEnd() const { return m_bFollowEnd; }

  // Applies what arrived since the last frame now (tests, printing).
  void FlushFrame();
  // Repaints done (frames), for tests and the benchmark.
  std::size_t GetFrameCount() const { return m_nFrames; }
  // Something arrived that the next frame shows.
  bool IsFramePending() const { return m_FrameTimer.isActive(); }

 protected:
  void OnLinesChanged() override;
  void OnLinesDropped(std::size_t lines) override;
  void OnClearText() override;

  void paintEvent(QPaintEvent* pEvent) override;
  void resizeEvent(QResizeEvent* pEvent) override;
  void mousePressEvent(QMouseEvent* pEvent) override;
  void mouseMoveEvent(QMouseEvent* pEvent) override;
  void mouseReleaseEvent(QMouseEvent* pEvent) override;
  void keyPressEvent(QKeyEvent* pEvent) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  // The range and position of the scroll bars; the pane's own changes of
  // position never count as the user's.
  void UpdateScrollBars();
  void SetScrollValue(int value);
  void OnScrolled(int value);
  Position PositionAt(const QPoint& point);

  CTVRTraceSpool m_Spool;
  CTVRFrameCapture m_Capture;
  std::size_t m_nRecordLimit = DEFAULT_RECORD_LIMIT;
  bool m_bFollowEnd = true;
  bool m_bScrolling = false;  // the pane itself is moving the bar
  QTimer m_FrameTimer;
  int m_nCharWidth = 8;
  int m_nLineHeight = 13;
  Position m_Anchor{0, 0};
  Position m_Caret{0, 0};
  bool m_bDragging = false;
  std::size_t m_nFrames = 0;
  std::string m_strFind;
};
