#include "junit_check.h"

#include <cstdlib>

#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace tvr_test {

namespace {

QString ReaderScript() {
  const char* folder = std::getenv("TAVRIC_JUNIT_READER");
  return QString::fromLocal8Bit(folder != nullptr && *folder != '\0' ? folder : "/usr/local/lib/tavric-tests") +
         "/node_modules/junit2json/dist/esm/cli.js";
}

// Runs a program to its end: its exit code (-1 when it did not end), stdout and stderr.
int Run(const QString& program, const QStringList& args, QByteArray& out, QByteArray& err) {
  QProcess process;
  process.start(program, args);
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return -1;
  out = process.readAllStandardOutput();
  err = process.readAllStandardError();
  return process.exitCode();
}

}  // namespace

std::string JUnitReadersMissing() {
  if (QStandardPaths::findExecutable(QStringLiteral("xmllint")).isEmpty())
    return "xmllint is not installed (tools/setup.sh installs libxml2-utils)";
  if (QStandardPaths::findExecutable(QStringLiteral("node")).isEmpty())
    return "node is not installed (tools/setup.sh installs nodejs)";
  if (!QFileInfo::exists(ReaderScript()))
    return "junit2json is not installed: " + ReaderScript().toStdString() + " (tools/junit-reader.sh)";
  return {};
}

std::string JUnitSchemaErrors(const std::string& file) {
  QByteArray out, err;
  const int code = Run(QStringLiteral("xmllint"),
                       {"--noout", "--schema", QStringLiteral(TAVRIC_TEST_SOURCE_DIR "/tests/data/junit/junit-10.xsd"),
                        QString::fromStdString(file)},
                       out, err);
  return code == 0 ? std::string() : "xmllint (" + std::to_string(code) + "): " + err.toStdString();
}

QJsonObject JUnitAsJson(const std::string& file) {
  QByteArray out, err;
  if (Run(QStringLiteral("node"), {ReaderScript(), QString::fromStdString(file)}, out, err) != 0) return {};
  return QJsonDocument::fromJson(out).object();
}

}  // namespace tvr_test
