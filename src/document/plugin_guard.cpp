#include "document/plugin_guard.h"

#include <tavric/board_doc.h>
#include <tavric/protocol.h>
#include <tavric/trace_record.h>

#include "contract/host_context.h"
#include "document/board_doc_private.h"
#include "document/run_end_hint.h"
#include "platform/user_prompts.h"

std::atomic<const char*> CTVRPluginGuard::s_pCurrentCall{nullptr};
int CTVRPluginGuard::s_nFaultDepth = 0;

std::string CTVRPluginGuard::FaultText(const char* name, const char* reason) {
  std::string text = std::string("Plug-in fault: ") + name + " threw an exception";
  if (reason != nullptr && *reason != '\0') text += std::string(" (") + reason + ")";
  return text + ": the reader is disconnected.";
}

void CTVRPluginGuard::OnFault(CTVRBoardDoc& doc, const char* name, const char* reason) {
  const std::string text = FaultText(name, reason);
  // Written whatever .trace says: it is why the trace ends here.
  CTVRBoardDocPrivate::Of(doc).NotifyMessage(text + "\r\n", TRACE_COMMENT);
  // A fault while this one is handled (the board's Disconnect throwing too)
  // has said what it had to say.
  if (s_nFaultDepth > 0) return;
  ++s_nFaultDepth;
  int cause = RUN_END_PLUGIN_FAULT;
  // While the statement is still marked.
  doc.UpdateAllViews(nullptr, HINT_RUN_ENDED_EARLY, &cause);
  // The base's Stop: the board's own may be what failed.
  doc.CTVRBoardDoc::OnScriptStop();
  if (CTVRBoardDocPrivate::Of(doc).m_bConnected) {
    // The board keeps a link and maybe a thread: it is asked to let them go.
    if (name != DISCONNECT) Call(doc, DISCONNECT, [&doc] { doc.Disconnect(); });
    CTVRBoardDocPrivate::Of(doc).m_bConnected = FALSE;
    if (CTVRBoardDocPrivate::Of(doc).m_pProtocol != nullptr)
      CTVRBoardDocPrivate::Of(doc).m_pProtocol->SetConnected(FALSE);
  }
  CTVRBoardDocPrivate::Of(doc).GetHostContext()->Prompts().MessageBox(text);
  --s_nFaultDepth;
}
