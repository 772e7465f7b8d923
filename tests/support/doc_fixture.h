// A test fixture with its own host context, one test board as the active
// reader document, a prompt recorder in place of message boxes, and the test
// protocol selected.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/board_doc_private.h"
#include "platform/dispatcher.h"
#include "platform/user_prompts.h"
#include "test_board.h"
#include "test_context.h"
#include "test_protocol.h"

class CTVRDocFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    // Leftovers of an earlier test (timed posts, messages to dead windows)
    // must not reach this one's document.
    RunQueue();
    m_pDoc = NewBoard();
    m_Context.Host().SetActiveDocument(m_pDoc.get());
    UseProtocol(m_Protocol);
  }

  void TearDown() override {
    m_pDoc.reset();
    RunQueue();
  }

  // A fresh document of the fixture's context, as the New command makes one
  // (not made active).
  std::unique_ptr<CTVRTestBoard> NewBoard() {
    auto pDoc = std::make_unique<CTVRTestBoard>();
    CTVRBoardDocPrivate::Of(*pDoc).SetHostContext(&m_Context);
    pDoc->OnNewDocument();
    return pDoc;
  }

  // Selects the protocol without going through the host's registry, so the
  // test keeps ownership.
  void UseProtocol(CTVRTestProtocol& protocol) { CTVRBoardDocPrivate::Of(*m_pDoc).m_pProtocol = &protocol; }

  // Connected as after a successful Connect command.
  void MarkConnected() {
    CTVRBoardDocPrivate::Of(*m_pDoc).m_bConnected = TRUE;
    if (CTVRBoardDocPrivate::Of(*m_pDoc).m_pProtocol != nullptr)
      CTVRBoardDocPrivate::Of(*m_pDoc).m_pProtocol->SetConnected(TRUE);
  }

  // Replaces the script by these lines, classified as a loaded file is.
  void SetScript(const std::vector<std::string>& lines) { CTVRBoardDocPrivate::Of(*m_pDoc).SetScriptLines(lines); }

  // Handles every queued message, and those they post, until the queue is idle.
  static bool RunQueue(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    return CTVRDispatcher::GetInstalled()->RunUntilIdle(timeout);
  }

  HWND Window() { return m_pDoc->GetDummyWindow()->GetSafeHwnd(); }

  CTVRTestContext m_Context;
  CTVRPromptRecorder m_Prompts{m_Context};
  CTVRTestProtocol m_Protocol;
  std::unique_ptr<CTVRTestBoard> m_pDoc;
};
