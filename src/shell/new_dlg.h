// The New dialog: the board types to choose from, the first one selected.
#pragma once

#include <QDialog>

#include "contract/new_document_chooser.h"

class QListWidget;

class CTVRNewDlg : public QDialog {
  Q_OBJECT

 public:
  CTVRNewDlg(CTVRNewDocumentChooser& chooser, QWidget* parent = nullptr);

  QListWidget* GetList() const { return m_pList; }

  void accept() override;
  void reject() override;

 private:
  CTVRNewDocumentChooser& m_Chooser;
  QListWidget* m_pList;
};
