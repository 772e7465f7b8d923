// The desktop program: the main window over the same core and plug-ins as the
// runner.
#include <QApplication>

#include "app.h"
#include "contract/host_context.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // The program's one context; the plug-ins' free functions reach it until it goes.
  CTVRHostContext context;
  context.Install();
  CTVRApp app(context);
  if (!app.InitInstance()) return 1;
  int rc = QApplication::exec();
  app.ExitInstance();
  return rc;
}
