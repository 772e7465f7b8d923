// A connected simulated reader with the Verta protocol, its register tool
// opened on the shipped "SimulatedReader" file; answers come back through the
// named messages and the answer hook, as in the desktop program.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <tavric/trace_record.h>

#include "contract/host.h"
#include "document/board_doc_private.h"
#include "platform/dispatcher.h"
#include "platform/user_prompts.h"
#include "regtool/register_tool.h"
#include "sim_doc.h"
#include "test_context.h"
#include "trace_reader.h"
#include "verta_protocol.h"

class CSimReaderFixture : public ::testing::Test {
 protected:
  // Rows of RegPar/SimReader.par.
  enum ERow { LED, BUZZER, EVENT_MASK, POWER_OFF, BANK_SELECT, CLOCK_DIVIDER, GUARD_TIME, RETRY_COUNT, SPARE, CHIP_ID };

  void SetUp() override {
    RunQueue();
    m_Protocol.GetCmdCode()->LoadPath(std::string(TAVRIC_SOURCE_DATA_DIR) + "/Command.txt");
    m_Protocol.GetErrorCode()->LoadPath(std::string(TAVRIC_SOURCE_DATA_DIR) + "/Error.txt");
    m_pDoc = std::make_unique<CTVRSimDoc>();
    CTVRBoardDocPrivate::Of(*m_pDoc).SetHostContext(&m_Context);
    m_pDoc->OnNewDocument();
    CTVRBoardDocPrivate::Of(*m_pDoc).m_pProtocol = &m_Protocol;
    m_Context.Host().SetActiveDocument(m_pDoc.get());
    CTVRBoardDocPrivate::Of(*m_pDoc).OnReaderConnect();
    ASSERT_TRUE(m_pDoc->IsConnected());
    RunQueue();
    CTVRBoardDocPrivate::Of(*m_pDoc).SetLastRegSetting("SimulatedReader");
    OpenTool();
  }
  // The tool that the tests drive; a dialog test makes its own.
  virtual void OpenTool() {
    m_pTool = std::make_unique<CRegisterTool>(*m_pDoc);
    ASSERT_EQ(m_pTool->Open(TAVRIC_SOURCE_DATA_DIR), 0);
  }
  void TearDown() override {
    m_pTool.reset();
    m_pDoc.reset();
    RunQueue();
  }
  static void RunQueue() { ASSERT_TRUE(CTVRDispatcher::Instance().RunUntilIdle(std::chrono::seconds(10))); }

  std::string Hex(int row) const { return m_pTool->GetRow(row).m_strHexText; }
  std::size_t Received() const { return tvr_test::TraceTexts(*m_pDoc, TRACE_RECEIVED).size(); }
  CTVRSimFirmware& Firmware() { return m_pDoc->GetFirmware(); }

  CTVRTestContext m_Context;
  CTVRPromptRecorder m_Prompts{m_Context};
  CTVRVertaProtocol m_Protocol;
  std::unique_ptr<CTVRSimDoc> m_pDoc;
  std::unique_ptr<CRegisterTool> m_pTool;
};
