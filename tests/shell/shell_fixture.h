// The main window over the test's own host context, with board types of test
// boards registered for the test (they go with the context), and a prompt
// recorder in place of message boxes.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <tavric/doc_template.h>
#include <tavric/resources.h>

#include "platform/dispatcher.h"
#include "platform/user_prompts.h"
#include "shell/child_frame.h"
#include "shell/main_frame.h"
#include "test_board.h"
#include "test_context.h"

// Runs `action` on the modal dialog of type T once it is open (looked for
// every 10 ms), so a dialog opened from another one is found too.
template <class T = QDialog>
inline void OnNextModal(std::type_identity_t<std::function<void(T*)>> action) {
  auto* pTimer = new QTimer;
  QObject::connect(pTimer, &QTimer::timeout, [pTimer, action] {
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
      if (auto* pDialog = qobject_cast<T*>(pWidget); pDialog != nullptr && pWidget->isVisible()) {
        pTimer->stop();
        pTimer->deleteLater();
        action(pDialog);
        return;
      }
    }
  });
  pTimer->start(10);
}

class CTVRShellFixture : public ::testing::Test {
 protected:
  void TearDown() override {
    m_pFrame.reset();
    CTVRDispatcher::GetInstalled()->RunUntilIdle();
  }

  // A board type of test boards (of the class given) offered by New under this name.
  void AddBoardType(tvr::UINT nID, const std::string& name,
                    const CTVRRuntimeClass* pClass = TVR_RUNTIME_CLASS(CTVRTestBoard)) {
    RegisterDocStrings(nID, {name, name});
    m_Context.Host().AddTemplate(std::make_unique<CTVRDocTemplate>(nID, pClass));
  }

  // A new reader made by New, active; the first makes the board type "Alpha".
  CTVRTestBoard& NewReader() {
    if (m_Context.Host().GetTemplates().empty()) AddBoardType(6001, "Alpha");
    Frame().OnCommand(57600);
    QApplication::processEvents();  // the menus follow the activation
    auto* pDoc = dynamic_cast<CTVRTestBoard*>(Frame().GetActiveDocument());
    if (pDoc == nullptr) throw std::runtime_error("New made no reader");
    return *pDoc;
  }

  CMainFrame& Frame() {
    if (!m_pFrame) {
      m_pFrame = std::make_unique<CMainFrame>(m_Context);
      m_pFrame->resize(1000, 700);
      m_pFrame->show();
      QApplication::processEvents();
    }
    return *m_pFrame;
  }

  CTVRTestContext m_Context;
  CTVRPromptRecorder m_Prompts{m_Context};
  std::unique_ptr<CMainFrame> m_pFrame;
};
