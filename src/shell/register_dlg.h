// The register management dialog: a reader's registers as a register
// parameter file describes them, one row each in two columns, read and
// written through the reader. Modeless, beside its document; "Close" hides
// it and Escape does not. The work is the register tool's (src/regtool); the
// dialog shows it and passes the user's choices on.
#pragma once

#include <memory>
#include <vector>

#include <QDialog>

#include "regtool/register_tool.h"

class QComboBox;
class QPushButton;
class CRegisterRow;

class CRegisterDlg : public QDialog {
  Q_OBJECT

 public:
  // Opens on the document's last register setting (the index beside the
  // program, or that of `folder` when one is given).
  explicit CRegisterDlg(CTVRBoardDoc& doc, QWidget* parent = nullptr, const std::string& folder = {});
  ~CRegisterDlg() override;

  CRegisterTool& GetTool() { return *m_pTool; }
  QComboBox* GetComboBox() const { return m_pCombo; }
  QPushButton* GetSequenceButton() const { return m_pSequence; }
  QPushButton* GetCloseButton() const { return m_pClose; }
  const std::vector<CRegisterRow*>& GetRows() const { return m_Rows; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void reject() override {}  // Escape does not close the dialog

 private:
  void MakeRows();
  void OnReadNext();

  std::unique_ptr<CRegisterTool> m_pTool;
  QComboBox* m_pCombo = nullptr;
  QPushButton* m_pSequence = nullptr;
  QPushButton* m_pClose = nullptr;
  std::vector<CRegisterRow*> m_Rows;
};
