// The document template of a board type: the board class, its resources and
// the ten trace texts kept for its documents while New Script File closes and
// reopens them.
#pragma once

#include <string>

#include <tavric/class_info.h>
#include <tavric/cmd_target.h>
#include <tavric/resources.h>
#include <tavric/types.h>

class CTVRBoardDoc;

class TVR_API CTVRDocTemplate : public CTVRCmdTarget {
  TVR_DECLARE_DYNAMIC(CTVRDocTemplate)

 public:
  CTVRDocTemplate(tvr::UINT nIDResource, const CTVRRuntimeClass* pDocClass);
  ~CTVRDocTemplate() override;

  tvr::UINT GetResourceId() const { return m_nIDResource; }
  const CTVRRuntimeClass* GetDocClass() const { return m_pDocClass; }
  const std::string& GetDocName() const { return m_strings.m_strDocName; }
  const std::string& GetFileNewName() const { return m_strings.m_strFileNewName; }

  // Creates a document of the board class, not yet initialised; null when the
  // class cannot be created or is no reader document.
  CTVRBoardDoc* CreateDocument();
  // Creates a document and runs its new-document step with the default title
  // (document name and untitled number); null on failure.
  CTVRBoardDoc* OpenNewDocument();

  int m_nUntitledCount = 0;
  std::string m_KeptTraces[10];

 private:
  tvr::UINT m_nIDResource;
  const CTVRRuntimeClass* m_pDocClass;
  CTVRDocStrings m_strings;
};
