// The whole main window on a real display (Xvfb in the test run), as a person
// starts it: the program's application object with the plug-ins of the run
// folder, one simulated reader made from the File menu's board-type list,
// the Verta protocol, the endurance loop example, Connect, Loop and Start from
// the frame's commands. The screen is grabbed while the loop runs and looked
// at: the window must not be blank, the trace must show sent and received
// bytes, and Stop must be the enabled command.
//
//   main_window_screenshot <example.cmd> <out.png>   (from the run folder)
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>

#include <tavric/doc_template.h>
#include <tavric/tavric.h>

#include "contract/host.h"
#include "document/board_doc_private.h"
#include "image_probe.h"
#include "platform/dispatcher.h"
#include "shell/app.h"
#include "shell/board_view.h"
#include "shell/child_frame.h"
#include "shell/main_frame.h"
#include "test_context.h"

namespace {

int Colours(const QImage& image) {
  std::set<QRgb> colours;
  for (int y = 0; y < image.height(); y += 2)
    for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
  return int(colours.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: main_window_screenshot <script.cmd> <out.png>\n");
    return 2;
  }
  QTemporaryDir settings;
  qputenv("TAVRIC_SETTINGS", (settings.path() + "/shot.ini").toLocal8Bit());
  QApplication application(argc, argv);
  const std::string script = argv[1];
  const QString output = QString::fromLocal8Bit(argv[2]);

  CTVRTestContext context;
  CTVRApp app(context);
  if (!app.InitInstance()) return 3;
  CMainFrame& frame = *app.GetMainFrame();
  frame.setGeometry(0, 0, 1200, 760);
  if (!QTest::qWaitForWindowExposed(&frame)) return 4;

  // The simulated reader's entry in File > Available docs.
  int index = -1;
  const auto& templates = context.Host().GetTemplates();
  for (std::size_t i = 0; i < templates.size(); ++i)
    if (std::string(templates[i]->GetDocClass()->m_lpszClassName) == "CTVRSimDoc") index = int(i);
  if (index < 0) {
    std::fprintf(stderr, "main_window_screenshot: no simulated reader in %s\n", qPrintable(QDir::currentPath()));
    return 3;
  }
  frame.OnCommand(33768 + tvr::UINT(index));
  CTVRBoardDoc* pDoc = frame.GetActiveDocument();
  if (pDoc == nullptr) return 3;
  CTVRBoardDocPrivate::Of(*pDoc).SelectProtocol("Verta", 0);
  if (pDoc->GetProtocol() == nullptr || !CTVRBoardDocPrivate::Of(*pDoc).OnOpenDocument(script)) return 3;
  CTVRChildFrame* pChild = frame.FindFrame(pDoc);
  pChild->UpdateTitle();
  pChild->setGeometry(0, 0, 760, 560);
  frame.OnCommand(ID_READER_CONNECT);
  frame.OnCommand(ID_SCRIPT_LOOP);
  frame.OnCommand(ID_SCRIPT_START);
  // A few rounds, then the picture while the loop still runs.
  QTest::qWait(1500);
  frame.UpdateCommandStates();
  const bool running = pDoc->IsRunning() != FALSE;
  const bool stopEnabled = frame.GetAction(ID_SCRIPT_STOP)->isEnabled();
  const bool startEnabled = frame.GetAction(ID_SCRIPT_START)->isEnabled();
  const QImage image =
      frame.screen()->grabWindow(0, 0, 0, frame.frameGeometry().width(), frame.frameGeometry().height()).toImage();
  frame.OnCommand(ID_SCRIPT_STOP);
  if (image.isNull() || !image.save(output)) return 5;

  auto* pTrace = static_cast<CTVRBoardView*>(pChild->GetTracePane());
  const QRect trace(pTrace->viewport()->mapTo(&frame, QPoint(0, 0)), pTrace->viewport()->size());
  struct Check {
    const char* m_pszWhat;
    int m_nFound;
    int m_nAtLeast;
  };
  const Check checks[] = {
      {"colours on the window", Colours(image), 40},
      {"sent bytes (purple)", tvr_test::CountPixels(image, trace, QColor(128, 0, 128), 40), 1},
      {"received bytes (blue)", tvr_test::CountPixels(image, trace, QColor(0, 0, 255), 40), 1},
      {"running at the grab", running ? 1 : 0, 1},
      {"Stop enabled", stopEnabled ? 1 : 0, 1},
      {"Start disabled", startEnabled ? 0 : 1, 1},
  };
  int failures = 0;
  for (const Check& check : checks) {
    std::printf("%-24s %6d (at least %d)\n", check.m_pszWhat, check.m_nFound, check.m_nAtLeast);
    if (check.m_nFound < check.m_nAtLeast) ++failures;
  }
  std::printf("screenshot in %s\n", qPrintable(output));
  frame.close();
  app.ExitInstance();
  return failures == 0 ? 0 : 1;
}
