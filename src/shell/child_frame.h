// The window of one reader document inside the main window: a splitter of two
// rows, the script editor above and the trace below. On its first size change
// the rows are shared out (editor h/2 - 10, trace h/2 + 10); a restored state
// wins over that rule.
#pragma once

#include <vector>

#include <QMdiSubWindow>

#include <tavric/types.h>

class CTVRBoardDoc;
class CTVRCmdTarget;
class QSplitter;
class QWidget;

class CTVRChildFrame : public QMdiSubWindow {
  Q_OBJECT

 public:
  // Heights and minimums of the two rows at creation, before any size is known.
  static constexpr int ROW0_IDEAL = 100;
  static constexpr int ROW0_MIN = 50;
  static constexpr int ROW1_IDEAL = 100;
  static constexpr int ROW1_MIN = 100;
  // Both minimums once the first size has been given.
  static constexpr int SIZED_MIN = 50;

  explicit CTVRChildFrame(CTVRBoardDoc* pDoc, QWidget* parent = nullptr);
  ~CTVRChildFrame() override;

  // The frame deletes its document when it goes (documents made by New).
  void SetOwnsDocument(bool owns) { m_bOwnsDocument = owns; }

  CTVRBoardDoc* GetDocument() const { return m_pDoc; }
  QSplitter* GetSplitter() const { return m_pSplitter; }
  QWidget* GetScriptPane() const;
  QWidget* GetTracePane() const;
  bool IsFirstSizePending() const { return m_bFirstSizePending; }

  // Current and minimum height of a row (0 editor, 1 trace).
  int GetRowHeight(int row) const;
  int GetRowMinimum(int row) const;
  // Applies stored rows and clears the first-size rule.
  void SetRows(int row0Cur, int row0Min, int row1Cur, int row1Min);

  // The document's caption, "<reader> - [<script>]".
  void UpdateTitle();

  // The pane that commands go to first: the one with the focus, or the one
  // that had it last (the script at first).
  CTVRCmdTarget* GetActiveView() const;

  // The window-placement record of the settings (CTVRWindowPlacement).
  std::vector<tvr::BYTE> GetPlacement() const;
  // FALSE, and nothing changed, for a record of another length.
  bool SetPlacement(const std::vector<tvr::BYTE>& placement);

 protected:
  // Closing by hand asks first: the save question for an edited script, then
  // the document's close question; either keeps the window.
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* pWatched, QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  CTVRBoardDoc* m_pDoc;
  QSplitter* m_pSplitter;
  bool m_bFirstSizePending = true;
  bool m_bOwnsDocument = false;
  // Where the window stands when neither minimised nor maximised.
  QRect m_NormalGeometry;
};
