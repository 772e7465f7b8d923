// Two board types in one library, registered from the init entry.
#include <tavric/tavric.h>

namespace {
constexpr UINT IDR_BOARD_ONE = 9101;
constexpr UINT IDR_BOARD_TWO = 9102;
}  // namespace

class CTVRPlugBoardOne : public CTVRBoardDoc {
  TVR_DECLARE_DYNCREATE(CTVRPlugBoardOne)

 public:
  BOOL Connect() override { return TRUE; }
  BOOL Disconnect() override { return TRUE; }
};
TVR_IMPLEMENT_DYNCREATE(CTVRPlugBoardOne)

class CTVRPlugBoardTwo : public CTVRBoardDoc {
  TVR_DECLARE_DYNCREATE(CTVRPlugBoardTwo)
};
TVR_IMPLEMENT_DYNCREATE(CTVRPlugBoardTwo)

TAVRIC_PLUGIN_INIT() {
  RegisterDocStrings(IDR_BOARD_ONE, {"One", "Board one"});
  AddBoardType(TVR_RUNTIME_CLASS(CTVRPlugBoardOne), IDR_BOARD_ONE);
  RegisterDocStrings(IDR_BOARD_TWO, {"Two", "Board two"});
  AddBoardType(TVR_RUNTIME_CLASS(CTVRPlugBoardTwo), IDR_BOARD_TWO);
}
