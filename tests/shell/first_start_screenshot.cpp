// The program's first start on a 1280 x 800 display (Xvfb in the test run):
// no settings yet, the plug-ins of the run folder, then one simulated reader
// made from File > Available docs. The screen is grabbed into a PNG and the
// window is looked at: no toolbar may hide buttons behind its overflow arrow,
// the reader's window must lie inside the work area with its caption
// "Sim1 - [noname]", and the card bar must be as wide as its lines.
//
//   first_start_screenshot <out.png>   (from the run folder)
#include <cstdio>
#include <string>

#include <QApplication>
#include <QMdiArea>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <tavric/doc_template.h>

#include "contract/host_context.h"
#include "shell/app.h"
#include "shell/card_params_bar.h"
#include "shell/child_frame.h"
#include "shell/main_frame.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: first_start_screenshot <out.png>\n");
    return 2;
  }
  QTemporaryDir settings;
  qputenv("TAVRIC_SETTINGS", (settings.path() + "/first.ini").toLocal8Bit());
  QApplication application(argc, argv);
  CTVRHostContext context;
  context.Install();
  CTVRApp app(context);
  if (!app.InitInstance()) return 3;
  CMainFrame& frame = *app.GetMainFrame();
  if (!QTest::qWaitForWindowExposed(&frame)) return 4;

  int index = -1;
  const auto& templates = context.Host().GetTemplates();
  for (std::size_t i = 0; i < templates.size(); ++i)
    if (std::string(templates[i]->GetDocClass()->m_lpszClassName) == "CTVRSimDoc") index = int(i);
  if (index < 0) return 3;
  frame.OnCommand(33768 + tvr::UINT(index));
  CTVRChildFrame* pChild = frame.FindFrame(frame.GetActiveDocument());
  if (pChild == nullptr || !QTest::qWaitFor([&] { return pChild->isVisible(); })) return 3;
  QApplication::processEvents();
  const QImage image = frame.screen()->grabWindow(0).toImage();
  if (image.isNull() || !image.save(QString::fromLocal8Bit(argv[1]))) return 5;

  int failures = 0;
  for (QToolBar* pBar : frame.findChildren<QToolBar*>()) {
    auto* pArrow = pBar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
    const bool hides = pArrow != nullptr && pArrow->isVisible();
    std::printf("toolbar %-18s %s\n", qPrintable(pBar->windowTitle()), hides ? "HIDES BUTTONS" : "whole");
    failures += hides ? 1 : 0;
  }
  const QRect area(QPoint(0, 0), frame.GetMdiArea()->viewport()->size());
  const bool inside = area.contains(pChild->geometry());
  std::printf("reader window %dx%d in a work area of %dx%d: %s\n", pChild->width(), pChild->height(), area.width(),
              area.height(), inside ? "inside" : "CUT OFF");
  failures += inside ? 0 : 1;
  const bool caption = pChild->windowTitle() == QStringLiteral("Sim1 - [noname]");
  std::printf("caption \"%s\"\n", qPrintable(pChild->windowTitle()));
  failures += caption ? 0 : 1;
  CCardParamsBar* pBar = frame.GetCardParamsBar();
  const bool wide = pBar->width() >= pBar->GetFittingWidth();
  std::printf("card bar %d pixels for %d wanted\n", pBar->width(), pBar->GetFittingWidth());
  failures += wide ? 0 : 1;
  std::printf("screenshot in %s\n", argv[1]);
  frame.close();
  app.ExitInstance();
  return failures == 0 ? 0 : 1;
}
