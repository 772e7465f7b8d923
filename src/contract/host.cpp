#include "contract/host.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <numeric>

#include <tavric/board_doc.h>
#include <tavric/doc_template.h>
#include <tavric/protocol.h>

CTVRHost::CTVRHost(CTVRHostContext& context) : m_Context(context) {}

CTVRHost::~CTVRHost() {
  Shutdown();
}

void CTVRHost::AddTemplate(std::unique_ptr<CTVRDocTemplate> pTemplate) {
  if (!pTemplate) return;
  pTemplate->SetHostContext(&m_Context);
  m_templates.push_back(std::move(pTemplate));
}

void CTVRHost::AddProtocol(CTVRProtocol* pProtocol) {
  if (pProtocol != nullptr) m_protocols.push_back(pProtocol);
}

void CTVRHost::Shutdown() {
  // Protocols come from the plug-ins' heaps but are handed over for good; the
  // cyphering object is not: its plug-in may hold it in static storage.
  std::vector<CTVRProtocol*> protocols;
  protocols.swap(m_protocols);
  m_PluginFolders.clear();
  for (CTVRProtocol* pProtocol : protocols) delete pProtocol;
  m_templates.clear();
}

void CTVRHost::RollBackRegistrations(std::size_t nTemplates, std::size_t nProtocols, CTVRCrypto* pCrypto) {
  if (m_templates.size() > nTemplates) {
    // The template objects are ours; only what they point to belongs to the
    // library about to go.
    m_templates.resize(nTemplates);
  }
  // A protocol is handed over with new, so it is ours to delete. Its virtual
  // destructor keeps its place in the table in every ABI version, which is
  // what makes this safe even for a library built against another one.
  while (m_protocols.size() > nProtocols) {
    CTVRProtocol* pProtocol = m_protocols.back();
    m_protocols.pop_back();
    m_PluginFolders.erase(pProtocol);
    delete pProtocol;
  }
  m_pCrypto = pCrypto;
}

namespace {

// Stable: registrations of one rank keep their order.
template <class T>
void SortByRank(std::vector<T>& items, const std::vector<std::size_t>& ranks) {
  if (ranks.size() != items.size()) return;
  std::vector<std::size_t> order(items.size());
  std::iota(order.begin(), order.end(), std::size_t(0));
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return ranks[a] < ranks[b]; });
  std::vector<T> sorted;
  sorted.reserve(items.size());
  for (std::size_t i : order) sorted.push_back(std::move(items[i]));
  items.swap(sorted);
}

}  // namespace

void CTVRHost::SortRegistrations(const std::vector<std::size_t>& templateRanks,
                                 const std::vector<std::size_t>& protocolRanks) {
  SortByRank(m_templates, templateRanks);
  SortByRank(m_protocols, protocolRanks);
}

void CTVRHost::SetActiveDocument(CTVRBoardDoc* pDoc) {
  m_pActiveDoc = pDoc;
  m_hActiveBoard.store(pDoc != nullptr ? pDoc->GetDummyWindow()->GetSafeHwnd() : 0, std::memory_order_release);
}

void CTVRHost::OnDocumentDestroyed(CTVRBoardDoc* pDoc) {
  if (pDoc != nullptr && pDoc == m_pActiveDoc) SetActiveDocument(nullptr);
}

const std::string& CTVRHost::GetProgramFolder() {
  if (m_strProgramFolder.empty()) m_strProgramFolder = ExecutableFolder();
  return m_strProgramFolder;
}

const std::string& CTVRHost::GetPluginFolder(const CTVRProtocol* pProtocol) const {
  static const std::string none;
  const auto found = m_PluginFolders.find(pProtocol);
  return found != m_PluginFolders.end() ? found->second : none;
}

void CTVRHost::SetPluginFolder(const CTVRProtocol* pProtocol, const std::string& folder) {
  m_PluginFolders[pProtocol] = folder;
}

std::string CTVRHost::ExecutableFolder() {
  // Without /proc (a restricted container), the current folder is where the
  // run folder's files are most likely to be.
  std::string folder(1, '.');
  char path[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (n > 0) {
    std::string exe(path, std::size_t(n));
    std::size_t slash = exe.rfind('/');
    if (slash != std::string::npos) folder = slash == 0 ? exe.substr(0, 1) : exe.substr(0, slash);
  }
  return folder;
}
