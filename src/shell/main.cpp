// The desktop program: the main window over the same core and plug-ins as the
// runner.
#include <QApplication>

#include "app.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  CTVRApp app;
  if (!app.InitInstance()) return 1;
  int rc = QApplication::exec();
  app.ExitInstance();
  return rc;
}
