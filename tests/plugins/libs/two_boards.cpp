// Two board types in one library, registered from the init entry; the runner's
// tests use them for a reader that never answers and one that cannot connect.
#include <tavric/tavric.h>

class CTVRPlugBoardOne : public CTVRBoardDoc {
  TVR_DECLARE_DYNCREATE(CTVRPlugBoardOne)

 public:
  BOOL Connect() override { return TRUE; }
  BOOL Disconnect() override { return TRUE; }
  BOOL Send(BYTE*, DWORD) override { return TRUE; }
};
TVR_IMPLEMENT_DYNCREATE(CTVRPlugBoardOne)

class CTVRPlugBoardTwo : public CTVRBoardDoc {
  TVR_DECLARE_DYNCREATE(CTVRPlugBoardTwo)

 public:
  BOOL Connect() override {
    TVRMessageBox("The reader does not answer.");
    return FALSE;
  }
};
TVR_IMPLEMENT_DYNCREATE(CTVRPlugBoardTwo)

TAVRIC_PLUGIN_INIT() {
  RegisterDocStrings(9101, {"One", "Board one"});
  AddBoardType(TVR_RUNTIME_CLASS(CTVRPlugBoardOne), 9101);
  RegisterDocStrings(9102, {"Two", "Board two"});
  AddBoardType(TVR_RUNTIME_CLASS(CTVRPlugBoardTwo), 9102);
}
