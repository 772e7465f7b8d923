// Everything one program shares between its documents, board types and tools:
// the plug-in registries (CTVRHost), the prompts, the recent-file list, the
// workspace and the plug-in libraries loaded into it. main() builds one on its
// stack and hands it to the templates and the documents; each test fixture
// builds its own, and destroying it closes what it holds.
//
// The plug-in SDK's free functions (AddBoardType, GetActiveBoard,
// TVRMessageBox...) take no context: they reach the installed one, the only
// process-wide pointer of the host (see docs/architecture.md).
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "contract/host.h"
#include "platform/dispatcher.h"
#include "platform/prompt_slot.h"
#include "platform/recent_file_list.h"

class CTVRWorkspace;

// The prompts in force are its slot's (CTVRPromptSlot: Prompts, SetPrompts).
class CTVRHostContext : public CTVRPromptSlot {
 public:
  CTVRHostContext();
  // Closes the documents and deletes the protocols, then uninstalls itself
  // if it is the installed context.
  ~CTVRHostContext();
  CTVRHostContext(const CTVRHostContext&) = delete;
  CTVRHostContext& operator=(const CTVRHostContext&) = delete;

  CTVRHost& Host() { return m_Host; }
  // The program's message queue, installed with the context.
  CTVRDispatcher& Dispatcher() { return m_Dispatcher; }
  const CTVRHost& Host() const { return m_Host; }

  CTVRRecentFileList& RecentFiles() { return m_RecentFiles; }

  // The workspace in force (CTVRWorkspace::Of makes a headless one when there
  // is none). Called by a workspace as it is made and destroyed.
  void SetWorkspace(CTVRWorkspace* pWorkspace) { m_pWorkspace = pWorkspace; }
  CTVRWorkspace* GetWorkspacePointer() const { return m_pWorkspace; }
  // Keeps the headless workspace (and its frames) that CTVRWorkspace::Of made,
  // until the context goes; its type is the document layer's.
  void KeepHeadlessWorkspace(std::shared_ptr<void> pWorkspace) { m_pHeadlessWorkspace = std::move(pWorkspace); }

  // Folder of the running executable, from which the data folder is found.
  const std::string& GetProgramFolder() { return m_Host.GetProgramFolder(); }
  void SetProgramFolder(const std::string& folder) { m_Host.SetProgramFolder(folder); }

  // The plug-in libraries whose init has registered into this context, and
  // those whose init threw (with the loader's reason).
  std::set<void*>& InitialisedPlugins() { return m_InitialisedPlugins; }
  std::map<void*, std::string>& FailedPlugins() { return m_FailedPlugins; }

  // ---- The installed context ----------------------------------------------
  // Makes this context the one the SDK's free functions reach, until it is
  // destroyed or another is installed; the one installed before comes back
  // when this one goes.
  void Install();
  // The installed context; null when none is.
  static CTVRHostContext* GetInstalled();
  // Installs a context for a scope (the plug-in loader while a library
  // initialises) and puts back the one installed before.
  class CInstalledScope {
   public:
    explicit CInstalledScope(CTVRHostContext& context);
    ~CInstalledScope();
    CInstalledScope(const CInstalledScope&) = delete;
    CInstalledScope& operator=(const CInstalledScope&) = delete;

   private:
    CTVRHostContext* m_pPrevious;
  };

 private:
  // First, so that it goes last: the documents closing below still post.
  CTVRDispatcher m_Dispatcher;
  CTVRRecentFileList m_RecentFiles;
  std::set<void*> m_InitialisedPlugins;
  std::map<void*, std::string> m_FailedPlugins;
  CTVRWorkspace* m_pWorkspace = nullptr;
  std::shared_ptr<void> m_pHeadlessWorkspace;
  CTVRHostContext* m_pPreviousInstalled = nullptr;
  bool m_bInstalled = false;
  // Last, so that the documents it closes still find everything above.
  CTVRHost m_Host;
};
