// The document's hidden message window: each named message reaches its
// handler in the document. "Tavric::ReceiveATR" is registered but handled by
// no window, so it has no entry here.
#include <tavric/dummy_wnd.h>

#include <cstdint>
#include <cstring>

#include <tavric/board_doc.h>
#include <tavric/messages.h>

#include "document/board_doc_private.h"
#include "run_messages.h"

namespace {

BYTE* Bytes(WPARAM wParam) {
  return reinterpret_cast<BYTE*>(wParam);
}

// A negative count from a confused board would turn into four billion bytes.
DWORD Count(LPARAM lParam) {
  return lParam > 0 ? DWORD(lParam) : 0;
}

}  // namespace

CTVRDummyWnd::CTVRDummyWnd(CTVRBoardDoc* pDoc) : m_pDoc(pDoc) {
  SetHandler(WM_SEND_COMMAND, [this](WPARAM w, LPARAM l) -> LRESULT {
    CTVRBoardDocPrivate::Of(*m_pDoc).OnSendCommand(Bytes(w), Count(l));
    return 1;
  });
  SetHandler(WM_SEND_APDU, [this](WPARAM w, LPARAM l) -> LRESULT {
    CTVRBoardDocPrivate::Of(*m_pDoc).OnSendApdu(Bytes(w), Count(l));
    return 1;
  });
  SetHandler(WM_SEND_RAWDATA, [this](WPARAM w, LPARAM l) -> LRESULT {
    CTVRBoardDocPrivate::Of(*m_pDoc).OnSendRawdata(Bytes(w), Count(l));
    return 1;
  });
  SetHandler(WM_COMMAND_TYPE, [this](WPARAM w, LPARAM l) -> LRESULT {
    CTVRBoardDocPrivate::Of(*m_pDoc).OnCommandType(w, l);
    return 1;
  });
  SetHandler(WM_END_COMMAND, [this](WPARAM w, LPARAM l) -> LRESULT {
    CTVRBoardDocPrivate::Of(*m_pDoc).OnEndCommand(w, l);
    return 1;
  });
  SetHandler(WM_RECV_ANSWER, [this](WPARAM w, LPARAM l) -> LRESULT {
    CTVRBoardDocPrivate::Of(*m_pDoc).OnReceiveAnswer(Bytes(w), Count(l));
    return 1;
  });
  SetHandler(WM_RECV_TIMED_ANSWER, [this](WPARAM w, LPARAM l) -> LRESULT {
    // The time follows the copy's zero byte (PostTimedAnswer); a message
    // without bytes carries none.
    std::int64_t roundTrip = -1;
    if (w != 0) std::memcpy(&roundTrip, Bytes(w) + Count(l) + 1, sizeof roundTrip);
    CTVRBoardDocPrivate::Of(*m_pDoc).OnReceiveAnswer(Bytes(w), Count(l), roundTrip);
    return 1;
  });
  SetHandler(WM_RECV_COMMENTS, [this](WPARAM w, LPARAM l) -> LRESULT {
    CTVRBoardDocPrivate::Of(*m_pDoc).OnReceiveComments(reinterpret_cast<const char*>(w), l);
    return 1;
  });
  SetHandler(WM_RECV_ERROR, [this](WPARAM, LPARAM) -> LRESULT {
    CTVRBoardDocPrivate::Of(*m_pDoc).OnReceiveError();
    return 1;
  });
  SetHandler(WM_RECV_BOARD_DISCONNECTED, [this](WPARAM, LPARAM) -> LRESULT {
    CTVRBoardDocPrivate::Of(*m_pDoc).OnReceiveBoardDisconnected();
    return 1;
  });
  SetHandler(WM_RECV_CARD_REMOVED, [this](WPARAM w, LPARAM) -> LRESULT {
    CTVRBoardDocPrivate::Of(*m_pDoc).OnReceiveCardRemoved(w);
    return 1;
  });
  SetHandler(WM_RECV_SETTINGS_CHANGED, [this](WPARAM, LPARAM) -> LRESULT {
    CTVRBoardDocPrivate::Of(*m_pDoc).OnReceiveSettingsChanged();
    return 1;
  });
  SetHandler(WM_LPB, [this](WPARAM, LPARAM) -> LRESULT {
    CTVRBoardDocPrivate::Of(*m_pDoc).OnLpb();
    return 1;
  });
  SetHandler(GetContinueRunMessage(), [this](WPARAM w, LPARAM) -> LRESULT {
    CTVRBoardDocPrivate::Of(*m_pDoc).OnContinueRun(w);
    return 1;
  });
}
