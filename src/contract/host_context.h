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

#include "contract/host.h"
#include "platform/dispatcher.h"
#include "platform/recent_file_list.h"
#include "platform/user_prompts.h"

class CTVRHeadlessFrames;
class CTVRWorkspace;

class CTVRHostContext {
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

  // The prompts in force: the headless ones until others are set.
  CTVRUserPrompts& Prompts() { return m_pPrompts != nullptr ? *m_pPrompts : m_HeadlessPrompts; }
  // Sets the prompts (not owned); null puts the headless ones back.
  void SetPrompts(CTVRUserPrompts* pPrompts) { m_pPrompts = pPrompts; }

  CTVRRecentFileList& RecentFiles() { return m_RecentFiles; }

  // The workspace in force: the last one made over this context and still
  // alive, or a headless one made on first use.
  CTVRWorkspace& Workspace();
  // Called by a workspace as it is made and destroyed.
  void SetWorkspace(CTVRWorkspace* pWorkspace) { m_pWorkspace = pWorkspace; }
  CTVRWorkspace* GetWorkspacePointer() const { return m_pWorkspace; }

  // Folder of the running executable, where description files lie.
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
  CTVRHeadlessPrompts m_HeadlessPrompts;
  CTVRUserPrompts* m_pPrompts = nullptr;
  CTVRRecentFileList m_RecentFiles;
  std::set<void*> m_InitialisedPlugins;
  std::map<void*, std::string> m_FailedPlugins;
  CTVRWorkspace* m_pWorkspace = nullptr;
  std::unique_ptr<CTVRHeadlessFrames> m_pHeadlessFrames;
  std::unique_ptr<CTVRWorkspace> m_pHeadlessWorkspace;
  CTVRHostContext* m_pPreviousInstalled = nullptr;
  bool m_bInstalled = false;
  // Last, so that the documents it closes still find everything above.
  CTVRHost m_Host;
};
