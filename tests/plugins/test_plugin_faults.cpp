// A board or protocol plug-in that throws, through each door of the document
// into plug-in code: the program stays up, the run stops, the reader is
// disconnected and the trace and a message say which call failed. (The board's
// Send: the scenario case run_throwing_board.)
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tavric/trace_record.h>

#include "doc_fixture.h"
#include "document/board_doc_private.h"
#include "document/run_end_hint.h"
#include "trace_reader.h"

namespace {

// The test board and protocol, throwing from the call named.
class CThrowingBoard : public CTVRTestBoard {
 public:
  BOOL Connect() override { return Throw("Connect"), CTVRTestBoard::Connect(); }
  BOOL Send(BYTE* frame, DWORD length) override { return Throw("Send"), CTVRTestBoard::Send(frame, length); }
  void Config(BYTE code, BYTE code1, BYTE* data, DWORD length) override {
    Throw("Config");
    CTVRTestBoard::Config(code, code1, data, length);
  }
  void Throw(const char* call) {
    if (m_strThrowIn == call) throw std::runtime_error("test fault");
  }
  std::string m_strThrowIn;
};

class CThrowingProtocol : public CTVRTestProtocol {
 public:
  DWORD Command(BYTE* out, DWORD capacity, BYTE* bytes, DWORD count) override {
    if (m_strThrowIn == "Command") throw std::runtime_error("test fault");
    return CTVRTestProtocol::Command(out, capacity, bytes, count);
  }
  std::string m_strThrowIn;
};

// Records why the document said its run ended early.
class CEndRecorder : public CTVRView {
 public:
  void OnUpdate(CTVRView*, tvr::LPARAM lHint, void* pHint) override {
    if (lHint == HINT_RUN_ENDED_EARLY) m_Causes.push_back(*static_cast<int*>(pHint));
  }
  std::vector<int> m_Causes;
};

class PluginFaults : public CTVRDocFixture {
 protected:
  // A fresh throwing board as the active document, with the throwing protocol.
  void UseBoard(const char* throwIn) {
    auto pBoard = std::make_unique<CThrowingBoard>();
    CTVRBoardDocPrivate::Of(*pBoard).SetHostContext(&m_Context);
    pBoard->OnNewDocument();
    pBoard->m_strThrowIn = m_Throwing.m_strThrowIn = throwIn;
    m_pDoc = std::move(pBoard);
    m_Context.Host().SetActiveDocument(m_pDoc.get());
    UseProtocol(m_Throwing);
  }

  CThrowingProtocol m_Throwing;
};

TEST_F(PluginFaults, AThrowStopsTheRunAndDisconnectsTheReaderWithTheCallNamed) {
  struct CCase {
    const char* throwIn;
    const char* call;
    std::vector<std::string> script;  // none: Connect
    EScriptType type;
  };
  const CCase cases[] = {
      {"Connect", "the board's Connect", {}, SCRIPT_RAWDATA},
      {"Config", "the board's Config", {".config(01);", "10;"}, SCRIPT_RAWDATA},
      {"Command", "the protocol's Command or APDU", {"30;", "10;"}, SCRIPT_COMMANDS},
  };
  for (const CCase& c : cases) {
    SCOPED_TRACE(c.throwIn);
    UseBoard(c.throwIn);
    CEndRecorder ends;
    m_pDoc->AddView(&ends);
    m_Prompts.m_Messages.clear();
    if (c.script.empty()) {
      CTVRBoardDocPrivate::Of(*m_pDoc).OnReaderConnect();
    } else {
      MarkConnected();
      SetScript(c.script);
      CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = c.type;
      CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStart();
      RunQueue();
    }

    const std::string text =
        std::string("Plug-in fault: ") + c.call + " threw an exception (test fault): the reader is disconnected.";
    EXPECT_EQ(tvr_test::TraceTexts(*m_pDoc, TRACE_COMMENT), std::vector<std::string>{text + "\r\n"});
    EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{text});
    EXPECT_FALSE(m_pDoc->IsConnected());
    EXPECT_FALSE(m_pDoc->IsRunning());
    EXPECT_FALSE(m_Throwing.GetConnected());
    // The board is asked to let its link go when it had one.
    EXPECT_EQ(m_pDoc->m_nDisconnectCalls, c.script.empty() ? 0 : 1);
    EXPECT_TRUE(m_pDoc->m_Sent.empty()) << "nothing after the fault";
    EXPECT_EQ(ends.m_Causes, std::vector<int>{RUN_END_PLUGIN_FAULT});
    m_pDoc->RemoveView(&ends);
  }
}

}  // namespace
