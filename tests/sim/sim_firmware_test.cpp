// The simulated reader without a host document: the Verta framing, the
// firmware and its ISO 7816-4 card (each table played in order against one
// reader or card), and the description files against what the reader sends.
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
Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
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

TEST(SimFirmware, AnswersEachCommandInTurn) {
  const Bytes challenge = {0x00, 0x84, 0x00, 0x00, 0x08};
  struct CStep {
    BYTE opcode;
    Bytes data;
    Bytes expected;
  };
  // Slots 1, 3 and 4 hold cards, slot 5 a mute one, slots 2 and 6 nothing.
  const CStep steps[] = {
      {0x77, {}, Err(0x77, VERTA_ERR_UNKNOWN_COMMAND)},
      {VERTA_OP_CARD_EVENT, {0x11}, Err(VERTA_OP_CARD_EVENT, VERTA_ERR_UNKNOWN_COMMAND)},  // reader to host only
      {VERTA_OP_GET_FIRMWARE, {}, Ans(VERTA_OP_GET_FIRMWARE, Text("VRT-SIM 2.04"))},
      {VERTA_OP_SELECT_CARD, {}, Err(VERTA_OP_SELECT_CARD, VERTA_ERR_DATA_LENGTH)},
      {VERTA_OP_SELECT_CARD, {0x06}, Ans(VERTA_OP_SELECT_CARD, {0x06})},
      {VERTA_OP_SELECT_CARD, {0x02}, Ans(VERTA_OP_SELECT_CARD, {0x02})},
      {VERTA_OP_SELECT_CARD, {0x00}, Err(VERTA_OP_SELECT_CARD, VERTA_ERR_CARD_NUMBER)},
      {VERTA_OP_SELECT_CARD, {0x07}, Err(VERTA_OP_SELECT_CARD, VERTA_ERR_CARD_NUMBER)},
      {VERTA_OP_RESET_CARD, {}, Err(VERTA_OP_RESET_CARD, VERTA_ERR_NO_CARD)},  // still on slot 2
      {VERTA_OP_EXCHANGE_APDU, challenge, Err(VERTA_OP_EXCHANGE_APDU, VERTA_ERR_NO_CARD)},
      {VERTA_OP_SELECT_CARD, {0x05}, Ans(VERTA_OP_SELECT_CARD, {0x05})},
      {VERTA_OP_RESET_CARD, {}, Err(VERTA_OP_RESET_CARD, VERTA_ERR_CARD_MUTE)},
      {VERTA_OP_SELECT_CARD, {0x01}, Ans(VERTA_OP_SELECT_CARD, {0x01})},
      {VERTA_OP_EXCHANGE_APDU, challenge, Err(VERTA_OP_EXCHANGE_APDU, VERTA_ERR_CARD_NOT_POWERED)},
      {VERTA_OP_RESET_CARD, {0x02}, Err(VERTA_OP_RESET_CARD, VERTA_ERR_PARAMETER)},
      {VERTA_OP_RESET_CARD, {}, Ans(VERTA_OP_RESET_CARD, CTVRSimCard::GetT0Atr())},
      {VERTA_OP_EXCHANGE_APDU, {0x00, 0xA4, 0x00, 0x00, 0x02, 0x2F, 0x01}, Ans(VERTA_OP_EXCHANGE_APDU, {0x61, 0x0D})},
      {VERTA_OP_CARD_STATUS, {}, Ans(VERTA_OP_CARD_STATUS, {0x03, 0x00, 0x01, 0x01, 0x01, 0x00})},
      {VERTA_OP_SELECT_CARD, {0x03}, Ans(VERTA_OP_SELECT_CARD, {0x03})},
      {VERTA_OP_RESET_CARD, {0x01}, Ans(VERTA_OP_RESET_CARD, CTVRSimCard::GetT1Atr())},
      {VERTA_OP_WRITE_REGISTER, {0x3E, 0xAA, 0xBB}, Ans(VERTA_OP_WRITE_REGISTER, {0x3E})},  // the last two
      {VERTA_OP_READ_REGISTER, {0x3E, 0x02}, Ans(VERTA_OP_READ_REGISTER, {0x3E, 0xAA, 0xBB})},
      {VERTA_OP_WRITE_REGISTER, {0x01, 0x09}, Err(VERTA_OP_WRITE_REGISTER, VERTA_ERR_READ_ONLY_REGISTER)},
      {VERTA_OP_SET_SLOT_PARAMETER, {VERTA_PARAM_CLOCK, 21}, Err(VERTA_OP_SET_SLOT_PARAMETER, VERTA_ERR_PARAMETER)},
      {VERTA_OP_LOOPBACK, {0x00, 0x40, 0xFF}, Ans(VERTA_OP_LOOPBACK, {0x00, 0x40, 0xFF})},
  };
  CTVRSimFirmware firmware;
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE("step " + std::to_string(i));
    EXPECT_EQ(Exchange(firmware, steps[i].opcode, steps[i].data), steps[i].expected);
  }
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

