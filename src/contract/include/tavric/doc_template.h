// The document template of a board type: the board class, its resources and
// the ten trace texts kept for its documents while New Script File closes and
// reopens them.
#pragma once

#include <string>
#include <vector>

#include <tavric/class_info.h>
#include <tavric/cmd_target.h>
#include <tavric/resources.h>
#include <tavric/types.h>

class CTVRBoardDoc;
class CTVRHostContext;

class TVR_API CTVRDocTemplate : public CTVRCmdTarget {
  TVR_DECLARE_DYNAMIC(CTVRDocTemplate)

 public:
  CTVRDocTemplate(tvr::UINT nIDResource, const CTVRRuntimeClass* pDocClass);
  ~CTVRDocTemplate() override;

  tvr::UINT GetResourceId() const { return m_nIDResource; }
  const CTVRRuntimeClass* GetDocClass() const { return m_pDocClass; }
  const std::string& GetDocName() const { return m_strings.m_strDocName; }
  const std::string& GetFileNewName() const { return m_strings.m_strFileNewName; }

  // The program's context, handed to every document the template creates;
  // set by the host as it takes the template.
  void SetHostContext(CTVRHostContext* pContext) { m_pHostContext = pContext; }
  CTVRHostContext* GetHostContext() const { return m_pHostContext; }

  // Creates a document of the board class, not yet initialised, and adds it to
  // this template's documents; null when the class cannot be created or is no
  // reader document.
  CTVRBoardDoc* CreateDocument();
  // Creates a document and runs its new-document step with the default title
  // (document name and untitled number); null on failure.
  CTVRBoardDoc* OpenNewDocument();

  // The documents of this board type, in creation order. The template owns
  // them: it deletes those still open when it goes, and a document deleted
  // by anyone leaves the list on its own.
  const std::vector<CTVRBoardDoc*>& GetDocuments() const { return m_Documents; }
  // Deletes the document if it is one of this template's.
  void CloseDocument(CTVRBoardDoc* pDoc);
  void CloseAllDocuments();
  // Called by a document as it is destroyed.
  void RemoveDocument(CTVRBoardDoc* pDoc);

  int m_nUntitledCount = 0;
  std::string m_KeptTraces[10];

 private:
  tvr::UINT m_nIDResource;
  const CTVRRuntimeClass* m_pDocClass;
  CTVRDocStrings m_strings;
  std::vector<CTVRBoardDoc*> m_Documents;
  CTVRHostContext* m_pHostContext = nullptr;
};
