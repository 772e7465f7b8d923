// The hidden message window of a reader document: it receives the named
// messages and hands them to its document.
#pragma once

#include <tavric/message_window.h>

class CTVRBoardDoc;

class TVR_API CTVRDummyWnd : public CTVRMessageWindow {
 public:
  explicit CTVRDummyWnd(CTVRBoardDoc* pDoc);
  CTVRBoardDoc* m_pDoc;
};
