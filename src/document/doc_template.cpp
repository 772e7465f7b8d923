#include <tavric/doc_template.h>

#include <algorithm>

#include <tavric/board_doc.h>

#include "document/board_doc_private.h"

TVR_IMPLEMENT_DYNAMIC(CTVRDocTemplate)

CTVRDocTemplate::CTVRDocTemplate(tvr::UINT nIDResource, const CTVRRuntimeClass* pDocClass)
    : m_nIDResource(nIDResource), m_pDocClass(pDocClass) {
  // The plug-in registers its strings before AddBoardType, so they are there
  // now; a board type without strings still works, it just has no names.
  if (const CTVRDocStrings* pStrings = FindDocStrings(nIDResource)) m_strings = *pStrings;
}

CTVRDocTemplate::~CTVRDocTemplate() {
  CloseAllDocuments();
}

void CTVRDocTemplate::CloseDocument(CTVRBoardDoc* pDoc) {
  if (std::find(m_Documents.begin(), m_Documents.end(), pDoc) == m_Documents.end()) return;
  delete pDoc;  // its destructor takes it off the list
}

void CTVRDocTemplate::CloseAllDocuments() {
  // Newest first, as windows close; each deletion shortens the list.
  while (!m_Documents.empty()) {
    CTVRBoardDoc* pDoc = m_Documents.back();
    delete pDoc;
    // A document whose destructor did not reach RemoveDocument must not be deleted twice.
    if (!m_Documents.empty() && m_Documents.back() == pDoc) m_Documents.pop_back();
  }
}

void CTVRDocTemplate::RemoveDocument(CTVRBoardDoc* pDoc) {
  auto it = std::find(m_Documents.begin(), m_Documents.end(), pDoc);
  if (it != m_Documents.end()) m_Documents.erase(it);
}

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
  CTVRBoardDocPrivate::Of(*pDoc).SetHostContext(m_pHostContext);
  m_Documents.push_back(pDoc);
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
    CloseDocument(pDoc);
    return nullptr;
  }
  return pDoc;
}
