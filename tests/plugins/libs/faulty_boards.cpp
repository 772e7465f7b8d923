// Readers whose board fails at the third frame, each in its own way; the
// runner's tests check that the trace up to the fault survives. The first two
// frames are taken and answered with a comment ("frame N taken").
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include <tavric/tavric.h>

class CTVRFaultyBoard : public CTVRBoardDoc {
 public:
  BOOL Connect() override { return TRUE; }
  BOOL Disconnect() override { return TRUE; }
  BOOL Send(BYTE*, DWORD) override {
    const HWND hWnd = GetDummyWindow()->GetSafeHwnd();
    if (++m_nFrames == 3) {
      Fail(hWnd);
      return TRUE;
    }
    const std::string text = "frame " + std::to_string(m_nFrames) + " taken\r\n";
    PostComment(hWnd, text.c_str(), TRACE_COMMENT);
    PostMessage(hWnd, WM_END_COMMAND, 0, 0);
    return TRUE;
  }

 protected:
  virtual void Fail(HWND hWnd) = 0;

 private:
  int m_nFrames = 0;
};

// The process gets SIGSEGV, as from a bad pointer (raised, so that the
// undefined-behaviour sanitizer has nothing to say about it).
class CTVRCrashingBoard : public CTVRFaultyBoard {
  TVR_DECLARE_DYNCREATE(CTVRCrashingBoard)
 protected:
  void Fail(HWND) override { ::raise(SIGSEGV); }
};
TVR_IMPLEMENT_DYNCREATE(CTVRCrashingBoard)

class CTVRThrowingBoard : public CTVRFaultyBoard {
  TVR_DECLARE_DYNCREATE(CTVRThrowingBoard)
 protected:
  void Fail(HWND) override { throw std::runtime_error("the link is gone"); }
};
TVR_IMPLEMENT_DYNCREATE(CTVRThrowingBoard)

// Never returns. It says so on stderr first, so that a test knows when.
class CTVRHangingBoard : public CTVRFaultyBoard {
  TVR_DECLARE_DYNCREATE(CTVRHangingBoard)
 protected:
  void Fail(HWND) override {
    std::fputs("test board: Send hangs\n", stderr);
    for (;;) ::pause();
  }
};
TVR_IMPLEMENT_DYNCREATE(CTVRHangingBoard)

// The reader's line garbles the answer: a comment and a reader error, as the
// serial board reports a frame with a wrong checksum.
class CTVRErringBoard : public CTVRFaultyBoard {
  TVR_DECLARE_DYNCREATE(CTVRErringBoard)
 protected:
  void Fail(HWND hWnd) override {
    PostComment(hWnd, "a garbled frame was dropped\r\n", TRACE_COMMENT);
    PostMessage(hWnd, WM_RECV_ERROR, 0, 0);
  }
};
TVR_IMPLEMENT_DYNCREATE(CTVRErringBoard)

TAVRIC_PLUGIN_INIT() {
  RegisterDocStrings(9201, {"Crashing", "Crashing board"});
  AddBoardType(TVR_RUNTIME_CLASS(CTVRCrashingBoard), 9201);
  RegisterDocStrings(9202, {"Throwing", "Throwing board"});
  AddBoardType(TVR_RUNTIME_CLASS(CTVRThrowingBoard), 9202);
  RegisterDocStrings(9203, {"Hanging", "Hanging board"});
  AddBoardType(TVR_RUNTIME_CLASS(CTVRHangingBoard), 9203);
  RegisterDocStrings(9204, {"Erring", "Erring board"});
  AddBoardType(TVR_RUNTIME_CLASS(CTVRErringBoard), 9204);
}
