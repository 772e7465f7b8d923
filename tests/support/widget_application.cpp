// Makes the test application a QApplication, for the test binaries of widgets
// (linked as an object, so that it replaces the weak default of test_main).
#include <QApplication>

QCoreApplication* TavricTestMakeApplication(int& argc, char** argv) {
  return new QApplication(argc, argv);
}
