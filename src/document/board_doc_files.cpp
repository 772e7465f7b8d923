// The document's file commands (Open, Save, Save As, New Script File) and
// the questions before a document closes or loses its script.
#include <filesystem>
#include <system_error>

#include <tavric/board_doc.h>
#include <tavric/doc_template.h>

#include "contract/host_context.h"
#include "document/board_doc_private.h"
#include "document/board_doc_texts.h"
#include "document/run_controller.h"
#include "document/workspace.h"
#include "platform/recent_file_list.h"
#include "platform/user_prompts.h"

using namespace tvr_doc_texts;

namespace {

// The file name part of a path.
std::string FileName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What a file dialog would do with a name typed without extension; a folder
// stays what it is, for the save to refuse it.
std::string WithDefaultExtension(const std::string& path) {
  std::error_code error;
  if (path.empty() || std::filesystem::is_directory(path, error)) return path;
  return FileName(path).find('.') == std::string::npos ? path + "." + kScriptExtension : path;
}

}  // namespace

void CTVRBoardDocPrivate::OnFileOpen() {
  std::string chosen;
  if (!GetHostContext()->Prompts().AskOpenFileName(kScriptExtension, m_strScriptPath, kScriptFilter, chosen)) return;
  // A file that cannot be read has said so and left the script as it was.
  if (!OnOpenDocument(chosen)) return;
  GetHostContext()->RecentFiles().Add(chosen);
  m_pRunController->SetTraceOn(TRUE);
  SetLoopCounter(0);
}

void CTVRBoardDocPrivate::OnFileSave() {
  if (m_strScriptPath == kNoname) {
    OnFileSaveAs();
    return;
  }
  OnSaveDocument(m_strScriptPath);
}

void CTVRBoardDocPrivate::OnFileSaveAs() {
  std::string chosen;
  if (!GetHostContext()->Prompts().AskSaveFileName(kScriptExtension, "", kScriptFilter, chosen)) return;
  chosen = WithDefaultExtension(chosen);
  // The document takes the new name only once the file is written.
  if (!OnSaveDocument(chosen)) return;
  m_strScriptPath = chosen;
  m_Doc.SetPathName(chosen);
  m_Doc.SetTitle(FileName(chosen));
  GetHostContext()->RecentFiles().Add(chosen);
}

void CTVRBoardDocPrivate::OnNewScriptFile() {
  CTVRWorkspace::Of(*GetHostContext()).NewScriptFile(m_Doc);
}

BOOL CTVRBoardDocPrivate::SaveModified() {
  if (!m_Doc.IsModified()) return TRUE;
  const std::string name = m_strScriptPath == kNoname ? std::string(kNoname) : FileName(m_strScriptPath);
  switch (GetHostContext()->Prompts().AskYesNoCancel("Save changes to " + name + "?")) {
    case CTVRUserPrompts::ANSWER_CANCEL:
      return FALSE;
    case CTVRUserPrompts::ANSWER_NO:
      return TRUE;
    case CTVRUserPrompts::ANSWER_YES:
      break;
  }
  OnFileSave();
  // Save As cancelled or the file not written: the changes are still there.
  return m_Doc.IsModified() ? FALSE : TRUE;
}

BOOL CTVRBoardDocPrivate::CanCloseDocument() {
  // Saved settings come back at the next start; otherwise they are lost.
  if (m_bStateSaved || CTVRWorkspace::Of(*GetHostContext()).IsSessionEnding()) return TRUE;
  return GetHostContext()->Prompts().AskYesNoWarning(kCloseQuestion);
}

BOOL CTVRBoardDocPrivate::OnCloseDocument() {
  if (!CanCloseDocument()) return FALSE;
  if (CTVRDocTemplate* pTemplate = m_Doc.GetDocTemplate()) pTemplate->CloseDocument(&m_Doc);
  return TRUE;
}
