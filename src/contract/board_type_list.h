// The board-type list of the File and New menus ("Available docs"): one
// command per registered board type, numbered from 33768. The shell puts the
// items in place of its placeholder item and sends the commands back here.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <tavric/types.h>

class CTVRBoardDoc;
class CTVRDocTemplate;

class CTVRBoardTypeList {
 public:
  static constexpr tvr::UINT ID_FILE_NEW_FIRST = 33768;
  // Only this many board types can be created from the list; later ones are
  // shown but their commands do nothing.
  static constexpr int HANDLED_COUNT = 8;
  static constexpr tvr::UINT ID_FILE_NEW_LAST = ID_FILE_NEW_FIRST + HANDLED_COUNT - 1;
  static const char* const PLACEHOLDER_TEXT;

  struct CItem {
    tvr::UINT m_nID;
    std::string m_strText;
    tvr::BOOL m_bEnabled;
  };

  using TemplateList = std::vector<std::unique_ptr<CTVRDocTemplate>>;

  // Over a context's board types: context.Host().GetTemplates().
  explicit CTVRBoardTypeList(const TemplateList& templates);

  // The items that replace the placeholder: "&1 Name", "&2 Name"...; with no
  // board type, the placeholder itself, disabled.
  std::vector<CItem> GetItems() const;

  static bool IsHandledCommand(tvr::UINT nID) { return nID >= ID_FILE_NEW_FIRST && nID <= ID_FILE_NEW_LAST; }
  // Creates a new document of the board type behind the command; null for a
  // command out of the handled range or past the last board type.
  CTVRBoardDoc* OnFileNewType(tvr::UINT nID);

 private:
  const TemplateList& m_Templates;
};
