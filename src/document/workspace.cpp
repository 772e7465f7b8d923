#include "document/workspace.h"

#include <algorithm>
#include <memory>
#include <utility>

#include <tavric/board_doc.h>
#include <tavric/doc_template.h>
#include <tavric/registry.h>
#include <tavric/trace_record.h>

#include "contract/host_context.h"
#include "contract/new_document_chooser.h"
#include "document/board_doc_private.h"
#include "document/board_doc_texts.h"
#include "document/doc_frames.h"
#include "document/headless_frames.h"
#include "document/plugin_guard.h"
#include "document/run_controller.h"
#include "platform/recent_file_list.h"
#include "platform/user_prompts.h"

using namespace tvr_doc_texts;

namespace {

// The board type's own values, read and written in this order: its counter of
// untitled documents and the number of document sections saved.
struct CBoardTypeValues {
  DWORD m_dwUntitledCount = 0;
  DWORD m_dwDocumentCount = 0;
};
constexpr std::pair<const char*, DWORD CBoardTypeValues::*> kBoardTypeValues[] = {
    {"UntitledCount", &CBoardTypeValues::m_dwUntitledCount},
    {"NbDoc", &CBoardTypeValues::m_dwDocumentCount},
};

// Stops at the first value that cannot be read, the values then all 0.
void ReadBoardTypeValues(CTVRRegistry& reg, CBoardTypeValues& values) {
  for (const auto& [name, field] : kBoardTypeValues) {
    if (!reg.Read(name, values.*field)) {
      values = CBoardTypeValues();
      return;
    }
  }
}

// Stops at the first value that cannot be written.
void WriteBoardTypeValues(CTVRRegistry& reg, const CBoardTypeValues& values) {
  for (const auto& [name, field] : kBoardTypeValues)
    if (!reg.Write(name, values.*field)) return;
}

// The workspace of a context that no program gave one, over the runner's
// stand-ins for windows; the frames outlive the workspace.
struct CHeadlessWorkspace {
  explicit CHeadlessWorkspace(CTVRHostContext& context) : m_Workspace(context, m_Frames) {}
  CTVRHeadlessFrames m_Frames;
  CTVRWorkspace m_Workspace;
};

}  // namespace

CTVRWorkspace& CTVRWorkspace::Of(CTVRHostContext& context) {
  if (CTVRWorkspace* pWorkspace = context.GetWorkspacePointer()) return *pWorkspace;
  auto pHeadless = std::make_shared<CHeadlessWorkspace>(context);
  CTVRWorkspace& workspace = pHeadless->m_Workspace;
  context.KeepHeadlessWorkspace(std::move(pHeadless));
  return workspace;
}

CTVRWorkspace::CTVRWorkspace(CTVRHostContext& context, CTVRDocFrames& frames)
    : m_Context(context), m_Frames(frames), m_pPrevious(context.GetWorkspacePointer()) {
  m_Context.SetWorkspace(this);
}

CTVRWorkspace::~CTVRWorkspace() {
  if (m_Context.GetWorkspacePointer() == this) m_Context.SetWorkspace(m_pPrevious);
}

std::string CTVRWorkspace::GetBoardTypeSection(const CTVRDocTemplate& tmpl) {
  const CTVRRuntimeClass* pClass = tmpl.GetDocClass();
  return CTVRRegistry::GetRegSectionPath(pClass != nullptr ? pClass->m_lpszClassName : "");
}

std::string CTVRWorkspace::GetDocumentSection(const CTVRDocTemplate& tmpl, int index) {
  return GetBoardTypeSection(tmpl) + '\\' + std::to_string(index);
}

void CTVRWorkspace::LoadCustomState() {
  m_Context.RecentFiles().Load();
  for (const auto& pTemplate : m_Context.Host().GetTemplates())
    if (pTemplate) RestoreDocuments(*pTemplate);
}

bool CTVRWorkspace::SaveCustomState() {
  m_strSaveError.clear();
  for (const auto& pTemplate : m_Context.Host().GetTemplates())
    if (pTemplate) SaveDocuments(*pTemplate);
  std::string reason;
  if (!m_Context.RecentFiles().Save(&reason) && m_strSaveError.empty())
    m_strSaveError = reason.empty() ? "a value could not be written" : reason;
  if (m_strSaveError.empty()) return true;
  m_Context.Prompts().MessageBox("The settings could not be saved in \"" + CTVRRegistry::GetStoreFileName() +
                                 "\": " + m_strSaveError + ".");
  return false;
}

std::vector<CTVRBoardDoc*> CTVRWorkspace::RestoreDocuments(CTVRDocTemplate& tmpl, bool withKeptTraces) {
  std::vector<CTVRBoardDoc*> restored;
  CBoardTypeValues values;
  {
    CTVRRegistry reg(FALSE, TRUE);
    reg.Open(GetBoardTypeSection(tmpl));
    ReadBoardTypeValues(reg, values);
  }
  tmpl.m_nUntitledCount = int(std::min<DWORD>(values.m_dwUntitledCount, 0x7FFFFFFF));
  const DWORD count = std::min(values.m_dwDocumentCount, MAX_DOCUMENTS);

  for (DWORD i = 0; i < count; ++i) {
    CTVRBoardDoc* pDoc = tmpl.CreateDocument();
    if (pDoc == nullptr) {
      m_Context.Prompts().MessageBox(CTVRNewDocumentChooser::CANNOT_CREATE_TEXT);
      break;
    }
    if (!m_Frames.CreateFrame(*pDoc)) {
      m_Context.Prompts().MessageBox(CTVRNewDocumentChooser::CANNOT_CREATE_TEXT);
      tmpl.CloseDocument(pDoc);
      break;
    }
    CTVRRegistry reg(FALSE, TRUE);
    reg.Open(GetDocumentSection(tmpl, int(i)));
    // A document that cannot reconnect stays open, unconnected: its result
    // is for the board class, not for the loop.
    CTVRPluginGuard::Call(*pDoc, CTVRPluginGuard::STATE, [&] { pDoc->LoadState(reg); });
    m_Frames.LoadFrameState(*pDoc, reg);
    if (withKeptTraces && i < DWORD(KEPT_TRACES))
      CTVRBoardDocPrivate::Of(*pDoc).NotifyMessageForReload(tmpl.m_KeptTraces[i]);
    m_Frames.ShowFrame(*pDoc);
    restored.push_back(pDoc);
  }
  return restored;
}

