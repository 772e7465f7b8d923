#include "tshark.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace tvr_test {

std::string TsharkMissing() {
  if (QStandardPaths::findExecutable(QStringLiteral("tshark")).isEmpty())
    return "tshark is not installed (tools/setup.sh installs it)";
  return {};
}

std::vector<std::vector<std::string>> TsharkFields(const std::string& file, const std::vector<std::string>& fields) {
  QStringList args{"-r", QString::fromStdString(file), "-T", "fields", "-E", "separator=/t"};
  for (const std::string& field : fields) args << "-e" << QString::fromStdString(field);
  QProcess tshark;
  tshark.start(QStringLiteral("tshark"), args);
  std::vector<std::vector<std::string>> rows;
  if (!tshark.waitForFinished(60000) || tshark.exitStatus() != QProcess::NormalExit || tshark.exitCode() != 0)
    return rows;
  for (const QString& line : QString::fromUtf8(tshark.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
    std::vector<std::string> row;
    for (const QString& value : line.split('\t')) row.push_back(value.toStdString());
    row.resize(fields.size());
    rows.push_back(row);
  }
  return rows;
}

}  // namespace tvr_test
