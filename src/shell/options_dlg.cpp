#include "options_dlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "board_view.h"
#include "dialog_buttons.h"

CTVROptionsDlg::CTVROptionsDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Options"));
  m_pRecordLimit = new QSpinBox(this);
  m_pRecordLimit->setRange(int(CTVRBoardView::MIN_RECORD_LIMIT), int(CTVRBoardView::MAX_RECORD_LIMIT));
  m_pRecordLimit->setSingleStep(100000);
  m_pRecordLimit->setGroupSeparatorShown(true);
  m_pRecordLimit->setValue(int(CTVRBoardView::GetStoredRecordLimit()));
  auto* pNote = new QLabel(QStringLiteral("Older records leave the pane; Save Log still writes\n"
                                          "the whole trace since the last Clear."),
                           this);

  auto* pForm = new QFormLayout;
  pForm->addRow(QStringLiteral("Records in the trace pane :"), m_pRecordLimit);
  QDialogButtonBox* pButtons = TVROkCancelButtons(this);

  auto* pLayout = new QVBoxLayout(this);
  pLayout->addLayout(pForm);
  pLayout->addWidget(pNote);
  pLayout->addWidget(pButtons);
}

void CTVROptionsDlg::accept() {
  CTVRBoardView::StoreRecordLimit(std::size_t(m_pRecordLimit->value()));
  QDialog::accept();
}
