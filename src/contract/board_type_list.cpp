#include "contract/board_type_list.h"

#include <cstdio>

#include <tavric/doc_template.h>

const char* const CTVRBoardTypeList::PLACEHOLDER_TEXT = "Available docs";

CTVRBoardTypeList::CTVRBoardTypeList(const TemplateList& templates) : m_Templates(templates) {}

std::vector<CTVRBoardTypeList::CItem> CTVRBoardTypeList::GetItems() const {
  std::vector<CItem> items;
  if (m_Templates.empty()) {
    items.push_back({ID_FILE_NEW_FIRST, PLACEHOLDER_TEXT, FALSE});
    return items;
  }
  for (std::size_t i = 0; i < m_Templates.size(); ++i) {
    char number[16];
    std::snprintf(number, sizeof(number), "&%d ", int(i + 1));
    items.push_back({tvr::UINT(ID_FILE_NEW_FIRST + i), number + m_Templates[i]->GetFileNewName(), TRUE});
  }
  return items;
}

CTVRBoardDoc* CTVRBoardTypeList::OnFileNewType(tvr::UINT nID) {
  if (!IsHandledCommand(nID)) return nullptr;
  const std::size_t index = nID - ID_FILE_NEW_FIRST;
  if (index >= m_Templates.size()) return nullptr;
  return m_Templates[index]->OpenNewDocument();
}
