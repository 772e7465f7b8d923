// The simulated reader's firmware: frames in, answer frames out.
#include <gtest/gtest.h>

#include <vector>

#include "sim_firmware.h"
#include "sim_test_util.h"

namespace {

using namespace simtest;

class SimFirmware : public ::testing::Test {
 protected:
  std::vector<Bytes> Feed(const Bytes& frame) { return m_Firmware.ProcessFrame(frame.data(), frame.size()); }
  Bytes Run(BYTE opcode, const Bytes& data = {}) { return Exchange(m_Firmware, opcode, data); }
  Bytes Apdu(const Bytes& apdu) { return DataOf(Run(VERTA_OP_EXCHANGE_APDU, apdu)); }

  CTVRSimFirmware m_Firmware;
};

TEST_F(SimFirmware, DamagedFramesGetErrorAnswersEchoingTheOpcode) {
  Bytes frame = CommandFrame(VERTA_OP_GET_FIRMWARE);
  frame.back() ^= 0x01;
  EXPECT_EQ(Feed(frame), std::vector<Bytes>{ErrorFrame(VERTA_OP_GET_FIRMWARE, VERTA_ERR_CHECKSUM)});

  // LEN disagrees with the bytes received: one byte lost, one byte too many.
  Bytes lost = CommandFrame(VERTA_OP_SELECT_CARD, {0x02});
  lost.erase(lost.begin() + 4);
  EXPECT_EQ(Feed(lost), std::vector<Bytes>{ErrorFrame(VERTA_OP_SELECT_CARD, VERTA_ERR_FRAME_LENGTH)});
  Bytes extra = CommandFrame(VERTA_OP_SELECT_CARD, {0x02});
  extra.push_back(0x00);
  EXPECT_EQ(Feed(extra), std::vector<Bytes>{ErrorFrame(VERTA_OP_SELECT_CARD, VERTA_ERR_FRAME_LENGTH)});

  Bytes answerType = CTVRVertaFrame::Make(VERTA_FRAME_ANSWER, VERTA_OP_GET_FIRMWARE, {});
  EXPECT_EQ(Feed(answerType), std::vector<Bytes>{ErrorFrame(VERTA_OP_GET_FIRMWARE, VERTA_ERR_FRAME_TYPE)});
}

TEST_F(SimFirmware, FramesTooShortToHoldAnOpcodeAreLengthErrors) {
  EXPECT_EQ(Feed({}), std::vector<Bytes>{ErrorFrame(VERTA_OP_NONE, VERTA_ERR_FRAME_LENGTH)});
  EXPECT_EQ(Feed({0x40, 0x00, 0x01}), std::vector<Bytes>{ErrorFrame(VERTA_OP_NONE, VERTA_ERR_FRAME_LENGTH)});
  EXPECT_EQ(Feed({0x40, 0x00, 0x01, 0x30}), std::vector<Bytes>{ErrorFrame(0x30, VERTA_ERR_FRAME_LENGTH)});
  EXPECT_EQ(m_Firmware.ProcessFrame(nullptr, 12).size(), 1u);
  // LEN may claim anything: the firmware reads only what it was given.
  EXPECT_EQ(Feed({0x40, 0xFF, 0xFF, 0x30, 0x00}), std::vector<Bytes>{ErrorFrame(0x30, VERTA_ERR_FRAME_LENGTH)});
  Bytes huge(CTVRVertaFrame::MAX_FRAME_LENGTH + 1, 0);
  huge[3] = 0x40;
  EXPECT_EQ(Feed(huge), std::vector<Bytes>{ErrorFrame(0x40, VERTA_ERR_FRAME_LENGTH)});
}

TEST_F(SimFirmware, UnknownOpcodesAndWrongDataLengths) {
  EXPECT_EQ(Run(0x77), ErrorFrame(0x77, VERTA_ERR_UNKNOWN_COMMAND));
  // Card events go from reader to host only.
  EXPECT_EQ(Run(VERTA_OP_CARD_EVENT, {0x11}), ErrorFrame(VERTA_OP_CARD_EVENT, VERTA_ERR_UNKNOWN_COMMAND));
  EXPECT_EQ(Run(VERTA_OP_GET_FIRMWARE, {0x00}), ErrorFrame(VERTA_OP_GET_FIRMWARE, VERTA_ERR_DATA_LENGTH));
  EXPECT_EQ(Run(VERTA_OP_SELECT_CARD), ErrorFrame(VERTA_OP_SELECT_CARD, VERTA_ERR_DATA_LENGTH));
  EXPECT_EQ(Run(VERTA_OP_POWER_OFF, {0x01}), ErrorFrame(VERTA_OP_POWER_OFF, VERTA_ERR_DATA_LENGTH));
  EXPECT_EQ(Run(VERTA_OP_RESET_CARD, {0x00, 0x00}), ErrorFrame(VERTA_OP_RESET_CARD, VERTA_ERR_DATA_LENGTH));
  EXPECT_EQ(Run(VERTA_OP_RESET_CARD, {0x02}), ErrorFrame(VERTA_OP_RESET_CARD, VERTA_ERR_PARAMETER));
}

TEST_F(SimFirmware, MaskAnswerCarriesTheFirmwareText) {
  EXPECT_EQ(Run(VERTA_OP_GET_FIRMWARE), AnswerFrame(VERTA_OP_GET_FIRMWARE, Text("VRT-SIM 2.04")));
}

TEST_F(SimFirmware, SelectCardTakesSlotsOneToSix) {
  EXPECT_EQ(Run(VERTA_OP_SELECT_CARD, {0x06}), AnswerFrame(VERTA_OP_SELECT_CARD, {0x06}));
  EXPECT_EQ(m_Firmware.GetSelectedCard(), 6);
  EXPECT_EQ(Run(VERTA_OP_SELECT_CARD, {0x00}), ErrorFrame(VERTA_OP_SELECT_CARD, VERTA_ERR_CARD_NUMBER));
  EXPECT_EQ(Run(VERTA_OP_SELECT_CARD, {0x07}), ErrorFrame(VERTA_OP_SELECT_CARD, VERTA_ERR_CARD_NUMBER));
  EXPECT_EQ(m_Firmware.GetSelectedCard(), 6);  // a refused selection changes nothing
}

TEST_F(SimFirmware, ResetAnswersTheAtrOfTheSelectedSlot) {
  EXPECT_EQ(Run(VERTA_OP_RESET_CARD), AnswerFrame(VERTA_OP_RESET_CARD, CTVRSimCard::GetT0Atr()));
  EXPECT_TRUE(m_Firmware.IsCardPowered(1));
  Run(VERTA_OP_SELECT_CARD, {0x03});
  EXPECT_EQ(DataOf(Run(VERTA_OP_RESET_CARD, {0x01})), CTVRSimCard::GetT1Atr());
  Run(VERTA_OP_SELECT_CARD, {0x04});
  EXPECT_EQ(DataOf(Run(VERTA_OP_RESET_CARD))[0], 0x3F);
}

TEST_F(SimFirmware, EmptyMuteAndUnpoweredSlots) {
  Run(VERTA_OP_SELECT_CARD, {0x02});
  EXPECT_EQ(Run(VERTA_OP_RESET_CARD), ErrorFrame(VERTA_OP_RESET_CARD, VERTA_ERR_NO_CARD));
  EXPECT_EQ(Run(VERTA_OP_EXCHANGE_APDU, {0x00, 0x84, 0x00, 0x00, 0x08}),
            ErrorFrame(VERTA_OP_EXCHANGE_APDU, VERTA_ERR_NO_CARD));
  EXPECT_EQ(Run(VERTA_OP_POWER_OFF), ErrorFrame(VERTA_OP_POWER_OFF, VERTA_ERR_NO_CARD));

  Run(VERTA_OP_SELECT_CARD, {0x05});
  EXPECT_EQ(Run(VERTA_OP_RESET_CARD), ErrorFrame(VERTA_OP_RESET_CARD, VERTA_ERR_CARD_MUTE));
  EXPECT_FALSE(m_Firmware.IsCardPowered(5));

  Run(VERTA_OP_SELECT_CARD, {0x01});
  EXPECT_EQ(Run(VERTA_OP_EXCHANGE_APDU, {0x00, 0x84, 0x00, 0x00, 0x08}),
            ErrorFrame(VERTA_OP_EXCHANGE_APDU, VERTA_ERR_CARD_NOT_POWERED));
  Run(VERTA_OP_RESET_CARD);
  EXPECT_EQ(Run(VERTA_OP_EXCHANGE_APDU), ErrorFrame(VERTA_OP_EXCHANGE_APDU, VERTA_ERR_DATA_LENGTH));
  EXPECT_EQ(Run(VERTA_OP_POWER_OFF), AnswerFrame(VERTA_OP_POWER_OFF, {0x01}));
  EXPECT_EQ(Run(VERTA_OP_EXCHANGE_APDU, {0x00, 0x84, 0x00, 0x00, 0x08}),
            ErrorFrame(VERTA_OP_EXCHANGE_APDU, VERTA_ERR_CARD_NOT_POWERED));
}

TEST_F(SimFirmware, ApduExchangeReturnsResponseAndStatusWord) {
  Run(VERTA_OP_RESET_CARD);
  // The challenge request of the triple-DES directive: eight bytes and 9000.
  const Bytes challenge = Apdu({0x00, 0x84, 0x00, 0x00, 0x08});
  ASSERT_EQ(challenge.size(), 10u);
  EXPECT_EQ(challenge[8], 0x90);
  EXPECT_EQ(challenge[9], 0x00);

  EXPECT_EQ(Apdu({0x00, 0xA4, 0x00, 0x00, 0x02, 0x2F, 0x01}), (Bytes{0x61, 0x0D}));
  const Bytes fci = Apdu({0x00, 0xC0, 0x00, 0x00, 0x0D});
  EXPECT_EQ(fci.size(), 15u);
  EXPECT_EQ(Apdu({0x00, 0xB0, 0x00, 0x00, 0x06}), (Bytes{'T', 'A', 'V', 'R', 'I', 'C', 0x90, 0x00}));
  EXPECT_EQ(Apdu({0x00, 0xB0, 0x00, 0x00, 0x21}), (Bytes{0x6C, 0x20}));
  EXPECT_EQ(Apdu({0x00, 0x00, 0x00, 0x00}), (Bytes{0x6D, 0x00}));
}

TEST_F(SimFirmware, EachSlotHasItsOwnCardSession) {
  Run(VERTA_OP_RESET_CARD);
  Apdu({0x00, 0xA4, 0x00, 0x0C, 0x02, 0x7F, 0x10});
  Run(VERTA_OP_SELECT_CARD, {0x03});
  Run(VERTA_OP_RESET_CARD);
  EXPECT_EQ(m_Firmware.GetCard(3)->GetCurrentFile(), 0x3F00);
  EXPECT_EQ(m_Firmware.GetCard(1)->GetCurrentFile(), 0x7F10);
}

TEST_F(SimFirmware, CardStatusShowsPresenceAndPower) {
  Run(VERTA_OP_RESET_CARD);
  EXPECT_EQ(Run(VERTA_OP_CARD_STATUS), AnswerFrame(VERTA_OP_CARD_STATUS, {0x03, 0x00, 0x01, 0x01, 0x01, 0x00}));
}

TEST_F(SimFirmware, CardEventsForInsertionAndRemoval) {
  EXPECT_EQ(m_Firmware.InsertCard(2), std::vector<Bytes>{AnswerFrame(VERTA_OP_CARD_EVENT, {0x21})});
  EXPECT_TRUE(m_Firmware.InsertCard(2).empty());  // already there
  Run(VERTA_OP_SELECT_CARD, {0x02});
  EXPECT_EQ(DataOf(Run(VERTA_OP_RESET_CARD)), CTVRSimCard::GetT0Atr());

  EXPECT_EQ(m_Firmware.RemoveCard(2), std::vector<Bytes>{AnswerFrame(VERTA_OP_CARD_EVENT, {0x20})});
  EXPECT_FALSE(m_Firmware.IsCardPowered(2));
  EXPECT_TRUE(m_Firmware.RemoveCard(2).empty());
  EXPECT_EQ(Run(VERTA_OP_RESET_CARD), ErrorFrame(VERTA_OP_RESET_CARD, VERTA_ERR_NO_CARD));

  EXPECT_EQ(m_Firmware.RemoveCard(6), std::vector<Bytes>{});
  EXPECT_TRUE(m_Firmware.InsertCard(0).empty());
  EXPECT_TRUE(m_Firmware.InsertCard(7).empty());
  EXPECT_EQ(m_Firmware.RemoveCard(1), std::vector<Bytes>{AnswerFrame(VERTA_OP_CARD_EVENT, {0x10})});
}

TEST_F(SimFirmware, TheCardComesBackAsItLeft) {
  Run(VERTA_OP_RESET_CARD);
  Apdu({0x00, 0xA4, 0x00, 0x0C, 0x02, 0x00, 0x01});
  Apdu({0x00, 0xD6, 0x00, 0x00, 0x01, 0x99});
  m_Firmware.RemoveCard(1);
  m_Firmware.InsertCard(1);
  EXPECT_FALSE(m_Firmware.IsCardPowered(1));
  EXPECT_EQ(m_Firmware.GetCard(1)->GetFileData(0x0001)[0], 0x99);
}

TEST_F(SimFirmware, EventMaskSilencesASlot) {
  // Bit 1 off: slot 2 reports nothing, slot 3 still does.
  EXPECT_EQ(Run(VERTA_OP_WRITE_REGISTER, {CTVRSimFirmware::REG_EVENT_MASK, 0x3D}),
            AnswerFrame(VERTA_OP_WRITE_REGISTER, {CTVRSimFirmware::REG_EVENT_MASK}));
  EXPECT_TRUE(m_Firmware.InsertCard(2).empty());
  EXPECT_TRUE(m_Firmware.IsCardPresent(2));
  EXPECT_EQ(m_Firmware.RemoveCard(3).size(), 1u);
}

TEST_F(SimFirmware, RegistersReadWriteAndLimits) {
  EXPECT_EQ(Run(VERTA_OP_READ_REGISTER, {0x00, 0x04}),
            AnswerFrame(VERTA_OP_READ_REGISTER, {0x00, 0x56, 0x02, 0x04, 6}));
  EXPECT_EQ(Run(VERTA_OP_WRITE_REGISTER, {0x20, 0xAA, 0xBB}), AnswerFrame(VERTA_OP_WRITE_REGISTER, {0x20}));
  EXPECT_EQ(Run(VERTA_OP_READ_REGISTER, {0x20, 0x02}), AnswerFrame(VERTA_OP_READ_REGISTER, {0x20, 0xAA, 0xBB}));
  EXPECT_EQ(Run(VERTA_OP_READ_REGISTER, {0x21}), AnswerFrame(VERTA_OP_READ_REGISTER, {0x21, 0xBB}));

  EXPECT_EQ(Run(VERTA_OP_WRITE_REGISTER, {0x01, 0x09}),
            ErrorFrame(VERTA_OP_WRITE_REGISTER, VERTA_ERR_READ_ONLY_REGISTER));
  EXPECT_EQ(Run(VERTA_OP_READ_REGISTER, {0x40}), ErrorFrame(VERTA_OP_READ_REGISTER, VERTA_ERR_UNKNOWN_REGISTER));
  EXPECT_EQ(Run(VERTA_OP_READ_REGISTER, {0x3F, 0x02}), ErrorFrame(VERTA_OP_READ_REGISTER, VERTA_ERR_UNKNOWN_REGISTER));
  EXPECT_EQ(Run(VERTA_OP_WRITE_REGISTER, {0x3F, 0x01, 0x02}),
            ErrorFrame(VERTA_OP_WRITE_REGISTER, VERTA_ERR_UNKNOWN_REGISTER));
  EXPECT_EQ(m_Firmware.GetRegister(0x3F), 0x00);  // a refused block writes nothing
  EXPECT_EQ(Run(VERTA_OP_READ_REGISTER, {0x10, 0x00}), ErrorFrame(VERTA_OP_READ_REGISTER, VERTA_ERR_PARAMETER));
  EXPECT_EQ(Run(VERTA_OP_READ_REGISTER, {0x10, 0x11}), ErrorFrame(VERTA_OP_READ_REGISTER, VERTA_ERR_PARAMETER));
  EXPECT_EQ(Run(VERTA_OP_WRITE_REGISTER, {0x10}), ErrorFrame(VERTA_OP_WRITE_REGISTER, VERTA_ERR_DATA_LENGTH));
}

TEST_F(SimFirmware, LiveRegistersFollowTheSlots) {
  EXPECT_EQ(m_Firmware.GetRegister(CTVRSimFirmware::REG_CARD_PRESENT), 0x1D);  // slots 1, 3, 4, 5
  Run(VERTA_OP_RESET_CARD);
  EXPECT_EQ(m_Firmware.GetRegister(CTVRSimFirmware::REG_CARD_POWERED), 0x01);
  Run(VERTA_OP_SELECT_CARD, {0x04});
  EXPECT_EQ(m_Firmware.GetRegister(CTVRSimFirmware::REG_SELECTED_CARD), 0x04);
}

TEST_F(SimFirmware, SlotParametersPerSlotWithTheirSubFunctionEchoed) {
  EXPECT_EQ(Run(VERTA_OP_SET_SLOT_PARAMETER, {VERTA_PARAM_VOLTAGE, 0x02}),
            AnswerFrame(VERTA_OP_SET_SLOT_PARAMETER, {VERTA_PARAM_VOLTAGE, 0x02}));
  EXPECT_EQ(Run(VERTA_OP_GET_SLOT_PARAMETER, {VERTA_PARAM_VOLTAGE}),
            AnswerFrame(VERTA_OP_GET_SLOT_PARAMETER, {VERTA_PARAM_VOLTAGE, 0x02}));
  Run(VERTA_OP_SELECT_CARD, {0x03});
  EXPECT_EQ(DataOf(Run(VERTA_OP_GET_SLOT_PARAMETER, {VERTA_PARAM_VOLTAGE})), (Bytes{VERTA_PARAM_VOLTAGE, 0x01}));
  EXPECT_EQ(DataOf(Run(VERTA_OP_GET_SLOT_PARAMETER, {VERTA_PARAM_PROTOCOL})), (Bytes{VERTA_PARAM_PROTOCOL, 0x01}));

  EXPECT_EQ(Run(VERTA_OP_SET_SLOT_PARAMETER, {VERTA_PARAM_CLOCK, 21}),
            ErrorFrame(VERTA_OP_SET_SLOT_PARAMETER, VERTA_ERR_PARAMETER));
  EXPECT_EQ(Run(VERTA_OP_SET_SLOT_PARAMETER, {VERTA_PARAM_VOLTAGE, 0}),
            ErrorFrame(VERTA_OP_SET_SLOT_PARAMETER, VERTA_ERR_PARAMETER));
  EXPECT_EQ(Run(VERTA_OP_SET_SLOT_PARAMETER, {0x09, 0x01}),
            ErrorFrame(VERTA_OP_SET_SLOT_PARAMETER, VERTA_ERR_PARAMETER));
  EXPECT_EQ(Run(VERTA_OP_GET_SLOT_PARAMETER, {0x00}), ErrorFrame(VERTA_OP_GET_SLOT_PARAMETER, VERTA_ERR_PARAMETER));
  EXPECT_EQ(Run(VERTA_OP_SET_SLOT_PARAMETER, {VERTA_PARAM_FIDI}),
            ErrorFrame(VERTA_OP_SET_SLOT_PARAMETER, VERTA_ERR_DATA_LENGTH));
}

TEST_F(SimFirmware, ReaderInfoAndLoopback) {
  EXPECT_EQ(Run(VERTA_OP_READER_INFO, {VERTA_INFO_SLOT_COUNT}),
            AnswerFrame(VERTA_OP_READER_INFO, {VERTA_INFO_SLOT_COUNT, 6}));
  EXPECT_EQ(DataOf(Run(VERTA_OP_READER_INFO, {VERTA_INFO_MAX_FRAME})), (Bytes{VERTA_INFO_MAX_FRAME, 0x02, 0x00}));
  EXPECT_EQ(DataOf(Run(VERTA_OP_READER_INFO, {VERTA_INFO_SERIAL})).size(), 5u);
  EXPECT_EQ(Run(VERTA_OP_READER_INFO, {0x03}), ErrorFrame(VERTA_OP_READER_INFO, VERTA_ERR_PARAMETER));

  Bytes pattern(CTVRVertaFrame::MAX_DATA_LENGTH);
  for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = BYTE(i);
  EXPECT_EQ(Run(VERTA_OP_LOOPBACK, pattern), AnswerFrame(VERTA_OP_LOOPBACK, pattern));
  EXPECT_EQ(Run(VERTA_OP_LOOPBACK), AnswerFrame(VERTA_OP_LOOPBACK));
}

}  // namespace
