// Every test binary runs inside a QCoreApplication (the named messages need the
// UI thread's event loop) with a private settings file.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
  QTemporaryDir settingsDir;
  qputenv("TAVRIC_SETTINGS", (settingsDir.path() + "/Tavric.ini").toLocal8Bit());
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
