// Every test binary runs inside a QCoreApplication (the named messages need the
// UI thread's event loop) with a private settings file, no display, and the
// build's run folder and test plug-ins at hand. Widget tests are built with
// TAVRIC_TEST_WIDGETS and get a QApplication instead.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#ifdef TAVRIC_TEST_WIDGETS
#include <QApplication>
using CTestApplication = QApplication;
#else
#include <QCoreApplication>
using CTestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
  QTemporaryDir settingsDir;
  qputenv("TAVRIC_SETTINGS", (settingsDir.path() + "/Tavric.ini").toLocal8Bit());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("TAVRIC_RUN_DIR")) qputenv("TAVRIC_RUN_DIR", TAVRIC_TEST_RUN_DIR);
  if (qEnvironmentVariableIsEmpty("TAVRIC_TEST_PLUGINS")) qputenv("TAVRIC_TEST_PLUGINS", TAVRIC_TEST_PLUGIN_DIR);
  CTestApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
