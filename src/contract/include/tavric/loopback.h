// An empty command target that plug-ins may derive from for loopback tests.
#pragma once

#include <tavric/class_info.h>
#include <tavric/cmd_target.h>

class TVR_API CTVRLoopback : public CTVRCmdTarget {
  TVR_DECLARE_DYNCREATE(CTVRLoopback)

 public:
  CTVRLoopback();

 protected:
  ~CTVRLoopback() override;
};
