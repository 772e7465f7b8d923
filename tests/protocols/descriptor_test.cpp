// What a protocol declares of itself is all that the answer decoder, the
// simulated reader and the frame cutter of a serial line go by: each shipped
// protocol, and one declared only through its descriptor under a name and menu
// identifier that no one knows, get their family, their link and their frames.
#include <memory>
#include <typeinfo>
#include <vector>

#include <gtest/gtest.h>

#include "ccid_protocol.h"
#include "decode/generic_family.h"
#include "decode/kiro_family.h"
#include "decode/loopback_family.h"
#include "decode/message_code_family.h"
#include "decode/pcsc_family.h"
#include "decode/protocol_family.h"
#include "frame_cutter.h"
#include "hex_bytes.h"
#include "kiro_protocol.h"
#include "lpb_frame.h"
#include "lpb_protocol.h"
#include "pcsc_protocol.h"
#include "sim_ccid_link.h"
#include "sim_kiro_link.h"
#include "sim_link.h"
#include "sim_lpb_link.h"
#include "sim_pcsc_link.h"
#include "sim_verta_link.h"
#include "verta_protocol.h"

namespace {

using tvr_test::Hex;

class CDeclaredProtocol : public CTVRProtocol {
 public:
  CDeclaredProtocol() {
    m_strName = "Declared";
    m_Descriptor = {ANSWER_LOOPBACK, &CTVRLpbFrame::GetGeometry()};
  }
};

TEST(ProtocolDescriptor, ChoosesTheAnswerFamilyTheSimulatedLinkAndTheFramesCut) {
  struct CRow {
    std::shared_ptr<CTVRProtocol> m_pProtocol;
    const std::type_info& m_Family;
    const std::type_info& m_Link;
    std::vector<BYTE> m_Frame;  // one frame of the protocol; empty: frames end at silences
  };
  const CRow rows[] = {
      {std::make_shared<CTVRVertaProtocol>(), typeid(CTVRGenericFamily), typeid(CTVRSimVertaLink),
       Hex("60 00 01 12 73")},
      {std::make_shared<CTVRPcscProtocol>(), typeid(CTVRPcscFamily), typeid(CTVRSimPcscLink), {}},
      {std::make_shared<CTVRCcidProtocol>(), typeid(CTVRMessageCodeFamily), typeid(CTVRSimCcidLink),
       Hex("81 00 00 00 00 00 01 00 00 00")},
      {std::make_shared<CTVRKiroProtocol>(), typeid(CTVRKiroFamily), typeid(CTVRSimKiroLink),
       Hex("00 00 FF 01 FF 7F 81 00")},
      {std::make_shared<CTVRLpbProtocol>(), typeid(CTVRLoopbackFamily), typeid(CTVRSimLpbLink), Hex("15 01 47 01 52")},
      {std::make_shared<CDeclaredProtocol>(), typeid(CTVRLoopbackFamily), typeid(CTVRSimLpbLink),
       Hex("15 01 47 01 52")},
  };
  for (const CRow& row : rows) {
    const CTVRProtocol& protocol = *row.m_pProtocol;
    SCOPED_TRACE(protocol.GetName());
    EXPECT_EQ(typeid(CTVRProtocolFamily::ForProtocol(protocol)), row.m_Family);
    EXPECT_EQ(typeid(CTVRSimLink::ForLayout(protocol.GetDescriptor().m_eAnswerLayout)), row.m_Link);
    // Two frames back to back come out as two frames at once; without a
    // geometry nothing is a frame before the line falls silent.
    CTVRFrameCutter cutter(protocol.GetDescriptor().m_pGeometry);
    std::vector<BYTE> stream = row.m_Frame;
    stream.insert(stream.end(), row.m_Frame.begin(), row.m_Frame.end());
    if (stream.empty()) stream = {0x60, 0x00, 0x90, 0x00};
    const std::vector<CTVRFrameCutter::CPiece> pieces = cutter.Feed(stream.data(), stream.size());
    ASSERT_EQ(pieces.size(), row.m_Frame.empty() ? 0u : 2u);
    for (const CTVRFrameCutter::CPiece& piece : pieces) {
      EXPECT_EQ(piece.m_eKind, CTVRFrameCutter::CUT_FRAME);
      EXPECT_EQ(piece.m_Bytes, row.m_Frame);
    }
  }
}

}  // namespace
