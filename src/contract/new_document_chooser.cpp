#include "contract/new_document_chooser.h"

#include <tavric/doc_template.h>

const char* const CTVRNewDocumentChooser::CANNOT_CREATE_TEXT = "Failed to create empty document.";

CTVRNewDocumentChooser::CTVRNewDocumentChooser(const TemplateList& templates) : m_Templates(templates) {}

CTVRNewDocumentChooser::ENewOutcome CTVRNewDocumentChooser::Prepare() {
  m_Entries.clear();
  m_nSelected = -1;
  m_pChosen = nullptr;
  if (m_Templates.empty()) return NEW_CANNOT_CREATE;
  // A single board type is created straight away, even one without a
  // file-new name: the name only matters for a list to choose from.
  if (m_Templates.size() == 1) {
    m_pChosen = m_Templates.front().get();
    return NEW_CHOSEN;
  }
  for (const auto& pTemplate : m_Templates) {
    if (!pTemplate->GetFileNewName().empty()) m_Entries.push_back({pTemplate->GetFileNewName(), pTemplate.get()});
  }
  if (m_Entries.empty()) return NEW_CANCEL;
  if (m_Entries.size() == 1) {
    m_pChosen = m_Entries.front().m_pTemplate;
    return NEW_CHOSEN;
  }
  m_nSelected = 0;
  return NEW_SHOW_DIALOG;
}

tvr::BOOL CTVRNewDocumentChooser::OnOK(int index) {
  if (index < 0 || std::size_t(index) >= m_Entries.size()) return FALSE;
  m_nSelected = index;
  m_pChosen = m_Entries[std::size_t(index)].m_pTemplate;
  return TRUE;
}

CTVRBoardDoc* CTVRNewDocumentChooser::OpenChosen() {
  return m_pChosen != nullptr ? m_pChosen->OpenNewDocument() : nullptr;
}
