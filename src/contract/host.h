// The host's registries: board types, protocols, the cyphering object, the
// active document, the card slots and the program folder. Held by the host
// context (CTVRHostContext), one per program or test fixture.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <tavric/types.h>

#include "contract/install_layout.h"
#include "decode/card_slots.h"

class CTVRBoardDoc;
class CTVRCrypto;
class CTVRDocTemplate;
class CTVRProtocol;

class CTVRHostContext;

class CTVRHost {
 public:
  // The templates it is given are handed the context, for their documents.
  explicit CTVRHost(CTVRHostContext& context);
  // The exit step runs at the latest when the context goes, so that protocols
  // handed over by plug-ins (never unloaded) are deleted like the host promises.
  ~CTVRHost();
  CTVRHost(const CTVRHost&) = delete;
  CTVRHost& operator=(const CTVRHost&) = delete;

  // Registries, in registration order.
  const std::vector<std::unique_ptr<CTVRDocTemplate>>& GetTemplates() const { return m_templates; }
  const std::vector<CTVRProtocol*>& GetProtocols() const { return m_protocols; }
  CTVRCrypto* GetCrypto() const { return m_pCrypto; }
  void AddTemplate(std::unique_ptr<CTVRDocTemplate> pTemplate);
  void AddProtocol(CTVRProtocol* pProtocol);
  void SetCrypto(CTVRCrypto* pCrypto) { m_pCrypto = pCrypto; }
  // The loader's undo for a library it refuses after the library registered
  // (from its static initialisers or a failed init): drops the templates and
  // deletes the protocols registered after the first nTemplates and
  // nProtocols, while the library's code is still loaded, and puts the
  // earlier cyphering object back (a cyphering object is never deleted).
  void RollBackRegistrations(std::size_t nTemplates, std::size_t nProtocols, CTVRCrypto* pCrypto);
  // The loader's reorder after it loaded some libraries ahead of their turn:
  // each registration's rank (one per template and per protocol, in
  // registration order) says where it goes; equal ranks keep their order.
  // Ranks that do not match the registries in number leave them as they are.
  void SortRegistrations(const std::vector<std::size_t>& templateRanks, const std::vector<std::size_t>& protocolRanks);
  // Exit step: deletes every protocol (never the cyphering object) and the templates.
  void Shutdown();

  // The active reader document (the shell's active child frame, the runner's
  // only document); GetActiveBoard() returns its message window.
  CTVRBoardDoc* GetActiveDocument() const { return m_pActiveDoc; }
  void SetActiveDocument(CTVRBoardDoc* pDoc);
  // The active document's message window: what GetActiveBoard() returns. Kept
  // apart so that boards may ask from their receiving threads.
  tvr::HWND GetActiveBoardWindow() const { return m_hActiveBoard.load(std::memory_order_acquire); }
  // Called by a document's destructor.
  void OnDocumentDestroyed(CTVRBoardDoc* pDoc);
  // Whether every document's run goes on by itself (tavric-run driving a rack
  // of readers at once): the end of a statement goes to the document whose
  // answer ended it. Off, as in the desktop program, it goes to the active
  // document, so a run goes on only while its document is the active one.
  bool AreRunsApart() const { return m_bRunsApart; }
  void SetRunsApart(bool bApart) { m_bRunsApart = bApart; }

  CTVRCardSlots& GetCardSlots() { return m_cardSlots; }

  // Folder of the running executable, from which the data folder is found; tests may
  // point it elsewhere.
  const std::string& GetProgramFolder();
  void SetProgramFolder(const std::string& folder) { m_strProgramFolder = folder; }
  // The running executable's folder ("." when it cannot be told).
  static std::string ExecutableFolder();
  // Where the description and register files are: share/tavric of an
  // installed program, the program folder of a run folder.
  std::string GetDataFolder() { return CTVRInstallLayout::DataFolder(GetProgramFolder()); }

  // The folder of the plug-in that registered a protocol (empty for one that
  // came otherwise): the protocol's description files are looked for there
  // first, then in the data folder.
  const std::string& GetPluginFolder(const CTVRProtocol* pProtocol) const;
  void SetPluginFolder(const CTVRProtocol* pProtocol, const std::string& folder);
  std::string DescriptionPath(const std::string& fileName, const CTVRProtocol* pProtocol) {
    return CTVRInstallLayout::DescriptionPath(fileName, GetPluginFolder(pProtocol), GetDataFolder());
  }

 private:
  CTVRHostContext& m_Context;
  std::vector<std::unique_ptr<CTVRDocTemplate>> m_templates;
  std::vector<CTVRProtocol*> m_protocols;
  CTVRCrypto* m_pCrypto = nullptr;
  CTVRBoardDoc* m_pActiveDoc = nullptr;
  std::atomic<tvr::HWND> m_hActiveBoard{0};
  bool m_bRunsApart = false;
  CTVRCardSlots m_cardSlots;
  std::string m_strProgramFolder;
  std::map<const CTVRProtocol*, std::string> m_PluginFolders;
};
