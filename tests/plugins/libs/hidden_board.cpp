// Holds "brd" only after its first three characters, so the loader must not
// take it; it registers from a static initialiser, so a wrong load shows.
#include <tavric/tavric.h>

class CTVRPlugHiddenBoard : public CTVRBoardDoc {
  TVR_DECLARE_DYNCREATE(CTVRPlugHiddenBoard)
};
TVR_IMPLEMENT_DYNCREATE(CTVRPlugHiddenBoard)

namespace {
struct CRegistrar {
  CRegistrar() { AddBoardType(TVR_RUNTIME_CLASS(CTVRPlugHiddenBoard), 9104); }
} registrar;
}  // namespace
