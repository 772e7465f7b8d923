#include "cli/junit_report.h"

#include <cstdio>

#include <QByteArray>
#include <QString>
#include <QXmlStreamWriter>

#include "decode/expectation_texts.h"
#include "document/verdict_cases.h"
#include "platform/file_writer.h"

namespace {

// XML 1.0 has no place for the other control characters a script line may hold.
QString Text(const std::string& text) {
  QString out = QString::fromUtf8(text.data(), qsizetype(text.size()));
  for (QChar& c : out)
    if (c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
      c = QChar(0xFFFD);
  return out;
}

QString Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", seconds);
  return QString::fromLatin1(text);
}

QString Count(unsigned long long n) {
  return QString::number(n);
}

}  // namespace

std::string CTVRJUnitReport::Xml() const {
  unsigned long long tests = 0, failures = 0, errors = 0;
  double seconds = 0;
  for (const CSuite& suite : m_Suites) {
    const unsigned long long error = suite.m_strError.empty() ? 0 : 1;
    tests += suite.m_pCases->GetCases().size() + error;
    failures += suite.m_pCases->GetFailedCount();
    errors += error;
    seconds += suite.m_dSeconds;
  }
  QByteArray bytes;
  QXmlStreamWriter xml(&bytes);
  xml.setAutoFormatting(true);
  xml.setAutoFormattingIndent(1);
  xml.writeStartDocument();
  xml.writeStartElement("testsuites");
  xml.writeAttribute("name", "tavric-run");
  xml.writeAttribute("tests", Count(tests));
  xml.writeAttribute("failures", Count(failures));
  xml.writeAttribute("errors", Count(errors));
  xml.writeAttribute("time", Seconds(seconds));
  for (const CSuite& suite : m_Suites) {
    const CTVRVerdictCases& cases = *suite.m_pCases;
    xml.writeStartElement("testsuite");
    xml.writeAttribute("name", Text(suite.m_strName));
    const unsigned long long error = suite.m_strError.empty() ? 0 : 1;
    xml.writeAttribute("tests", Count(cases.GetCases().size() + error));
    xml.writeAttribute("failures", Count(cases.GetFailedCount()));
    xml.writeAttribute("errors", Count(error));
    xml.writeAttribute("skipped", "0");
    xml.writeAttribute("time", Seconds(suite.m_dSeconds));
    xml.writeAttribute("timestamp", Text(suite.m_strTimestamp));
    for (const auto& [name, value] : suite.m_Properties)
      if (name == "host") xml.writeAttribute("hostname", Text(value));
    if (!suite.m_Properties.empty()) {
      xml.writeStartElement("properties");
      for (const auto& [name, value] : suite.m_Properties) {
        xml.writeEmptyElement("property");
        xml.writeAttribute("name", Text(name));
        xml.writeAttribute("value", Text(value));
      }
      xml.writeEndElement();
    }
    for (const auto& [line, entry] : cases.GetCases()) {
      xml.writeStartElement("testcase");
      xml.writeAttribute("name", Text(suite.m_strScript + ":" + std::to_string(line) + " " + entry.m_strStatement));
      xml.writeAttribute("classname", Text(suite.m_strName));
      xml.writeAttribute("time", Seconds(entry.m_dSeconds));
      xml.writeAttribute("assertions", Count(entry.m_nChecks));
      if (entry.m_nFailed != 0) {
        // The trace's own words for the mismatch, without the record's prefix.
        namespace texts = tvr_expectation_texts;
        const std::string message = std::string(texts::kMismatchLine + 1) + std::to_string(line) +
                                    texts::kMismatchExpected + entry.m_strExpected + texts::kMismatchReceived +
                                    entry.m_strReceived;
        xml.writeStartElement("failure");
        xml.writeAttribute("message", Text(message));
        xml.writeAttribute("type", "mismatch");
        xml.writeCharacters(Text("expected " + entry.m_strExpected + "\nreceived " + entry.m_strReceived + "\nfailed " +
                                 std::to_string(entry.m_nFailed) + " of " + std::to_string(entry.m_nChecks) +
                                 (entry.m_nChecks == 1 ? " check" : " checks") +
                                 (entry.m_nFailed > 1 ? " (the first shown)" : "") + "\n"));
        xml.writeEndElement();
      }
      xml.writeEndElement();
    }
    if (error != 0) {
      xml.writeStartElement("testcase");
      xml.writeAttribute("name", Text(suite.m_strScript + " (run)"));
      xml.writeAttribute("classname", Text(suite.m_strName));
      xml.writeAttribute("time", Seconds(suite.m_dErrorSeconds));
      xml.writeStartElement("error");
      xml.writeAttribute("message", Text(suite.m_strError));
      xml.writeAttribute("type", "run");
      xml.writeEndElement();
      xml.writeEndElement();
    }
    xml.writeEndElement();
  }
  xml.writeEndElement();
  xml.writeEndDocument();
  return bytes.toStdString() + "\n";
}

bool CTVRJUnitReport::Write(const std::string& path, std::string& reason) const {
  return CTVRFileWriter::WriteAll(path, Xml(), &reason);
}
