// The desktop program: the main window over the same core and plug-ins as the
// runner.
#include <cstdio>
#include <cstring>

#include <QApplication>

#include "app.h"
#include "contract/host_context.h"
#include "tavric_version.h"

int main(int argc, char** argv) {
  // Answered before any window system is needed: works over ssh and in scripts.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::puts("tavric " TAVRIC_VERSION_TEXT);
    return 0;
  }
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
