// Every test binary runs inside a QCoreApplication (the named messages need the
// UI thread's event loop) with a private settings file, no display, and the
// build's run folder and test plug-ins at hand. Widget tests are built with
// TAVRIC_TEST_WIDGETS and get a QApplication instead.
#include <gtest/gtest.h>

#include "platform/dispatcher.h"

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
  // The message queue of tests that make no context of their own; a test's
  // context installs its own over it for its lifetime.
  CTVRDispatcher dispatcher;
  dispatcher.Install();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
