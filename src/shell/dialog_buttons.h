// The OK and Cancel buttons of the program's own dialogs, with their access
// letters, wired to accept and reject the dialog.
#pragma once

class QDialog;
class QDialogButtonBox;

QDialogButtonBox* TVROkCancelButtons(QDialog* pDialog);
