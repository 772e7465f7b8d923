// Two independent readers of the JUnit reports the program writes: xmllint
// (Debian's libxml2-utils) against tests/data/junit/junit-10.xsd, and the npm
// package junit2json run by node (tools/junit-reader.sh installs it in
// /usr/local/lib/tavric-tests, or the folder TAVRIC_JUNIT_READER names).
#pragma once

#include <string>

#include <QJsonObject>

namespace tvr_test {

// Empty when both readers can be run; otherwise why not, for GTEST_SKIP.
std::string JUnitReadersMissing();
// xmllint's complaints about the file against the schema; empty when it is valid.
std::string JUnitSchemaErrors(const std::string& file);
// The report as junit2json reads it (the root: the testsuites element's
// attributes, and "testsuite", an array); empty when it could not be read.
QJsonObject JUnitAsJson(const std::string& file);

}  // namespace tvr_test
