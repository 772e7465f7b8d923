// A bare window with a reader's two panes, the script editor above the trace,
// over a test board document: what the widget tests of the desktop shell
// drive with keys and the mouse (offscreen, QApplication).
#pragma once

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QSplitter>
#include <QTest>

#include "doc_fixture.h"
#include "document/board_doc_private.h"
#include "image_probe.h"
#include "shell/board_view.h"
#include "shell/script_view.h"

class CTVRViewFixture : public CTVRDocFixture {
 protected:
  void SetUp() override {
    CTVRDocFixture::SetUp();
    m_pWindow = std::make_unique<QSplitter>(Qt::Vertical);
    m_pScript = new CTVRScriptView(m_pDoc.get(), m_pWindow.get());
    m_pTrace = new CTVRBoardView(m_pDoc.get(), m_pWindow.get());
    m_pWindow->addWidget(m_pScript);
    m_pWindow->addWidget(m_pTrace);
    m_pWindow->resize(480, 420);
    m_pWindow->setSizes({200, 220});
    m_pWindow->show();
    m_pScript->setFocus();
    QApplication::processEvents();
  }

  void TearDown() override {
    m_pWindow.reset();
    CTVRDocFixture::TearDown();
  }

  // The script as the line store holds it.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    for (int i = 0; i < CTVRBoardDocPrivate::Of(*m_pDoc).GetLineCount(); ++i)
      lines.push_back(CTVRBoardDocPrivate::Of(*m_pDoc).GetLine(i));
    return lines;
  }

  // The centre of a character cell of the editor (column, line), in viewport coordinates.
  QPoint CellPoint(int column, int line) const {
    return QPoint(
        m_pScript->GetTextLeft() + column * m_pScript->GetCharWidth() + 1,
        (line - m_pScript->GetFirstVisibleLine()) * m_pScript->GetLineHeight() + m_pScript->GetLineHeight() / 2);
  }

  // A press at one point, a move with the button held, a release at another.
  void Drag(QWidget* pWidget, QPoint from, QPoint to) {
    QTest::mousePress(pWidget, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, to, pWidget->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pWidget, &move);
    QTest::mouseRelease(pWidget, Qt::LeftButton, {}, to);
  }

  // The hue family of a pixel of text drawn in one of the pane colours on
  // white: antialiasing blends the colour towards white but keeps its family.
  enum EHue { HUE_NONE, HUE_BLACK, HUE_PURPLE, HUE_BLUE, HUE_GREEN, HUE_RED };
  static EHue Hue(QColor c) {
    const int r = c.red(), g = c.green(), b = c.blue();
    if (r < 60 && g < 60 && b < 60) return HUE_BLACK;
    if (std::abs(r - b) <= 30 && r - g > 30) return HUE_PURPLE;
    if (std::abs(r - g) <= 30 && b - r > 30) return HUE_BLUE;
    if (std::abs(r - b) <= 30 && g - r > 30) return HUE_GREEN;
    if (std::abs(g - b) <= 30 && r - g > 30) return HUE_RED;
    return HUE_NONE;
  }

  std::unique_ptr<QSplitter> m_pWindow;
  CTVRScriptView* m_pScript = nullptr;
  CTVRBoardView* m_pTrace = nullptr;
};
