// proexample.so: the "Example" protocol. It frames the bytes of a command
// statement (opcode first) and wraps an APDU into the EXCHANGE APDU command.
#include <cstring>

#include <tavric/tavric.h>

#include "example_frame.h"

class CExampleProtocol : public CTVRProtocol {
 public:
  CExampleProtocol() {
    // What the protocol is, declared once: its name (what documents and
    // tavric-run --protocol select), its menu identifier, the answer layout
    // that decodes it (generic: names from Command.txt and Error.txt) and the
    // geometry by which a serial line's bytes are cut into its frames.
    m_strName = "Example";
    m_dwMenuId = 181;
    m_Descriptor = {ANSWER_GENERIC, &example::kGeometry};
    m_byHeaderLength = example::HEADER_LENGTH;
    m_byOpCodeLength = 1;
    m_byLRCLength = 1;
    m_byProtocolErrorCode = example::TYPE_ERROR;
    m_dwMAXLengthStandardFrame = example::MAX_PAYLOAD + 4;
  }

  // Called with a buffer that most frames fit, and again with one of the
  // length returned when that is larger. 0 means "nothing to send".
  DWORD Command(BYTE* out, DWORD capacity, BYTE* bytes, DWORD count) override {
    if (count == 0 || count > example::MAX_PAYLOAD) return 0;
    const std::vector<BYTE> frame = example::MakeFrame(example::TYPE_COMMAND, bytes, count);
    if (out != nullptr && capacity >= frame.size()) std::memcpy(out, frame.data(), frame.size());
    return DWORD(frame.size());
  }

  DWORD APDU(BYTE* out, DWORD capacity, BYTE* bytes, DWORD count) override {
    if (count == 0 || count >= example::MAX_PAYLOAD) return 0;
    std::vector<BYTE> payload{0x00};  // EXCHANGE APDU
    payload.insert(payload.end(), bytes, bytes + count);
    return Command(out, capacity, payload.data(), DWORD(payload.size()));
  }
};

// The host deletes registered protocols when it exits: create them with new
// and never delete them yourself.
TAVRIC_PLUGIN_INIT() {
  AddProtocol(new CExampleProtocol);
}
