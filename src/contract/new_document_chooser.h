// What the New command does, without the dialog: which board types to offer,
// whether to ask at all, and opening the chosen one. The shell shows the list
// when Prepare says so and reports the user's choice back.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <tavric/types.h>

class CTVRBoardDoc;
class CTVRDocTemplate;

class CTVRNewDocumentChooser {
 public:
  // The shell's text for a New with no board type registered.
  static const char* const CANNOT_CREATE_TEXT;

  enum ENewOutcome {
    NEW_CANNOT_CREATE,  // no board type: show CANNOT_CREATE_TEXT
    NEW_CANCEL,         // nothing to offer: end quietly, as Cancel
    NEW_CHOSEN,         // one board type, taken without asking
    NEW_SHOW_DIALOG,    // ask, with GetEntries() listed and GetSelected() selected
  };

  struct CEntry {
    std::string m_strName;  // the board type's file-new name
    CTVRDocTemplate* m_pTemplate;
  };

  using TemplateList = std::vector<std::unique_ptr<CTVRDocTemplate>>;

  // Over a context's board types: context.Host().GetTemplates().
  explicit CTVRNewDocumentChooser(const TemplateList& templates);

  ENewOutcome Prepare();

  const std::vector<CEntry>& GetEntries() const { return m_Entries; }
  int GetSelected() const { return m_nSelected; }
  CTVRDocTemplate* GetChosen() const { return m_pChosen; }

  // The dialog's OK on entry `index`; FALSE for an index out of the list.
  tvr::BOOL OnOK(int index);
  void OnCancel() { m_pChosen = nullptr; }

  // Opens a new document of the chosen board type (default title, then the
  // new-document step); null when none is chosen or the document fails.
  CTVRBoardDoc* OpenChosen();

 private:
  const TemplateList& m_Templates;
  std::vector<CEntry> m_Entries;
  int m_nSelected = -1;
  CTVRDocTemplate* m_pChosen = nullptr;
};
