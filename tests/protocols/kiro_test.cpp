// The "kiro" layout through the kiro protocol and the simulated reader.
#include <string>
#include <vector>

#include "kiro_protocol.h"
#include "protocol_run_fixture.h"

namespace {

using Bytes = std::vector<BYTE>;

class KiroRun : public CTVRProtocolRunFixture {
 protected:
  void SetUp() override { Open(m_Protocol); }
  CTVRKiroProtocol m_Protocol;
};

TEST_F(KiroRun, NamesCommandsAndAnswersErrorFramesAndTheRelease) {
  Run({"02;", "00 41 42;", "4A 01;", "4A 05;", "52 02;", "44;", "06 40;"});
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "PC -> IFD : GET RELEASE",
                         "IFD -> PC : GET RELEASE EXECUTED",
                         "PC -> IFD : DIAGNOSE",
                         "IFD -> PC : DIAGNOSE EXECUTED",
                         "PC -> IFD : ACTIVATE CARD",
                         "IFD -> PC : ACTIVATE CARD EXECUTED",
                         "PC -> IFD : ACTIVATE CARD",
                         "IFD -> PC : ACTIVATE CARD EXECUTED",
                         "PC -> IFD : RELEASE CARD",
                         "IFD -> PC : RELEASE CARD EXECUTED",
                         // Class D4 is defined by code lines only: code 44 has an empty name.
                         "PC -> IFD :",
                         "IFD -> PC : ERROR 0x7F : THE READER COULD NOT READ THE FRAME",
                         // Register 40 does not exist: the reader cannot execute the frame.
                         "PC -> IFD : READ REGISTER",
                         "IFD -> PC : ERROR 0x7F : THE READER COULD NOT READ THE FRAME",
                     }));
  // GET RELEASE answers D5 03 02 04: the bar's mask.
  EXPECT_EQ(Slots().GetMask(0), "Release 2.4");
  EXPECT_EQ(Slots().GetMask(5), "Release 2.4");
  // The status bytes: card 5 is mute, slot 2 is empty.
  const std::vector<Bytes> received = Received();
  ASSERT_EQ(received.size(), 7u);
  EXPECT_EQ(received[3], (Bytes{0x00, 0x00, 0xFF, 0x03, 0xFD, 0xD5, 0x4B, 0x02, 0xDE, 0x00}));
  EXPECT_EQ(received[4], (Bytes{0x00, 0x00, 0xFF, 0x03, 0xFD, 0xD5, 0x53, 0x01, 0xD7, 0x00}));
  // The board ended every statement of the commands script.
  EXPECT_FALSE(m_pDoc->IsRunning());
}

TEST_F(KiroRun, LongAnswersComeInExtendedFramesNamedBehindTheLongerHeader) {
  Run({"4A 01;"});
  Run({"00 84 00 00 00;"}, SCRIPT_APDU);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"PC -> IFD : EXCHANGE APDU", "IFD -> PC : EXCHANGE APDU EXECUTED"}));
  const std::vector<Bytes> received = Received();
  ASSERT_EQ(received.size(), 1u);
  // D5 41, status 00, 256 bytes and 90 00: LEN 261 = 01 05.
  ASSERT_EQ(received[0].size(), 8u + 261u + 2u);
  EXPECT_EQ(Bytes(received[0].begin(), received[0].begin() + 10),
            (Bytes{0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x01, 0x05, 0xFA, 0xD5, 0x41}));
}

TEST_F(KiroRun, RawDataFramesAreTracedWithoutNamesAndEndOnTheirAnswer) {
  Run({"00 00 FF 02 FE D4 02 2A 00;", "00 00 FF 02 FE D4 02 00 00;"}, SCRIPT_RAWDATA);
  EXPECT_EQ(Texts(), std::vector<std::string>{});
  EXPECT_EQ(Received(), (std::vector<Bytes>{{0x00, 0x00, 0xFF, 0x04, 0xFC, 0xD5, 0x03, 0x02, 0x04, 0x22, 0x00},
                                            {0x00, 0x00, 0xFF, 0x01, 0xFF, 0x7F, 0x81, 0x00}}));
  EXPECT_FALSE(m_pDoc->IsRunning());
}

}  // namespace
