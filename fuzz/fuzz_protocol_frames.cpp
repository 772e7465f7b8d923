// Any bytes framed by a real protocol object, as the host frames a script
// line: the first byte picks the protocol (Verta, PC/SC, CCID, "kiro",
// loopback), the second whether the bytes are a command or an APDU and which
// card is selected; the rest is what the line holds. The host sizes a frame
// with no buffer first, then fills a buffer of exactly that size: the frame
// must be a well-formed frame of the protocol that carries the bytes given,
// and a buffer one byte short must be left alone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include <tavric/protocol.h>

#include "ccid_frame.h"
#include "ccid_protocol.h"
#include "fuzz_support.h"
#include "kiro_frame.h"
#include "kiro_protocol.h"
#include "lpb_frame.h"
#include "lpb_protocol.h"
#include "pcsc_protocol.h"
#include "verta_frame.h"
#include "verta_protocol.h"

namespace {

enum EProtocol { VERTA, PCSC, CCID, KIRO, LPB, PROTOCOL_COUNT };

void Require(bool condition) {
  if (!condition) std::abort();
}

// The protocol's payload limit: the most data bytes one frame carries.
std::size_t MaxData(int protocol, bool apdu) {
  switch (protocol) {
    case VERTA:
      return CTVRVertaFrame::MAX_DATA_LENGTH;
    case CCID:
      return CTVRCcidFrame::MAX_DATA_LENGTH;
    case KIRO:
      return CTVRKiroFrame::MAX_LEN - 2 - (apdu ? 1 : 0);  // TFI and CMD, the card before an APDU
    case LPB:
      return CTVRLpbFrame::MAX_DATA_LENGTH;
    default:
      return SIZE_MAX;
  }
}

bool Equal(const tvr::BYTE* a, const tvr::BYTE* b, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    if (a[i] != b[i]) return false;
  return true;
}

// The frame carries `payload` (what follows the command code, or the whole
// APDU) under `code`, in the protocol's layout.
void CheckFrame(int protocol, bool apdu, tvr::BYTE card, const tvr::BYTE* frame, std::size_t length,
                const tvr::BYTE* bytes, std::size_t count) {
  const tvr::BYTE code = apdu ? 0 : bytes[0];
  const tvr::BYTE* payload = apdu ? bytes : bytes + 1;
  const std::size_t payloadCount = apdu ? count : count - 1;
  switch (protocol) {
    case VERTA: {
      const CTVRFrameGeometry& g = CTVRVertaFrame::GetGeometry();
      Require(g.m_pfnMeasure(frame, length) == long(length) && g.m_pfnCheck(frame, length));
      Require(frame[0] == VERTA_FRAME_COMMAND && frame[3] == (apdu ? VERTA_OP_EXCHANGE_APDU : code));
      Require(length == CTVRVertaFrame::OVERHEAD + payloadCount && Equal(frame + 4, payload, payloadCount));
      break;
    }
    case PCSC:
      Require(length == count && Equal(frame, bytes, count));
      break;
    case CCID:
      // Any message type the line names goes out as it is: a reader's refusal is worth testing.
      Require(length == CTVRCcidFrame::HEADER_LENGTH + payloadCount);
      Require(frame[0] == (apdu ? CCID_PC_TO_RDR_XFR_BLOCK : code) && frame[5] == tvr::BYTE(card - 1));
      Require(CTVRCcidFrame::DataLength(frame) == payloadCount && Equal(frame + 10, payload, payloadCount));
      break;
    case KIRO: {
      const CTVRFrameGeometry& g = CTVRKiroFrame::GetGeometry();
      Require(g.m_pfnMeasure(frame, length) == long(length) && g.m_pfnCheck(frame, length));
      tvr::BYTE tfi = 0, cmd = 0;
      std::vector<tvr::BYTE> data;
      Require(CTVRKiroFrame::Parse(frame, length, tfi, cmd, data) && tfi == KIRO_TFI_HOST);
      if (apdu) {
        Require(cmd == KIRO_CMD_EXCHANGE_APDU && data.size() == count + 1 && data[0] == card);
        Require(Equal(data.data() + 1, bytes, count));
      } else {
        Require(cmd == code && data.size() == payloadCount && Equal(data.data(), payload, payloadCount));
      }
      break;
    }
    default: {
      Require(CTVRLpbFrame::Check(frame, length) == 0);
      if (code == LPB_TEST_GIE || code == LPB_TEST_EMV) {
        // The first step of the test the line names, whatever follows its letter.
        const std::vector<tvr::BYTE> first = CTVRLpbProtocol::GetSteps(code == LPB_TEST_GIE ? 1 : 2).front();
        Require(length == first.size() && Equal(frame, first.data(), length));
      } else {
        Require(frame[2] == code && length == payloadCount + 4 && Equal(frame + 3, payload, payloadCount));
      }
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static std::vector<std::unique_ptr<CTVRProtocol>>* protocols = [] {
    tvr_fuzz::InitOnce();
    auto* p = new std::vector<std::unique_ptr<CTVRProtocol>>;
    p->emplace_back(new CTVRVertaProtocol);
    p->emplace_back(new CTVRPcscProtocol);
    p->emplace_back(new CTVRCcidProtocol);
    p->emplace_back(new CTVRKiroProtocol);
    p->emplace_back(new CTVRLpbProtocol);
    return p;
  }();
  const int which = data[0] % PROTOCOL_COUNT;
  CTVRProtocol& protocol = *(*protocols)[std::size_t(which)];
  // Bit 0: an APDU (the loopback protocol frames commands only); bits 1-3: the card.
  const bool apdu = (data[1] & 1) && which != LPB;
  const tvr::BYTE card = tvr::BYTE(1 + (data[1] >> 1) % 6);
  protocol.SetSelectCard(card);

  // The line's bytes in a buffer of their own size, so that a read past them shows.
  const std::size_t count = size - 2;
  std::unique_ptr<tvr::BYTE[]> bytes(new tvr::BYTE[count ? count : 1]);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = data[2 + i];
  auto frameOf = [&](tvr::BYTE* out, tvr::DWORD capacity) {
    return apdu ? protocol.APDU(out, capacity, bytes.get(), tvr::DWORD(count))
                : protocol.Command(out, capacity, bytes.get(), tvr::DWORD(count));
  };

  const tvr::DWORD length = frameOf(nullptr, 0);
  const std::size_t payload = apdu ? count : (count ? count - 1 : 0);
  // A frame exactly when there is something to send and it fits; a loopback
  // line that names a test sends the test's first step whatever follows.
  const bool test = which == LPB && count != 0 && (bytes[0] == LPB_TEST_GIE || bytes[0] == LPB_TEST_EMV);
  Require((length != 0) == (test || (count != 0 && payload <= MaxData(which, apdu))));
  if (length == 0) return 0;

  // One byte short: the length again, nothing written.
  std::unique_ptr<tvr::BYTE[]> shortBuffer(new tvr::BYTE[length - 1 ? length - 1 : 1]);
  for (tvr::DWORD i = 0; i + 1 < length; ++i) shortBuffer[i] = 0xA5;
  Require(frameOf(length > 1 ? shortBuffer.get() : nullptr, length - 1) == length);
  for (tvr::DWORD i = 0; i + 1 < length; ++i) Require(shortBuffer[i] == 0xA5);

  std::unique_ptr<tvr::BYTE[]> frame(new tvr::BYTE[length]);
  Require(frameOf(frame.get(), length) == length);
  CheckFrame(which, apdu, card, frame.get(), length, bytes.get(), count);
  // A test started by a loopback line is the host's to run, not the next input's.
  protocol.SetLpbActivated(0);
  return 0;
}
