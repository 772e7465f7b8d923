// Boards for the runner's failure paths: one that takes every frame and never
// answers, one that cannot connect.
#include <tavric/tavric.h>

class CTVRSilentDoc : public CTVRBoardDoc {
  TVR_DECLARE_DYNCREATE(CTVRSilentDoc)

 public:
  BOOL Connect() override { return TRUE; }
  BOOL Disconnect() override { return TRUE; }
  BOOL Send(BYTE*, DWORD) override { return TRUE; }
};
TVR_IMPLEMENT_DYNCREATE(CTVRSilentDoc)

class CTVRRefusingDoc : public CTVRBoardDoc {
  TVR_DECLARE_DYNCREATE(CTVRRefusingDoc)

 public:
  BOOL Connect() override {
    TVRMessageBox("The reader does not answer.");
    return FALSE;
  }
};
TVR_IMPLEMENT_DYNCREATE(CTVRRefusingDoc)

TAVRIC_PLUGIN_INIT() {
  RegisterDocStrings(9301, {"Silent", "Silent reader"});
  AddBoardType(TVR_RUNTIME_CLASS(CTVRSilentDoc), 9301);
  RegisterDocStrings(9302, {"Refusing", "Refusing reader"});
  AddBoardType(TVR_RUNTIME_CLASS(CTVRRefusingDoc), 9302);
}
