// Runs against the simulated reader with a real protocol object: a reader
// document of the simulated board selects the protocol (its description files
// load from the test program's folder), connects, and runs a script whose
// answers come back through the named messages and the answer decoder.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tavric/protocol.h>
#include <tavric/trace_record.h>

#include "contract/host.h"
#include "decode/protocol_family.h"
#include "document/board_doc_private.h"
#include "platform/dispatcher.h"
#include "platform/user_prompts.h"
#include "sim_doc.h"
#include "test_context.h"
#include "trace/trace_log.h"
#include "trace_reader.h"

class CTVRProtocolRunFixture : public ::testing::Test {
 protected:
  void TearDown() override {
    m_pDoc.reset();
    RunQueue();
  }

  // A connected document of the simulated reader with this protocol selected.
  void Open(CTVRProtocol& protocol) {
    RunQueue();
    m_Context.Host().SetActiveDocument(nullptr);
    CTVRCardSlots& slots = m_Context.Host().GetCardSlots();
    for (BYTE slot = 0; slot < CTVRCardSlots::SLOT_COUNT; ++slot) slots.ClearAtr(slot);
    slots.SetMask(nullptr, 0, 0);
    const std::string folder = m_Context.GetProgramFolder();
    CTVRProtocolFamily::ForProtocol(protocol).LoadDescriptionFiles(
        protocol, [&](const std::string& name) { return folder + "/" + name; });
    m_pDoc = std::make_unique<CTVRSimDoc>();
    CTVRBoardDocPrivate::Of(*m_pDoc).SetHostContext(&m_Context);
    m_pDoc->OnNewDocument();
    CTVRBoardDocPrivate::Of(*m_pDoc).m_pProtocol = &protocol;
    m_Context.Host().SetActiveDocument(m_pDoc.get());
    CTVRBoardDocPrivate::Of(*m_pDoc).OnReaderConnect();
    ASSERT_TRUE(m_pDoc->IsConnected());
    RunQueue();
    m_nFirstRecord = CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().GetCount();
  }

  // Runs the script to its end (or until the run stops) in a script type.
  void Run(const std::vector<std::string>& script, EScriptType type = SCRIPT_COMMANDS) {
    CTVRBoardDocPrivate::Of(*m_pDoc).SetScriptLines(script);
    CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = type;
    m_nFirstRecord = CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().GetCount();
    CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStart();
    RunQueue();
  }

  static bool RunQueue(std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    return CTVRDispatcher::GetInstalled()->RunUntilIdle(timeout);
  }

  // The trace's text lines since the last Run: command names, decoded
  // answers and comments, with the prefixes the trace shows them with.
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& [kind, text] : tvr_test::TraceRecords(*m_pDoc, m_nFirstRecord)) {
      if (kind == TRACE_COMMAND_NAME) texts.push_back("PC -> IFD :" + text);
      if (kind == TRACE_ANSWER_TEXT) texts.push_back("IFD -> PC :" + text);
      if (kind == TRACE_COMMENT) texts.push_back(text);
    }
    return texts;
  }
  // The bytes of every answer received since the last Run.
  std::vector<std::vector<BYTE>> Received() const {
    std::vector<std::vector<BYTE>> frames;
    for (const std::string& text : tvr_test::TraceTexts(*m_pDoc, TRACE_RECEIVED, m_nFirstRecord))
      frames.emplace_back(text.begin(), text.end());
    return frames;
  }

  CTVRTestContext m_Context;
  CTVRPromptRecorder m_Prompts{m_Context};
  std::unique_ptr<CTVRSimDoc> m_pDoc;
  std::size_t m_nFirstRecord = 0;
};
