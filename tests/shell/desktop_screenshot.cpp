// The desktop program on a real 1280 x 800 display (Xvfb in the test run),
// started as a person starts it the first time: no settings, the plug-ins of
// the run folder, a simulated reader made from File > Available docs. The
// screen is grabbed into PNGs and looked at three times:
// - at once: no toolbar hides buttons behind its overflow arrow, the reader's
//   window lies inside the work area with its caption "Sim1 - [noname]", and
//   the card bar is as wide as its lines;
// - the first script run with the Verta protocol up to a breakpoint, a
//   selection made: the editor shows the breakpoint, the next-statement mark
//   and the selection, the trace a coloured exchange;
// - a second reader running the second script in a loop: the window is not
//   blank, its trace shows sent and received bytes, Stop is the enabled
//   command and Start is not.
// The keyboard's lock state must be readable from the display.
//
//   desktop_screenshot <hello.cmd> <loop.cmd> <out>   (from the run folder; writes out-*.png)
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include <QApplication>
#include <QMdiArea>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <tavric/doc_template.h>
#include <tavric/tavric.h>

#include "contract/host.h"
#include "document/board_doc_private.h"
#include "image_probe.h"
#include "shell/app.h"
#include "shell/board_view.h"
#include "shell/card_params_bar.h"
#include "shell/child_frame.h"
#include "shell/lock_indicators.h"
#include "shell/main_frame.h"
#include "shell/script_view.h"
#include "test_context.h"
#include "trace/trace_log.h"

