#include <tavric/loopback.h>

TVR_IMPLEMENT_DYNCREATE(CTVRLoopback)

CTVRLoopback::CTVRLoopback() = default;
CTVRLoopback::~CTVRLoopback() = default;
