// The docked "Verdicts" bar: every mismatch of the active document's run
// (line, expected, received, time), newest last. A double-click on one asks
// for the editor's caret on its line. The main frame hands it the document's
// verdicts on its update tick; the list is rebuilt only when they changed.
#pragma once

#include <QDockWidget>

class QTreeWidget;
class QTreeWidgetItem;
class CTVRVerdictCounter;

class CVerdictsBar : public QDockWidget {
  Q_OBJECT

 public:
  explicit CVerdictsBar(QWidget* parent = nullptr);

  QTreeWidget* GetTree() const { return m_pTree; }
  // The verdicts listed, and how many of them had failed then.
  const CTVRVerdictCounter* GetShown() const { return m_pShown; }
  unsigned long long GetShownFailed() const { return m_nShownFailed; }
  // The header and four rows.
  int GetFittingHeight() const;
  // The verdicts to list (none: an empty list), of the run with this serial.
  void ShowVerdicts(const CTVRVerdictCounter* pVerdicts, unsigned long runSerial);

 signals:
  // A mismatch was double-clicked: its script line, from 1.
  void LineChosen(int line);

 private:
  void OnItemDoubleClicked(QTreeWidgetItem* pItem);

  QTreeWidget* m_pTree;
  const CTVRVerdictCounter* m_pShown = nullptr;
  unsigned long long m_nShownCount = 0;  // expectations counted when the list was built
  unsigned long m_nShownSerial = 0;
  unsigned long long m_nShownFailed = 0;
};
