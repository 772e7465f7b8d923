#include <tavric/doc_template.h>

#include <tavric/board_doc.h>

TVR_IMPLEMENT_DYNAMIC(CTVRDocTemplate)

CTVRDocTemplate::CTVRDocTemplate(tvr::UINT nIDResource, const CTVRRuntimeClass* pDocClass)
    : m_nIDResource(nIDResource), m_pDocClass(pDocClass) {
  // The plug-in registers its strings before AddBoardType, so they are there
  // now; a board type without strings still works, it just has no names.
  if (const CTVRDocStrings* pStrings = FindDocStrings(nIDResource)) m_strings = *pStrings;
}

CTVRDocTemplate::~CTVRDocTemplate() = default;

CTVRBoardDoc* CTVRDocTemplate::CreateDocument() {
  if (m_pDocClass == nullptr) return nullptr;
  CTVRCmdTarget* pObject = m_pDocClass->CreateObject();
  if (pObject == nullptr) return nullptr;
  auto* pDoc = dynamic_cast<CTVRBoardDoc*>(pObject);
  if (pDoc == nullptr) {
    delete pObject;
    return nullptr;
  }
  pDoc->SetDocTemplate(this);
  return pDoc;
}

CTVRBoardDoc* CTVRDocTemplate::OpenNewDocument() {
  CTVRBoardDoc* pDoc = CreateDocument();
  if (pDoc == nullptr) return nullptr;
  // The default title comes before OnNewDocument: SetTitle keeps the first
  // title it is given, and OnNewDocument's "noname" only fills the caption.
  m_nUntitledCount += 1;
  pDoc->SetTitle(GetDocName() + std::to_string(m_nUntitledCount));
  if (!pDoc->OnNewDocument()) {
    delete pDoc;
    return nullptr;
  }
  return pDoc;
}
