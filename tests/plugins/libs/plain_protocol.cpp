// A protocol that frames nothing: commands and APDUs go out as written.
#include <cstring>

#include <tavric/tavric.h>

class CTVRPlainProtocol : public CTVRProtocol {
 public:
  CTVRPlainProtocol() { m_strName = "Plain"; }

  DWORD Command(BYTE* out, DWORD capacity, BYTE* bytes, DWORD count) override {
    if (out != nullptr && capacity >= count && count != 0) std::memcpy(out, bytes, count);
    return count;
  }
  DWORD APDU(BYTE* out, DWORD capacity, BYTE* bytes, DWORD count) override {
    return Command(out, capacity, bytes, count);
  }
};

TAVRIC_PLUGIN_INIT() {
  AddProtocol(new CTVRPlainProtocol);
}