TEST(SimCard, AnswersEachApduInTurn) {
  struct CApdu {
    Bytes apdu;
    Bytes tail;            // the response ends with these bytes
    std::size_t size = 0;  // and has this length; 0: the response is the tail
  };
  const Bytes wrong = {0x00, 0x82, 0x00, 0x00, 0x08, 1, 2, 3, 4, 5, 6, 7, 8};
  // The second challenge below, enciphered (worked out with the openssl tool).
  const Bytes right = {0x00, 0x82, 0x00, 0x00, 0x08, 0xA2, 0x34, 0xC0, 0x54, 0x55, 0xD9, 0xB8, 0x0E};
  const CApdu apdus[] = {
      // Select with FCI: 61xx, then GET RESPONSE in parts; too much asked tells the length.
      {{0x00, 0xA4, 0x00, 0x00, 0x02, 0x2F, 0x01}, {0x61, 0x0D}},
      {{0x00, 0xC0, 0x00, 0x00, 0x0E}, {0x6C, 0x0D}},
      {{0x00, 0xC0, 0x00, 0x00, 0x04}, {0x62, 0x0B, 0x82, 0x01, 0x61, 0x09}},
      {{0x00, 0xC0, 0x00, 0x00, 0x09}, {0x01, 0x83, 0x02, 0x2F, 0x01, 0x80, 0x02, 0x00, 0x20, 0x90, 0x00}},
      {{0x00, 0xC0, 0x00, 0x00, 0x01}, {0x69, 0x85}},
      // Any other command in between drops the pending response.
      {{0x00, 0xA4, 0x00, 0x00, 0x02, 0x2F, 0x01}, {0x61, 0x0D}},
      {{0x00, 0x20, 0x00, 0x00, 0x00}, {0x6D, 0x00}},
      {{0x00, 0xC0, 0x00, 0x00, 0x0D}, {0x69, 0x85}},
      {{0x00, 0xA4, 0x00, 0x00, 0x02, 0x2F}, {0x67, 0x00}},  // Lc promises more than there is
      // The files of a child DF are reached only through it.
      {{0x00, 0xA4, 0x00, 0x0C, 0x02, 0x6F, 0x01}, {0x6A, 0x82}},
      {{0x00, 0xA4, 0x00, 0x0C, 0x02, 0x7F, 0x10}, {0x90, 0x00}},
      {{0x00, 0xA4, 0x00, 0x0C, 0x02, 0x6F, 0x01}, {0x90, 0x00}},
      // File 0001 holds 64 bytes 00..3F.
      {{0x00, 0xA4, 0x00, 0x0C, 0x02, 0x00, 0x01}, {0x90, 0x00}},
      {{0x00, 0xB0, 0x00, 0x3C, 0x04}, {0x3C, 0x3D, 0x3E, 0x3F, 0x90, 0x00}},
      {{0x00, 0xB0, 0x00, 0x40, 0x01}, {0x6B, 0x00}},
      {{0x00, 0xD6, 0x00, 0x02, 0x03, 'a', 'b', 'c'}, {0x90, 0x00}},
      {{0x00, 0xB0, 0x00, 0x01, 0x05}, {0x01, 'a', 'b', 'c', 0x05, 0x90, 0x00}},
      // 2F01 is written only after EXTERNAL AUTHENTICATE answers a GET CHALLENGE
      // with its triple-DES cryptogram (key 40..4F); one try per challenge.
      {{0x00, 0xA4, 0x00, 0x0C, 0x02, 0x2F, 0x01}, {0x90, 0x00}},
      {{0x00, 0xD6, 0x00, 0x00, 0x01, 0x55}, {0x69, 0x82}},
      {wrong, {0x69, 0x85}},
      {{0x00, 0x84, 0x00, 0x00, 0x08}, {0xCC, 0xC6, 0x77, 0xBB, 0xC3, 0x97, 0x96, 0xA3, 0x90, 0x00}},
      {wrong, {0x63, 0x00}},
      {right, {0x69, 0x85}},
      {{0x00, 0xD6, 0x00, 0x00, 0x01, 0x55}, {0x69, 0x82}},
      {{0x00, 0x84, 0x00, 0x00, 0x08}, {0x2F, 0x82, 0x1A, 0x15, 0x80, 0x17, 0x24, 0x55, 0x90, 0x00}},
      {{0x00, 0x82, 0x00, 0x00, 0x04, 0xA2, 0x34, 0xC0, 0x54}, {0x67, 0x00}},  // shorter than a block
      {right, {0x90, 0x00}},
      {{0x00, 0xD6, 0x00, 0x00, 0x01, 0x55}, {0x90, 0x00}},
      {right, {0x69, 0x85}},
      {{0x00, 0x84, 0x00, 0x00, 0x00}, {0x90, 0x00}, 258},
      {{0x80, 0xB0, 0x00, 0x00, 0x01}, {0x6E, 0x00}},
      {{0x00, 0xB0, 0x00}, {0x67, 0x00}},
  };
  CTVRSimCard card;
  card.Reset();
  for (std::size_t i = 0; i < std::size(apdus); ++i) {
    SCOPED_TRACE("APDU " + std::to_string(i));
    const Bytes response = card.Process(apdus[i].apdu.data(), apdus[i].apdu.size());
    ASSERT_EQ(response.size(), apdus[i].size ? apdus[i].size : apdus[i].tail.size());
    EXPECT_EQ(Bytes(response.end() - std::ptrdiff_t(apdus[i].tail.size()), response.end()), apdus[i].tail);
  }
  // A reset starts a new session at the MF: files kept, authentication forgotten.
  EXPECT_EQ(card.Reset(), CTVRSimCard::GetT0Atr());
  EXPECT_EQ(card.GetCurrentFile(), 0x3F00);
  EXPECT_EQ(card.GetFileData(0x0001)[2], 'a');
  EXPECT_FALSE(card.IsAuthenticated());

  // Challenges differ, but a card as new gives the same ones: runs are reproducible.
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
