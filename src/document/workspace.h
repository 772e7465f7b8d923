// The documents that come back: at start-up every board type's documents of
// the last exit are restored from their settings sections, at exit they are
// saved there, and New Script File saves, closes and reopens the documents of
// the first board type with empty scripts. Also the recent-file command and
// the session-ending flag that lets documents close without asking.
//
// Settings layout, below the base section: per board type, a section named
// after its document class with "UntitledCount" and "NbDoc"; per document, a
// section "<class>\<index>" with the document's values (CTVRDocSettings) and
// its frame's (CTVRChildFrameState).
#pragma once

#include <string>
#include <vector>

#include <tavric/types.h>

class CTVRBoardDoc;
class CTVRDocFrames;
class CTVRDocTemplate;
class CTVRHostContext;

class CTVRWorkspace {
 public:
  // A hand-edited "NbDoc" must not open thousands of windows: no more than
  // this many documents of a board type are restored.
  static constexpr tvr::DWORD MAX_DOCUMENTS = 64;
  // The kept trace texts of a board type (CTVRDocTemplate::m_KeptTraces).
  static constexpr int KEPT_TRACES = 10;

  // The context's workspace from now until destroyed.
  CTVRWorkspace(CTVRHostContext& context, CTVRDocFrames& frames);
  ~CTVRWorkspace();
  CTVRWorkspace(const CTVRWorkspace&) = delete;
  CTVRWorkspace& operator=(const CTVRWorkspace&) = delete;

  // The context's workspace in force: the last one made over it and still
  // alive, or a headless one made on first use (the context keeps it).
  static CTVRWorkspace& Of(CTVRHostContext& context);

  // Start-up: the recent-file list, then the documents of every board type in
  // registration order.
  void LoadCustomState();
  // Exit: the documents of every board type, then the recent-file list. Each
  // document's state is then saved, so it closes without asking. False when
  // the settings file could not be written: the user has been told why, and
  // the file is as it was before.
  bool SaveCustomState();

  // Restores the documents of a board type stored in the settings, handing
  // each its kept trace text when withKeptTraces. Returns the documents made.
  std::vector<CTVRBoardDoc*> RestoreDocuments(CTVRDocTemplate& tmpl, bool withKeptTraces = false);
  // Saves the documents of a board type in their order and returns how many
  // were saved; with closeAfter each one's kept trace text goes to the
  // template's table and the document is closed right after its save.
  int SaveDocuments(CTVRDocTemplate& tmpl, bool closeAfter = false);

  // New Script File for this document (it may be deleted and reopened).
  void NewScriptFile(CTVRBoardDoc& doc);
  // Recent file `index` (command - 57616) into the active document, after
  // the save-modified question.
  void OpenRecentFile(int index);

  // Closes every document of every board type without asking.
  void CloseAllDocuments();

  // The system is shutting down or logging off: documents close without asking.
  void SetSessionEnding(tvr::BOOL ending) { m_bSessionEnding = ending; }
  tvr::BOOL IsSessionEnding() const { return m_bSessionEnding; }

  // The settings section of a board type and of its document `index`.
  static std::string GetBoardTypeSection(const CTVRDocTemplate& tmpl);
  static std::string GetDocumentSection(const CTVRDocTemplate& tmpl, int index);

 private:
  CTVRHostContext& m_Context;
  CTVRDocFrames& m_Frames;
  CTVRWorkspace* m_pPrevious;
  // Why the settings file could not be written by the save under way.
  std::string m_strSaveError;
  tvr::BOOL m_bSessionEnding = FALSE;
};
