// The simulated reader without a host document: the Verta protocol's buffer
// bounds and loopback verdict, and the description files against what the
// reader sends. The frames, what the reader and its card answer to each
// command, damaged frames and card events are the scenario cases sim_firmware,
// sim_card and sim_frames.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include <tavric/cmd_code.h>
#include <tavric/error_code.h>

#include "sim_firmware.h"
#include "verta_frame.h"
#include "verta_protocol.h"

namespace {

using Bytes = std::vector<BYTE>;

Bytes Cmd(BYTE opcode, const Bytes& data = {}) {
  return CTVRVertaFrame::Make(VERTA_FRAME_COMMAND, opcode, data);
}
Bytes Ans(BYTE opcode, const Bytes& data = {}) {
  return CTVRVertaFrame::Make(VERTA_FRAME_ANSWER, opcode, data);
}

TEST(VertaProtocol, LengthQueryShortBufferAndOversizedInput) {
  CTVRVertaProtocol protocol;
  BYTE command[] = {0x50, 0x10, 0x04};
  EXPECT_EQ(protocol.Command(nullptr, 0, command, 3), 7u);
  EXPECT_EQ(protocol.APDU(nullptr, 0, command, 3), 8u);

  Bytes out(600, 0xCC);
  EXPECT_EQ(protocol.Command(out.data(), 6, command, 3), 7u);
  EXPECT_EQ(out[0], 0xCC);  // too small: nothing written
  EXPECT_EQ(protocol.Command(out.data(), 7, command, 3), 7u);
  EXPECT_EQ(out[7], 0xCC);  // exactly the frame, nothing beyond

  EXPECT_EQ(protocol.Command(out.data(), 600, nullptr, 0), 0u);
  // An opcode and the largest data still fit; one byte more does not.
  Bytes big(CTVRVertaFrame::MAX_DATA_LENGTH + 2, 0x11);
  EXPECT_EQ(protocol.Command(out.data(), 600, big.data(), DWORD(big.size() - 1)), 512u);
  EXPECT_EQ(protocol.Command(out.data(), 600, big.data(), DWORD(big.size())), 0u);
  EXPECT_EQ(protocol.APDU(out.data(), 600, big.data(), DWORD(big.size() - 2)), 512u);
  EXPECT_EQ(protocol.APDU(out.data(), 600, big.data(), DWORD(big.size() - 1)), 0u);
}

// The check byte makes the exclusive or of a whole frame zero, whatever its
// length (the check is summed a word at a time, so lengths around 4 and 8
// bytes matter), and a frame with any one bit flipped fails the check.
TEST(VertaFrame, CheckByteCancelsEveryLengthAndCatchesAnyFlippedBit) {
  for (std::size_t count = 0; count <= 40; ++count) {
    Bytes data(count);
    for (std::size_t i = 0; i < count; ++i) data[i] = BYTE(0x31 * i + 7);
    Bytes frame = Cmd(0x40, data);
    ASSERT_EQ(frame.size(), count + CTVRVertaFrame::OVERHEAD);
    BYTE all = 0;
    for (BYTE b : frame) all ^= b;
    EXPECT_EQ(all, 0) << count << " data bytes";
    EXPECT_TRUE(CTVRVertaFrame::GetGeometry().m_pfnCheck(frame.data(), frame.size()));
    for (std::size_t at = 0; at < frame.size(); ++at) {
      Bytes damaged = frame;
      damaged[at] ^= BYTE(1u << (at % 8));
      EXPECT_FALSE(CTVRVertaFrame::GetGeometry().m_pfnCheck(damaged.data(), damaged.size()))
          << count << " data bytes, byte " << at;
    }
  }
}

TEST(VertaProtocol, LoopbackTestPassesOnlyOnTheExactEcho) {
  CTVRVertaProtocol protocol;
  Bytes echo = Ans(VERTA_OP_LOOPBACK, CTVRVertaProtocol::GetLoopbackPattern());
  Bytes mangled = echo;
  mangled[10] ^= 0x01;
  protocol.SetLpbActivated(1);
  EXPECT_EQ(protocol.LpbGie(mangled.data(), DWORD(mangled.size())), 0);
  EXPECT_EQ(protocol.GetLpbActivated(), 0);  // one exchange is the whole test
  protocol.SetLpbActivated(1);
  EXPECT_EQ(protocol.LpbGie(echo.data(), DWORD(echo.size())), 1);
}

// Drives a firmware through every opcode with a spread of data in every slot,
// through card movements and damaged frames; collects what its answers carry.
void Explore(std::set<BYTE>& opcodes, std::set<BYTE>& errors) {
  CTVRSimFirmware firmware;
  auto add = [&](const std::vector<Bytes>& answers) {
    for (const Bytes& a : answers) {
      ASSERT_GE(a.size(), CTVRVertaFrame::OVERHEAD);
      if (a[0] == VERTA_FRAME_ANSWER)
        opcodes.insert(a[3]);
      else
        errors.insert(a[4]);
    }
  };
  auto feed = [&](const Bytes& frame, std::size_t cut = 0) {
    add(firmware.ProcessFrame(frame.data(), cut ? cut : frame.size()));
  };
  // Data of zero, one and two bytes from a spread of values, and two longer ones.
  const BYTE values[] = {0x00, 0x01, 0x02, 0x09, 0x10, 0x3F};
  std::vector<Bytes> variants = {{}, {0x02, 0x01, 0x02}, {0x00, 0x84, 0x00, 0x00, 0x08}};
  for (BYTE a : values) {
    variants.push_back({a});
    for (BYTE b : values) variants.push_back({a, b});
  }
  for (int slot = 1; slot <= CTVRSimFirmware::SLOT_COUNT; ++slot) {
    for (const Bytes& frame : {Cmd(VERTA_OP_SELECT_CARD, {BYTE(slot)}), Cmd(VERTA_OP_RESET_CARD)}) feed(frame);
    for (int opcode = 0; opcode < 256; ++opcode)
      for (const Bytes& data : variants) feed(Cmd(BYTE(opcode), data));
  }
  for (int slot = 1; slot <= CTVRSimFirmware::SLOT_COUNT; ++slot) {
    add(firmware.RemoveCard(slot));
    add(firmware.InsertCard(slot));
  }
  Bytes bad = Cmd(VERTA_OP_LOOPBACK, {0x01});
  bad.back() ^= 0xFF;
  feed(bad);
  feed(bad, 3);
  feed(Ans(VERTA_OP_LOOPBACK));
}

TEST(DescriptionFiles, NameEveryAnswerAndErrorTheReaderSendsAndNothingElse) {
  CCmdCode commands;
  CErrorCode errors;
  commands.LoadPath(std::string(TAVRIC_SOURCE_DATA_DIR) + "/Command.txt");
  errors.LoadPath(std::string(TAVRIC_SOURCE_DATA_DIR) + "/Error.txt");
  std::set<BYTE> sentOpcodes, sentErrors;
  Explore(sentOpcodes, sentErrors);

  std::set<BYTE> namedOpcodes, namedErrors;
  for (int code = 0; code < 256; ++code) {
    if (commands.IsDefined(BYTE(code))) namedOpcodes.insert(BYTE(code));
    if (errors.IsDefined(BYTE(code))) namedErrors.insert(BYTE(code));
  }
  EXPECT_EQ(namedOpcodes, sentOpcodes);
  EXPECT_EQ(namedErrors, sentErrors);
  // Every class has a name of its own for the codes it does not list.
  for (BYTE cls : namedOpcodes) EXPECT_NE(commands.GetLength(cls, 0xEE), 0) << int(cls);
}

}  // namespace
