// The desktop program on a real 1280 x 800 display (Xvfb in the test run),
// started as a person starts it the first time: no settings, the plug-ins of
// the run folder, a simulated reader made from File > Available docs. What
// only a real display shows is checked, and the screen is grabbed into a PNG:
// - the keyboard's lock state is read from the display;
// - at once: no toolbar hides buttons behind its overflow arrow, the reader's
//   window lies inside the work area, the card bar shows the answer to reset whole.
// The picture shows the first script run with the Verta protocol up to a
// breakpoint (the margin's marks and the trace's colours are checked
// offscreen: ScriptView.LinesAreDrawnInChunkColoursWithTheMarkersInTheMargin,
// BoardView.EachRecordKindIsPaintedInItsColour).
//
//   desktop_screenshot <hello.cmd> <out>   (from the run folder; writes out-panes.png)
#include <cstdio>
#include <string>

#include <QApplication>
#include <QMdiArea>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <tavric/doc_template.h>
#include <tavric/tavric.h>

#include "contract/host.h"
#include "document/board_doc_private.h"
#include "shell/app.h"
#include "shell/board_view.h"
#include "shell/card_params_bar.h"
#include "shell/child_frame.h"
#include "shell/lock_indicators.h"
#include "shell/main_frame.h"
#include "shell/script_view.h"
#include "test_context.h"

namespace {

int g_nFailures = 0;

void Check(const std::string& what, int found, int atLeast) {
  std::printf("%-28s %6d (at least %d)\n", what.c_str(), found, atLeast);
  g_nFailures += found < atLeast ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: desktop_screenshot <hello.cmd> <out>\n");
    return 2;
  }
  QTemporaryDir settings;
  qputenv("TAVRIC_SETTINGS", (settings.path() + "/first.ini").toLocal8Bit());
  QApplication application(argc, argv);
  Check("lock state from the display", CTVRLockIndicators::ReadDisplayState().has_value() ? 1 : 0, 1);
  CTVRTestContext context;
  CTVRApp app(context);
  if (!app.InitInstance()) return 3;
  CMainFrame& frame = *app.GetMainFrame();
  if (!QTest::qWaitForWindowExposed(&frame)) return 4;
  int index = -1;
  const auto& templates = context.Host().GetTemplates();
  for (std::size_t i = 0; i < templates.size(); ++i)
    if (std::string(templates[i]->GetDocClass()->m_lpszClassName) == "CTVRSimDoc") index = int(i);
  // A new simulated reader in its window, with the Verta protocol and the
  // script, connected, placed where the picture shows it whole.
  if (index < 0) return 3;
  frame.OnCommand(33768 + tvr::UINT(index));
  CTVRChildFrame* pFirst = frame.FindFrame(frame.GetActiveDocument());
  if (pFirst == nullptr || !QTest::qWaitFor([&] { return pFirst->isVisible(); })) return 3;
  CTVRBoardDoc* pDoc = pFirst->GetDocument();
  CTVRBoardDocPrivate::Of(*pDoc).SelectProtocol("Verta", 0);
  if (pDoc->GetProtocol() == nullptr || !CTVRBoardDocPrivate::Of(*pDoc).OnOpenDocument(argv[1])) return 3;
  pFirst->UpdateTitle();
  pFirst->setGeometry(0, 0, 760, 560);
  frame.GetMdiArea()->setActiveSubWindow(pFirst);
  frame.OnCommand(ID_READER_CONNECT);
  if (!pDoc->IsConnected()) return 3;
  for (QToolBar* pBar : frame.findChildren<QToolBar*>()) {
    auto* pArrow = pBar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
    Check("toolbar whole: " + pBar->windowTitle().toStdString(), pArrow != nullptr && pArrow->isVisible() ? 0 : 1, 1);
  }
  const QRect area(QPoint(0, 0), frame.GetMdiArea()->viewport()->size());
  Check("reader inside the work area", area.contains(pFirst->geometry()) ? 1 : 0, 1);

  // A breakpoint on the READ BINARY line; the run halts before it.
  auto* pScript = static_cast<CTVRScriptView*>(pFirst->GetScriptPane());
  auto* pTrace = static_cast<CTVRBoardView*>(pFirst->GetTracePane());
  int breakpoint = -1;
  for (int line = 0; line < CTVRBoardDocPrivate::Of(*pDoc).GetLineCount(); ++line)
    if (CTVRBoardDocPrivate::Of(*pDoc).GetLine(line).rfind("00 B0", 0) == 0) breakpoint = line;
  if (breakpoint < 0) return 3;
  pScript->SetSelection({0, breakpoint}, {0, breakpoint});
  pScript->DoCommand(CTVRScriptView::ID_INSERT_BREAKPOINT);
  frame.OnCommand(ID_SCRIPT_START);
  if (!QTest::qWaitFor([&] { return !pDoc->IsRunning(); }, 10000)) return 3;
  pScript->SetSelection({0, 5}, {9, 6});  // for the picture: the selection's colours
  pScript->setFocus();
  pScript->FlushFrame();
  pTrace->FlushFrame();
  QApplication::processEvents();
  // The card's answer to reset, its historical bytes over three lines, shows whole.
  Check("card bar whole", frame.GetCardParamsBar()->GetTree()->horizontalScrollBar()->isVisible() ? 0 : 1, 1);
  const QImage panes = frame.screen()->grabWindow(0).toImage();
  if (panes.isNull() || !panes.save(QString::fromLocal8Bit(argv[2]) + "-panes.png")) return 5;
  std::printf("screenshot in %s-panes.png\n", argv[2]);
  frame.close();
  app.ExitInstance();
  return g_nFailures == 0 ? 0 : 1;
}
