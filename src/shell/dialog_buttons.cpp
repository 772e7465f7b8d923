#include "dialog_buttons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

QDialogButtonBox* TVROkCancelButtons(QDialog* pDialog) {
  auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, pDialog);
  pButtons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&OK"));
  pButtons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Cancel"));
  QObject::connect(pButtons, &QDialogButtonBox::accepted, pDialog, &QDialog::accept);
  QObject::connect(pButtons, &QDialogButtonBox::rejected, pDialog, &QDialog::reject);
  return pButtons;
}
