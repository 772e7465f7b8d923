// The Statistics window (View > "Statisti&cs..."): the round-trip times of
// the answers of a reader's script runs, per script line, over every round of
// a loop (count, min, mean, 95th percentile, max, as tavric-run --stats
// prints them), refreshed twice a second while it is open. It counts for the
// reader that was active when it opened; closing it stops the counting, Reset
// starts it over. Modeless.
#pragma once

#include <QDialog>

#include "document/round_trip_stats.h"

class CTVRBoardDoc;
class CTVRHostContext;
class QTableWidget;
class QTimer;

class CTVRStatisticsWnd : public QDialog {
  Q_OBJECT

 public:
  // Counts the answers of `doc`'s runs from now on.
  CTVRStatisticsWnd(CTVRHostContext& context, CTVRBoardDoc& doc, QWidget* parent = nullptr);
  ~CTVRStatisticsWnd() override;

  QTableWidget* GetTable() const { return m_pTable; }
  // Shows what has been counted.
  void Refresh();

 private:
  // The document, while it is still open (it may be closed before the window).
  CTVRBoardDoc* GetDocument() const;

  CTVRHostContext& m_Context;
  CTVRBoardDoc* m_pDoc;
  CTVRRoundTripStats m_Stats;
  QTableWidget* m_pTable = nullptr;
  QTimer* m_pTimer = nullptr;
};
