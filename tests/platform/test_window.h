// A message window whose handlers the tests set from outside.
#pragma once

#include <utility>

#include <tavric/message_window.h>

class CTestWindow : public CTVRMessageWindow {
 public:
  void On(tvr::UINT message, Handler handler) { SetHandler(message, std::move(handler)); }
};
