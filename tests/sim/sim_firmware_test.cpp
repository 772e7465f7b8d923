// The simulated reader without a host document: the Verta framing, the
// firmware's answers to damaged frames and its card events, and the
// description files against what the reader sends. What the reader and its
// card answer to each command are the scenario cases sim_firmware and sim_card.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include <tavric/cmd_code.h>
#include <tavric/error_code.h>

#include "sim_card.h"
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
Bytes Err(BYTE opcode, BYTE error) {
  return CTVRVertaFrame::Make(VERTA_FRAME_ERROR, opcode, {error});
}
Bytes Exchange(CTVRSimFirmware& firmware, BYTE opcode, const Bytes& data = {}) {
  const Bytes frame = Cmd(opcode, data);
  const auto answers = firmware.ProcessFrame(frame.data(), frame.size());
  return answers.size() == 1 ? answers[0] : Bytes{};
}

TEST(VertaProtocol, FramesCommandsAndApdus) {
  CTVRVertaProtocol protocol;
  BYTE command[] = {0x20, 0x02};
  BYTE out[16] = {};
  ASSERT_EQ(protocol.Command(out, sizeof out, command, 2), 6u);
  EXPECT_EQ(Bytes(out, out + 6), (Bytes{0x40, 0x00, 0x02, 0x20, 0x02, 0x40 ^ 0x02 ^ 0x20 ^ 0x02}));

  // An APDU travels inside EXCHANGE APDU: the frame of the command 00 followed by it.
  BYTE apdu[] = {0x00, 0x84, 0x00, 0x00, 0x08};
  BYTE asCommand[] = {0x00, 0x00, 0x84, 0x00, 0x00, 0x08};
  BYTE viaApdu[16] = {}, viaCommand[16] = {};
  ASSERT_EQ(protocol.APDU(viaApdu, sizeof viaApdu, apdu, 5), 10u);
  ASSERT_EQ(protocol.Command(viaCommand, sizeof viaCommand, asCommand, 6), 10u);
  EXPECT_EQ(Bytes(viaApdu, viaApdu + 10), Bytes(viaCommand, viaCommand + 10));

  // LEN is big-endian: 301 = opcode and 300 data bytes.
  const Bytes frame = CTVRVertaFrame::Make(VERTA_FRAME_COMMAND, 0x40, Bytes(300, 0xA5));
  EXPECT_EQ(Bytes(frame.begin() + 1, frame.begin() + 3), (Bytes{0x01, 0x2D}));
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

TEST(SimFirmware, DamagedFramesGetAnErrorEchoingTheOpcode) {
  Bytes badSum = Cmd(VERTA_OP_GET_FIRMWARE);
  badSum.back() ^= 0x01;
  Bytes lost = Cmd(VERTA_OP_SELECT_CARD, {0x02});
  lost.erase(lost.begin() + 4);
  const std::pair<Bytes, Bytes> cases[] = {
      {badSum, Err(VERTA_OP_GET_FIRMWARE, VERTA_ERR_CHECKSUM)},
      {lost, Err(VERTA_OP_SELECT_CARD, VERTA_ERR_FRAME_LENGTH)},
      {Ans(VERTA_OP_GET_FIRMWARE), Err(VERTA_OP_GET_FIRMWARE, VERTA_ERR_FRAME_TYPE)},
      {{}, Err(VERTA_OP_NONE, VERTA_ERR_FRAME_LENGTH)},
      {{0x40, 0x00, 0x01}, Err(VERTA_OP_NONE, VERTA_ERR_FRAME_LENGTH)},
      {{0x40, 0xFF, 0xFF, 0x30, 0x00}, Err(0x30, VERTA_ERR_FRAME_LENGTH)},  // LEN claims more than was given
  };
  CTVRSimFirmware firmware;
  for (const auto& [frame, error] : cases) {
    SCOPED_TRACE(::testing::PrintToString(frame));
    EXPECT_EQ(firmware.ProcessFrame(frame.data(), frame.size()), std::vector<Bytes>{error});
  }
  EXPECT_EQ(firmware.ProcessFrame(nullptr, 12).size(), 1u);
}

TEST(SimFirmware, CardEventsReportInsertionAndRemovalUnlessMasked) {
  CTVRSimFirmware firmware;
  EXPECT_EQ(firmware.InsertCard(2), std::vector<Bytes>{Ans(VERTA_OP_CARD_EVENT, {0x21})});
  EXPECT_TRUE(firmware.InsertCard(2).empty());  // already there
  Exchange(firmware, VERTA_OP_RESET_CARD);
  EXPECT_EQ(firmware.RemoveCard(1), std::vector<Bytes>{Ans(VERTA_OP_CARD_EVENT, {0x10})});
  EXPECT_EQ(Exchange(firmware, VERTA_OP_RESET_CARD), Err(VERTA_OP_RESET_CARD, VERTA_ERR_NO_CARD));
  firmware.InsertCard(1);
  EXPECT_FALSE(firmware.IsCardPowered(1));  // back, but not powered

  // Bit 1 of the event mask off: slot 2 reports nothing, slot 3 still does.
  Exchange(firmware, VERTA_OP_WRITE_REGISTER, {CTVRSimFirmware::REG_EVENT_MASK, 0x3D});
  EXPECT_TRUE(firmware.RemoveCard(2).empty());
  EXPECT_FALSE(firmware.IsCardPresent(2));
  EXPECT_EQ(firmware.RemoveCard(3).size(), 1u);
}

// (What the card answers to each APDU is the scenario case sim_card.)
TEST(SimCard, ChallengesDifferButACardAsNewGivesTheSameOnes) {
  // Runs are reproducible.
  const Bytes getChallenge = {0x00, 0x84, 0x00, 0x00, 0x10};
  CTVRSimCard first, twin;
  const Bytes challenge = first.Process(getChallenge.data(), 5);
  EXPECT_NE(first.Process(getChallenge.data(), 5), challenge);
  EXPECT_EQ(twin.Process(getChallenge.data(), 5), challenge);
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
