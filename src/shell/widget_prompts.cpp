#include "widget_prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "crypto_settings_box.h"

namespace {

const QString kTitle = QStringLiteral("Tavric");

// "Script Files (*.cmd)|*.cmd|All Files (*.*)|*.*||" into Qt's ";;" form.
QString QtFilter(const std::string& filter) {
  QStringList parts = QString::fromLocal8Bit(filter.c_str()).split(QLatin1Char('|'), Qt::SkipEmptyParts);
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString name = parts[i];
    if (!name.contains(QLatin1Char('('))) name += QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
    out << name;
  }
  return out.join(QStringLiteral(";;"));
}

}  // namespace

void CTVRWidgetPrompts::MessageBox(const std::string& text) {
  QMessageBox::information(m_pParent, kTitle, QString::fromLocal8Bit(text.c_str()), QMessageBox::Ok);
}

tvr::BOOL CTVRWidgetPrompts::AskYesNo(const std::string& text) {
  return QMessageBox::question(m_pParent, kTitle, QString::fromLocal8Bit(text.c_str()),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

tvr::BOOL CTVRWidgetPrompts::AskYesNoWarning(const std::string& text) {
  return QMessageBox::warning(m_pParent, kTitle, QString::fromLocal8Bit(text.c_str()),
                              QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

CTVRUserPrompts::EAnswer CTVRWidgetPrompts::AskYesNoCancel(const std::string& text) {
  switch (QMessageBox::question(m_pParent, kTitle, QString::fromLocal8Bit(text.c_str()),
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
      return ANSWER_YES;
    case QMessageBox::No:
      return ANSWER_NO;
    default:
      // Closing the box is a Cancel, as on the desktop.
      return ANSWER_CANCEL;
  }
}

void CTVRWidgetPrompts::MessageBeep(tvr::UINT /*type*/) {
  QApplication::beep();
}

tvr::BOOL CTVRWidgetPrompts::AskSaveFileName(const std::string& /*defaultExt*/, const std::string& initialName,
                                             const std::string& filter, std::string& chosen) {
  QString path = QFileDialog::getSaveFileName(m_pParent, QStringLiteral("Save As"),
                                              QString::fromLocal8Bit(initialName.c_str()), QtFilter(filter));
  if (path.isEmpty()) return FALSE;
  chosen = path.toLocal8Bit().toStdString();
  return TRUE;
}

tvr::BOOL CTVRWidgetPrompts::AskOpenFileName(const std::string& /*defaultExt*/, const std::string& initialName,
                                             const std::string& filter, std::string& chosen) {
  QString path = QFileDialog::getOpenFileName(m_pParent, QStringLiteral("Open"),
                                              QString::fromLocal8Bit(initialName.c_str()), QtFilter(filter));
  if (path.isEmpty()) return FALSE;
  chosen = path.toLocal8Bit().toStdString();
  return TRUE;
}

tvr::BOOL CTVRWidgetPrompts::EditCryptoSettings(CTVRCryptoSettings& settings) {
  CTVRCryptoSettingsBox box(*this, settings, m_pParent);
  return box.exec() == QDialog::Accepted ? TRUE : FALSE;
}