int CTVRWorkspace::SaveDocuments(CTVRDocTemplate& tmpl, bool closeAfter) {
  if (closeAfter)
    for (std::string& text : tmpl.m_KeptTraces) text.clear();
  int n = 0;
  // A copy: closing a document takes it off the template's list.
  const std::vector<CTVRBoardDoc*> documents = tmpl.GetDocuments();
  for (CTVRBoardDoc* pDoc : documents) {
    if (pDoc == nullptr || !m_Frames.HasFrame(*pDoc)) break;
    {
      CTVRRegistry reg(FALSE, FALSE);
      reg.CreateKey(GetDocumentSection(tmpl, n));
      // A value that cannot be written ends this document's save; the next
      // document is still saved.
      CTVRPluginGuard::Call(*pDoc, CTVRPluginGuard::STATE, [&] { pDoc->SaveState(reg); });
      m_Frames.SaveFrameState(*pDoc, reg);
      std::string reason;
      if (!reg.Flush(&reason) && m_strSaveError.empty()) m_strSaveError = reason;
    }
    if (closeAfter) {
      // The table has ten places: later documents reopen with an empty trace.
      if (n < KEPT_TRACES) tmpl.m_KeptTraces[n] = CTVRBoardDocPrivate::Of(*pDoc).GetKeptTrace();
      m_Frames.DestroyFrame(*pDoc);
      tmpl.CloseDocument(pDoc);
    }
    ++n;
  }
  CTVRRegistry reg(FALSE, FALSE);
  std::string reason = "the file was not read";
  if (reg.CreateKey(GetBoardTypeSection(tmpl))) {
    WriteBoardTypeValues(reg, {DWORD(std::max(tmpl.m_nUntitledCount, 0)), DWORD(n)});
    if (reg.Flush(&reason)) reason.clear();
  }
  if (!reason.empty() && m_strSaveError.empty()) m_strSaveError = reason;
  return n;
}

void CTVRWorkspace::NewScriptFile(CTVRBoardDoc& doc) {
  doc.SetTitle(kNoname);
  CTVRBoardDocPrivate::Of(doc).SetScriptPath(kNoname);
  const auto& templates = m_Context.Host().GetTemplates();
  CTVRDocTemplate* pFirst = templates.empty() ? nullptr : templates.front().get();

  // Every document of the cycle keeps its trace, not only the one whose
  // command this is: they all close and reopen.
  CTVRBoardDocPrivate::Of(doc).NotifyMessage(nullptr, 0, TRACE_KEEP);
  bool closesItself = false;
  if (pFirst != nullptr) {
    for (CTVRBoardDoc* pDoc : pFirst->GetDocuments()) {
      if (pDoc == &doc) {
        closesItself = m_Frames.HasFrame(doc) != FALSE;
        continue;
      }
      CTVRBoardDocPrivate::Of(*pDoc).NotifyMessage(nullptr, 0, TRACE_KEEP);
    }
    // A document of the board type after one without a frame stays open: the
    // save loop stops there.
    if (closesItself) {
      for (CTVRBoardDoc* pDoc : pFirst->GetDocuments()) {
        if (pDoc == &doc) break;
        if (!m_Frames.HasFrame(*pDoc)) {
          closesItself = false;
          break;
        }
      }
    }
    SaveDocuments(*pFirst, true);
    RestoreDocuments(*pFirst, true);
  }
  if (!closesItself) {
    doc.DeleteContents();
    doc.UpdateAllViews(nullptr, HINT_ALL, nullptr);
  }
}

void CTVRWorkspace::OpenRecentFile(int index) {
  CTVRBoardDoc* pDoc = m_Context.Host().GetActiveDocument();
  if (pDoc == nullptr) return;
  CTVRRecentFileList& list = m_Context.RecentFiles();
  const std::string path = list.GetPath(index);
  if (path.empty()) return;
  if (!CTVRBoardDocPrivate::Of(*pDoc).SaveModified()) return;
  // A file that cannot be opened leaves the document as it was and drops off
  // the list; an opened one goes to the top.
  if (!CTVRBoardDocPrivate::Of(*pDoc).OnOpenDocument(path)) {
    list.Remove(index);
    return;
  }
  list.Add(path);
  CTVRBoardDocPrivate::Of(*pDoc).GetRunController().SetTraceOn(TRUE);
  CTVRBoardDocPrivate::Of(*pDoc).SetLoopCounter(0);
}

void CTVRWorkspace::CloseAllDocuments() {
  for (const auto& pTemplate : m_Context.Host().GetTemplates()) {
    if (!pTemplate) continue;
    const std::vector<CTVRBoardDoc*> documents = pTemplate->GetDocuments();
    for (CTVRBoardDoc* pDoc : documents) {
      m_Frames.DestroyFrame(*pDoc);
      pTemplate->CloseDocument(pDoc);
    }
  }
}
