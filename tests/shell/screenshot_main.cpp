// A reader's two panes on a real display (Xvfb in the test run): the example
// script against the simulated reader, run up to a breakpoint, so the editor
// shows its colours, the breakpoint and the next-statement mark, and the trace
// shows a coloured exchange. The screen is grabbed into a PNG and looked at:
// each marker and each trace colour must be on it. The keyboard's lock state
// must be readable from the display.
//
//   shell_screenshot <example.cmd> <out.png>   (from the run folder: plug-ins and data)
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>

#include <tavric/doc_template.h>
#include <tavric/tavric.h>

#include "contract/host.h"
#include "contract/plugin_loader.h"
#include "document/board_doc_private.h"
#include "image_probe.h"
#include "platform/dispatcher.h"
#include "platform/user_prompts.h"
#include "shell/board_view.h"
#include "shell/lock_indicators.h"
#include "shell/script_view.h"
#include "test_context.h"

namespace {

CTVRBoardDoc* NewSimDocument(CTVRHostContext& context) {
  for (auto& pTemplate : context.Host().GetTemplates()) {
    if (std::string(pTemplate->GetDocClass()->m_lpszClassName) == "CTVRSimDoc") return pTemplate->OpenNewDocument();
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: shell_screenshot <script.cmd> <out.png>\n");
    return 2;
  }
  QTemporaryDir settings;
  qputenv("TAVRIC_SETTINGS", (settings.path() + "/shot.ini").toLocal8Bit());
  QApplication app(argc, argv);
  const std::string script = argv[1];
  const QString output = QString::fromLocal8Bit(argv[2]);

  // The status bar's lock panes read the X server's keyboard; Xvfb has one.
  if (QGuiApplication::platformName() == QLatin1String("xcb") && !CTVRLockIndicators::ReadDisplayState()) {
    std::fprintf(stderr, "shell_screenshot: the X display gives no keyboard lock state\n");
    return 6;
  }
  CTVRTestContext context;
  CTVRPromptRecorder prompts{context};
  CTVRPluginLoader(context).LoadFolder(QDir::currentPath().toStdString());
  // The description files lie in the run folder too.
  context.Host().SetProgramFolder(QDir::currentPath().toStdString());
  CTVRBoardDoc* pDoc = NewSimDocument(context);
  if (pDoc == nullptr) {
    std::fprintf(stderr, "shell_screenshot: no simulated reader in %s\n", qPrintable(QDir::currentPath()));
    return 3;
  }
  context.Host().SetActiveDocument(pDoc);
  CTVRBoardDocPrivate::Of(*pDoc).SelectProtocol("Verta", 0);

  QSplitter window(Qt::Vertical);
  window.setWindowTitle(QStringLiteral("Sim1 - [hello.cmd]"));
  auto* pScript = new CTVRScriptView(pDoc, &window);
  auto* pTrace = new CTVRBoardView(pDoc, &window);
  window.resize(720, 520);
  window.setSizes({250, 270});
  window.move(0, 0);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 4;

  if (!CTVRBoardDocPrivate::Of(*pDoc).OnOpenDocument(script)) return 3;
  CTVRBoardDocPrivate::Of(*pDoc).OnReaderConnect();
  CTVRDispatcher::Instance().RunUntilIdle(std::chrono::seconds(5));
  // A breakpoint on the READ BINARY line; the run halts before it.
  int breakpoint = -1;
  for (int line = 0; line < CTVRBoardDocPrivate::Of(*pDoc).GetLineCount(); ++line)
    if (CTVRBoardDocPrivate::Of(*pDoc).GetLine(line).rfind("00 B0", 0) == 0) breakpoint = line;
  if (breakpoint < 0) return 3;
  pScript->SetSelection({0, breakpoint}, {0, breakpoint});
  pScript->DoCommand(CTVRScriptView::ID_INSERT_BREAKPOINT);
  CTVRBoardDocPrivate::Of(*pDoc).OnScriptStart();
  CTVRDispatcher::Instance().RunUntil([&] { return !pDoc->IsRunning(); }, std::chrono::seconds(10));
  CTVRDispatcher::Instance().RunUntilIdle(std::chrono::seconds(2));
  // Something selected, to show the selection colours too.
  pScript->SetSelection({0, 5}, {9, 6});
  pScript->setFocus();
  QTest::qWait(200);

  const QPixmap shot =
      window.screen()->grabWindow(0, 0, 0, window.frameGeometry().width(), window.frameGeometry().height());
  const QImage image = shot.toImage();
  if (!image.save(output)) return 5;

  // The margin of the breakpoint line: the red marker under the yellow arrow.
  const QPoint editor = pScript->viewport()->mapTo(&window, QPoint(0, 0));
  const int h = pScript->GetLineHeight();
  const QRect mark(editor.x(), editor.y() + (breakpoint - pScript->GetFirstVisibleLine()) * h, 20, h);
  const QPoint trace = pTrace->viewport()->mapTo(&window, QPoint(0, 0));
  const QRect traceRect(trace, pTrace->viewport()->size());
  struct Check {
    const char* m_pszWhat;
    QRect m_Rect;
    QColor m_Colour;
    int m_nTolerance;
  };
  const Check checks[] = {
      {"breakpoint", mark, QColor(200, 0, 0), 8},
      {"next-statement mark", mark, QColor(255, 224, 0), 8},
      {"selection", QRect(editor, pScript->viewport()->size()), QColor(64, 64, 64), 0},
      {"sent bytes (purple)", traceRect, QColor(128, 0, 128), 40},
      {"received bytes (blue)", traceRect, QColor(0, 0, 255), 40},
      {"command names (black)", traceRect, QColor(0, 0, 0), 30},
  };
  int failures = 0;
  for (const Check& check : checks) {
    const int found = tvr_test::CountPixels(image, check.m_Rect, check.m_Colour, check.m_nTolerance);
    std::printf("%-24s %5d pixels\n", check.m_pszWhat, found);
    if (found == 0) ++failures;
  }
  std::printf("next statement on line %d, breakpoint on line %d; screenshot in %s\n",
              CTVRBoardDocPrivate::Of(*pDoc).GetCurrentLine() + 1, breakpoint + 1, qPrintable(output));
  delete pScript;
  delete pTrace;
  delete pDoc;
  context.Host().Shutdown();
  return failures == 0 && pDoc != nullptr ? 0 : 1;
}
