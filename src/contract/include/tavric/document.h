// Documents and their views. A document broadcasts changes to its views with
// UpdateAllViews(sender, hint, object); the hint numbers are the program's own:
//   0 everything, 1 read-only state, 4 one line's state (object: the line index),
//   8 text extent changed or an answer handled, 16 a trace record added
//   (object: the CTVRTraceRecord), 32 next-statement mark moved.
#pragma once

#include <string>
#include <vector>

#include <tavric/cmd_target.h>
#include <tavric/types.h>

class CTVRDocument;
class CTVRDocTemplate;

enum : tvr::LPARAM {
  HINT_ALL = 0,
  HINT_READ_ONLY = 1,
  HINT_LINE_STATE = 4,
  HINT_EXTENT = 8,
  HINT_TRACE_RECORD = 16,
  HINT_NEXT_STATEMENT = 32,
};

class TVR_API CTVRView {
 public:
  virtual ~CTVRView();
  CTVRDocument* GetDocument() const { return m_pDocument; }
  virtual void OnUpdate(CTVRView* pSender, tvr::LPARAM lHint, void* pHint) = 0;

 private:
  friend class CTVRDocument;
  CTVRDocument* m_pDocument = nullptr;
};

class TVR_API CTVRDocument : public CTVRCmdTarget {
 public:
  CTVRDocument();
  ~CTVRDocument() override;

  // Views: a view is attached to at most one document; the document does not own it.
  void AddView(CTVRView* pView);
  void RemoveView(CTVRView* pView);
  const std::vector<CTVRView*>& GetViews() const { return m_views; }
  void UpdateAllViews(CTVRView* pSender, tvr::LPARAM lHint = 0, void* pHint = nullptr);

  virtual void SetTitle(const std::string& title) { m_strTitle = title; }
  const std::string& GetTitle() const { return m_strTitle; }
  virtual void SetPathName(const std::string& path) { m_strPathName = path; }
  const std::string& GetPathName() const { return m_strPathName; }

  void SetModifiedFlag(tvr::BOOL modified = TRUE) { m_bModified = modified; }
  tvr::BOOL IsModified() const { return m_bModified; }

  CTVRDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
  void SetDocTemplate(CTVRDocTemplate* pTemplate) { m_pDocTemplate = pTemplate; }

  virtual tvr::BOOL OnNewDocument();
  virtual void DeleteContents() {}

 private:
  std::vector<CTVRView*> m_views;
  std::string m_strTitle;
  std::string m_strPathName;
  tvr::BOOL m_bModified = FALSE;
  CTVRDocTemplate* m_pDocTemplate = nullptr;
};
