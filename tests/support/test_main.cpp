// Every test binary runs inside a QCoreApplication (the named messages need the
// UI thread's event loop) with a private settings file, no display, and the
// build's run folder and test plug-ins at hand.
#include <gtest/gtest.h>

#include <memory>

#include <QCoreApplication>
#include <QTemporaryDir>

// Test binaries of widgets link test_support_widgets, whose definition makes
// the application a QApplication; the others run in a QCoreApplication.
QCoreApplication* TavricTestMakeApplication(int& argc, char** argv) __attribute__((weak));

int main(int argc, char** argv) {
  QTemporaryDir settingsDir;
  qputenv("TAVRIC_SETTINGS", (settingsDir.path() + "/Tavric.ini").toLocal8Bit());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("TAVRIC_RUN_DIR")) qputenv("TAVRIC_RUN_DIR", TAVRIC_TEST_RUN_DIR);
  if (qEnvironmentVariableIsEmpty("TAVRIC_TEST_PLUGINS")) qputenv("TAVRIC_TEST_PLUGINS", TAVRIC_TEST_PLUGIN_DIR);
  std::unique_ptr<QCoreApplication> app(TavricTestMakeApplication ? TavricTestMakeApplication(argc, argv)
                                                                  : new QCoreApplication(argc, argv));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
