#include <tavric/protocol.h>

TVR_IMPLEMENT_DYNAMIC(CTVRProtocol)

// Every operation is neutral, so a protocol plug-in overrides only what its
// link has: frames of length 0, no message codes, no loopback.
CTVRProtocol::CTVRProtocol() = default;
CTVRProtocol::~CTVRProtocol() = default;

tvr::DWORD CTVRProtocol::Command(tvr::BYTE*, tvr::DWORD, tvr::BYTE*, tvr::DWORD) {
  return 0;
}
tvr::DWORD CTVRProtocol::APDU(tvr::BYTE*, tvr::DWORD, tvr::BYTE*, tvr::DWORD) {
  return 0;
}
tvr::BYTE CTVRProtocol::GetMode() {
  return 0;
}
tvr::BYTE CTVRProtocol::GetOpcodeSelectCard() {
  return 0;
}
void CTVRProtocol::SetSelectCard(tvr::BYTE) {}
tvr::BYTE CTVRProtocol::GetSelectCard() {
  return 0;
}
tvr::BYTE CTVRProtocol::GetStandard() {
  return 0;
}
void CTVRProtocol::SetStandard(tvr::BYTE) {}
void CTVRProtocol::SetOldSelectCard(tvr::BYTE) {}
// Card 1 is the reader's first card; restoring it after a failed selection is
// the safe default for a protocol that does not track selections.
tvr::BYTE CTVRProtocol::GetOldSelectCard() {
  return 1;
}
tvr::WORD CTVRProtocol::GetMsgCode(tvr::BYTE*, tvr::DWORD, int) {
  return 0;
}
tvr::WORD CTVRProtocol::GetExtraMsgCode(tvr::BYTE*, tvr::DWORD, int) {
  return 0;
}
int CTVRProtocol::LpbGie(tvr::BYTE*, tvr::DWORD) {
  return 0;
}
int CTVRProtocol::LpbEmv(tvr::BYTE*, tvr::DWORD) {
  return 0;
}
tvr::BYTE CTVRProtocol::GetLpbActivated() {
  return 0;
}
void CTVRProtocol::SetLpbActivated(tvr::BYTE) {}
int CTVRProtocol::GetLpbStep() {
  return 0;
}
int CTVRProtocol::GetErrorLpb(tvr::BYTE*, tvr::DWORD) {
  return 0;
}
void CTVRProtocol::StartLpb() {}
