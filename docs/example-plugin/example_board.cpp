// brdexample.so: the "Example reader", a board with a reader in software
// behind it. A real board would open its link in Connect, write the frame in
// Send and post each answer as it arrives, from its own receiving thread if
// it has one: ReportAnswer copies the bytes, so that is safe from any thread.
#include <string>
#include <vector>

#include <tavric/tavric.h>

#include "example_frame.h"

namespace {
constexpr UINT IDR_EXAMPLE = 20001;  // any number unique among your plug-ins
constexpr BYTE OP_FIRMWARE = 0x30;
constexpr BYTE ERR_BAD_FRAME = 0x01;
}  // namespace

class CExampleDoc : public CTVRBoardDoc {
  TVR_DECLARE_DYNCREATE(CExampleDoc)

 public:
  BOOL Connect() override {
    // Comments go to the trace with the kind given; end them with CR LF.
    ReportComment("Example reader connected\r\n", TRACE_COMMENT);
    return TRUE;
  }

  BOOL Disconnect() override { return TRUE; }

  BOOL Send(BYTE* frame, DWORD length) override {
    if (length < example::HEADER_LENGTH + 2 || frame[0] != example::TYPE_COMMAND) {
      // An error answer still ends the statement; WM_RECV_ERROR stops the run
      // (when auto pause is on) and beeps.
      const BYTE payload[] = {length > 3 ? frame[3] : BYTE(0), ERR_BAD_FRAME};
      std::vector<BYTE> answer = example::MakeFrame(example::TYPE_ERROR, payload, sizeof(payload));
      ReportAnswer(answer.data(), DWORD(answer.size()));
      ReportError();
      return TRUE;
    }
    // The reader echoes the opcode, which is what ends the statement, and
    // answers the firmware request with its version; any other command gets
    // its own data back.
    const BYTE opcode = frame[3];
    std::vector<BYTE> payload{opcode};
    if (opcode == OP_FIRMWARE) {
      const std::string version = "EXAMPLE 1.0";
      payload.insert(payload.end(), version.begin(), version.end());
    } else {
      payload.insert(payload.end(), frame + 4, frame + length - 1);
    }
    std::vector<BYTE> answer = example::MakeFrame(example::TYPE_ANSWER, payload.data(), DWORD(payload.size()));
    ReportAnswer(answer.data(), DWORD(answer.size()));
    return TRUE;
  }
};
TVR_IMPLEMENT_DYNCREATE(CExampleDoc)

TAVRIC_PLUGIN_INIT() {
  // Document name (the default title: "Example1", "Example2"...) and the name
  // New and tavric-run --list show.
  RegisterDocStrings(IDR_EXAMPLE, {"Example", "Example reader"});
  AddBoardType(TVR_RUNTIME_CLASS(CExampleDoc), IDR_EXAMPLE);
}
