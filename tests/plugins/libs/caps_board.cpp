// A board type registered from a static initialiser, with no init entry and
// no ABI version: the oldest way a plug-in can register.
#include <tavric/tavric.h>

class CTVRPlugCapsBoard : public CTVRBoardDoc {
  TVR_DECLARE_DYNCREATE(CTVRPlugCapsBoard)
};
TVR_IMPLEMENT_DYNCREATE(CTVRPlugCapsBoard)

namespace {
struct CRegistrar {
  CRegistrar() {
    RegisterDocStrings(9103, {"Caps", "Capital board"});
    AddBoardType(TVR_RUNTIME_CLASS(CTVRPlugCapsBoard), 9103);
  }
} registrar;
}  // namespace