namespace {

int g_nFailures = 0;

void Check(const char* what, int found, int atLeast) {
  std::printf("%-28s %6d (at least %d)\n", what, found, atLeast);
  g_nFailures += found < atLeast ? 1 : 0;
}

QRect OnScreen(QWidget* pWidget) {
  return QRect(pWidget->mapToGlobal(QPoint(0, 0)), pWidget->size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: desktop_screenshot <hello.cmd> <loop.cmd> <out>\n");
    return 2;
  }
  QTemporaryDir settings;
  qputenv("TAVRIC_SETTINGS", (settings.path() + "/first.ini").toLocal8Bit());
  QApplication application(argc, argv);
  // The status bar's lock panes read the X server's keyboard; Xvfb has one.
  if (!CTVRLockIndicators::ReadDisplayState()) {
    std::fprintf(stderr, "desktop_screenshot: the X display gives no keyboard lock state\n");
    return 6;
  }
  CTVRTestContext context;
  CTVRApp app(context);
  if (!app.InitInstance()) return 3;
  CMainFrame& frame = *app.GetMainFrame();
  if (!QTest::qWaitForWindowExposed(&frame)) return 4;
  int index = -1;
  const auto& templates = context.Host().GetTemplates();
  for (std::size_t i = 0; i < templates.size(); ++i)
    if (std::string(templates[i]->GetDocClass()->m_lpszClassName) == "CTVRSimDoc") index = int(i);
  if (index < 0) return 3;
  // A new simulated reader in its window.
  auto newReader = [&]() -> CTVRChildFrame* {
    frame.OnCommand(33768 + tvr::UINT(index));
    CTVRChildFrame* pChild = frame.FindFrame(frame.GetActiveDocument());
    return pChild != nullptr && QTest::qWaitFor([&] { return pChild->isVisible(); }) ? pChild : nullptr;
  };
  // The reader with the Verta protocol and this script, connected, its window
  // placed where the picture shows it whole.
  auto load = [&](CTVRChildFrame* pChild, const char* script) {
    CTVRBoardDoc* pDoc = pChild->GetDocument();
    CTVRBoardDocPrivate::Of(*pDoc).SelectProtocol("Verta", 0);
    if (pDoc->GetProtocol() == nullptr || !CTVRBoardDocPrivate::Of(*pDoc).OnOpenDocument(script)) std::exit(3);
    pChild->UpdateTitle();
    pChild->setGeometry(0, 0, 760, 560);
    frame.GetMdiArea()->setActiveSubWindow(pChild);
    frame.OnCommand(ID_READER_CONNECT);
    if (!pDoc->IsConnected()) std::exit(3);
    return pDoc;
  };
  auto grab = [&](const char* name) {
    QApplication::processEvents();
    const QImage image = frame.screen()->grabWindow(0).toImage();
    if (image.isNull() || !image.save(QString::fromLocal8Bit(argv[3]) + "-" + name + ".png")) std::exit(5);
    return image;
  };

  CTVRChildFrame* pFirst = newReader();
  if (pFirst == nullptr) return 3;
  grab("first-start");
  for (QToolBar* pBar : frame.findChildren<QToolBar*>()) {
    auto* pArrow = pBar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
    Check(qPrintable("toolbar whole: " + pBar->windowTitle()), pArrow != nullptr && pArrow->isVisible() ? 0 : 1, 1);
  }
  const QRect area(QPoint(0, 0), frame.GetMdiArea()->viewport()->size());
  Check("reader inside the work area", area.contains(pFirst->geometry()) ? 1 : 0, 1);
  Check("caption Sim1 - [noname]", pFirst->windowTitle() == QStringLiteral("Sim1 - [noname]") ? 1 : 0, 1);
  CCardParamsBar* pBar = frame.GetCardParamsBar();
  Check("card bar pixels beyond its lines", pBar->width() - pBar->GetFittingWidth(), 0);

  // A breakpoint on the READ BINARY line; the run halts before it.
  CTVRChildFrame* pPanes = pFirst;
  CTVRBoardDoc* pDoc = load(pPanes, argv[1]);
  auto* pScript = static_cast<CTVRScriptView*>(pPanes->GetScriptPane());
  auto* pTrace = static_cast<CTVRBoardView*>(pPanes->GetTracePane());
  int breakpoint = -1;
  for (int line = 0; line < CTVRBoardDocPrivate::Of(*pDoc).GetLineCount(); ++line)
    if (CTVRBoardDocPrivate::Of(*pDoc).GetLine(line).rfind("00 B0", 0) == 0) breakpoint = line;
  if (breakpoint < 0) return 3;
  pScript->SetSelection({0, breakpoint}, {0, breakpoint});
  pScript->DoCommand(CTVRScriptView::ID_INSERT_BREAKPOINT);
  frame.OnCommand(ID_SCRIPT_START);
  if (!QTest::qWaitFor([&] { return !pDoc->IsRunning(); }, 10000)) return 3;
  pScript->SetSelection({0, 5}, {9, 6});  // to show the selection colours too
  pScript->setFocus();
  pScript->FlushFrame();
  pTrace->FlushFrame();
  const QImage panes = grab("panes");
  const QRect editor = OnScreen(pScript->viewport()), trace = OnScreen(pTrace->viewport());
  const int h = pScript->GetLineHeight();
  // The margin of the breakpoint line: the red marker under the yellow arrow.
  const QRect mark(editor.x(), editor.y() + (breakpoint - pScript->GetFirstVisibleLine()) * h, 20, h);
  Check("breakpoint", tvr_test::CountPixels(panes, mark, QColor(200, 0, 0), 8), 1);
  Check("next-statement mark", tvr_test::CountPixels(panes, mark, QColor(255, 224, 0), 8), 1);
  Check("selection", tvr_test::CountPixels(panes, editor, QColor(64, 64, 64), 0), 1);
  Check("sent bytes (purple)", tvr_test::CountPixels(panes, trace, QColor(128, 0, 128), 40), 1);
  Check("received bytes (blue)", tvr_test::CountPixels(panes, trace, QColor(0, 0, 255), 40), 1);
  Check("command names (black)", tvr_test::CountPixels(panes, trace, QColor(0, 0, 0), 30), 1);

  // A few rounds of the loop, then the picture while it still runs.
  CTVRChildFrame* pLoop = newReader();
  if (pLoop == nullptr) return 3;
  CTVRBoardDoc* pLoopDoc = load(pLoop, argv[2]);
  frame.OnCommand(ID_SCRIPT_LOOP);
  frame.OnCommand(ID_SCRIPT_START);
  Check("loop rounds traced",
        QTest::qWaitFor([&] { return CTVRBoardDocPrivate::Of(*pLoopDoc).GetTraceLog().GetCount() > 40; }, 10000), 1);
  frame.UpdateCommandStates();
  const bool running = pLoopDoc->IsRunning() != FALSE;
  const bool stopEnabled = frame.GetAction(ID_SCRIPT_STOP)->isEnabled();
  const bool startEnabled = frame.GetAction(ID_SCRIPT_START)->isEnabled();
  static_cast<CTVRBoardView*>(pLoop->GetTracePane())->FlushFrame();
  const QImage loop = grab("loop");
  frame.OnCommand(ID_SCRIPT_STOP);
  std::set<QRgb> colours;
  for (int y = 0; y < loop.height(); y += 2)
    for (int x = 0; x < loop.width(); x += 2) colours.insert(loop.pixel(x, y));
  const QRect loopTrace = OnScreen(pLoop->GetTracePane());
  Check("colours on the window", int(colours.size()), 40);
  Check("loop: sent bytes (purple)", tvr_test::CountPixels(loop, loopTrace, QColor(128, 0, 128), 40), 1);
  Check("loop: received bytes (blue)", tvr_test::CountPixels(loop, loopTrace, QColor(0, 0, 255), 40), 1);
  Check("running at the grab", running ? 1 : 0, 1);
  Check("Stop enabled", stopEnabled ? 1 : 0, 1);
  Check("Start disabled", startEnabled ? 0 : 1, 1);
  std::printf("screenshots in %s-*.png\n", argv[3]);
  frame.close();
  app.ExitInstance();
  return g_nFailures == 0 ? 0 : 1;
}
