// Two board types registered as a plug-in would register them, one protocol,
// a private settings file emptied before each test, and frames that give
// each document a trace view, as the desktop child frame does.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <QFile>

#include <gtest/gtest.h>

#include <tavric/doc_template.h>
#include <tavric/registry.h>
#include <tavric/resources.h>

#include "contract/host.h"
#include "document/headless_frames.h"
#include "document/trace_text_view.h"
#include "document/workspace.h"
#include "platform/dispatcher.h"
#include "platform/user_prompts.h"
#include "test_board.h"
#include "test_context.h"
#include "test_protocol.h"

// Board classes of the two types; whether a restored reader reconnects is
// decided for all of them at once.
class CWsBoardA : public CTVRTestBoard {
  TVR_DECLARE_DYNCREATE(CWsBoardA)
 public:
  CWsBoardA() { m_bConnectResult = s_bConnectWorks; }
  static inline BOOL s_bConnectWorks = TRUE;
};

class CWsBoardB : public CTVRTestBoard {
  TVR_DECLARE_DYNCREATE(CWsBoardB)
 public:
  CWsBoardB() { m_bConnectResult = CWsBoardA::s_bConnectWorks; }
};

class CWsFrames : public CTVRHeadlessFrames {
 public:
  tvr::BOOL CreateFrame(CTVRBoardDoc& doc) override {
    if (++m_nCreated == m_nFailAt) return FALSE;
    auto& pView = m_Views[&doc];
    pView = std::make_unique<CTVRTraceTextView>();
    doc.AddView(pView.get());
    return CTVRHeadlessFrames::CreateFrame(doc);
  }
  void DestroyFrame(CTVRBoardDoc& doc) override {
    auto it = m_Views.find(&doc);
    if (it != m_Views.end()) {
      doc.RemoveView(it->second.get());
      m_Views.erase(it);
    }
    CTVRHeadlessFrames::DestroyFrame(doc);
  }
  std::string TraceText(CTVRBoardDoc& doc) {
    auto it = m_Views.find(&doc);
    return it != m_Views.end() ? it->second->GetText() : std::string("<no view>");
  }

  int m_nFailAt = 0;  // the n-th frame made from now on fails; 0 none
  int m_nCreated = 0;
  std::map<CTVRBoardDoc*, std::unique_ptr<CTVRTraceTextView>> m_Views;
};

class WorkspaceTest : public ::testing::Test {
 protected:
  static constexpr UINT kIdA = 7101;
  static constexpr UINT kIdB = 7102;

  void SetUp() override {
    QFile::remove(QString::fromStdString(CTVRRegistry::GetStoreFileName()));
    CWsBoardA::s_bConnectWorks = TRUE;
    RegisterDocStrings(kIdA, {"WsA", "Reader A"});
    RegisterDocStrings(kIdB, {"WsB", "Reader B"});
    m_Context.Host().AddTemplate(std::make_unique<CTVRDocTemplate>(kIdA, TVR_RUNTIME_CLASS(CWsBoardA)));
    m_Context.Host().AddTemplate(std::make_unique<CTVRDocTemplate>(kIdB, TVR_RUNTIME_CLASS(CWsBoardB)));
    m_pProtocol = new CTVRTestProtocol;  // the registry deletes it
    m_pProtocol->SetName("WsProto");
    m_pProtocol->SetAnswerLayout(ANSWER_MESSAGE_CODE);  // no description files
    m_Context.Host().AddProtocol(m_pProtocol);
  }

  void TearDown() override {
    m_Workspace.CloseAllDocuments();
    CTVRDispatcher::GetInstalled()->RunUntilIdle(std::chrono::seconds(5));
  }

  CTVRDocTemplate& A() { return *m_Context.Host().GetTemplates()[0]; }
  CTVRDocTemplate& B() { return *m_Context.Host().GetTemplates()[1]; }

  // A document made by the New command, in its frame.
  CTVRTestBoard* New(CTVRDocTemplate& tmpl) {
    auto* pDoc = static_cast<CTVRTestBoard*>(tmpl.OpenNewDocument());
    m_Frames.CreateFrame(*pDoc);
    return pDoc;
  }
  CTVRTestBoard* Doc(CTVRDocTemplate& tmpl, std::size_t index) {
    return index < tmpl.GetDocuments().size() ? static_cast<CTVRTestBoard*>(tmpl.GetDocuments()[index]) : nullptr;
  }
  std::vector<std::string> Titles(CTVRDocTemplate& tmpl) {
    std::vector<std::string> titles;
    for (CTVRBoardDoc* pDoc : tmpl.GetDocuments()) titles.push_back(pDoc->GetTitle());
    return titles;
  }
  static std::string ReadText(const std::string& section, const std::string& name) {
    CTVRRegistry reg(FALSE, TRUE);
    std::string value = "<missing>";
    reg.Open(CTVRRegistry::GetRegSectionPath(section));
    reg.Read(name, value);
    return value;
  }
  static void WriteValues(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values) {
    CTVRRegistry reg(FALSE, FALSE);
    reg.CreateKey(CTVRRegistry::GetRegSectionPath(section));
    for (const auto& [name, value] : values) reg.Write(name, value);
  }

  CTVRTestContext m_Context;
  CTVRPromptRecorder m_Prompts{m_Context};
  CTVRTestProtocol* m_pProtocol = nullptr;
  CWsFrames m_Frames;
  CTVRWorkspace m_Workspace{m_Context, m_Frames};
};
