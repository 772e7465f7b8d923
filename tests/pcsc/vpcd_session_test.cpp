// The card program's side of the vpcd socket, fed as the driver (or a stray
// peer) would feed it: whole messages, messages cut anywhere, and malformed ones.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include <tavric/hex_text.h>

#include "sim_card.h"
#include "vpcd_session.h"

namespace {

using Bytes = std::vector<tvr::BYTE>;

std::string Hex(const Bytes& bytes) {
  return CTVRHexText::BytesText(bytes.data(), bytes.size(), " ");
}

struct CExchange {
  const char* m_pszName;
  Bytes m_In;
  const char* m_pszOut;
  std::size_t m_nApdus;
  bool m_bMute = false;  // a card with an empty answer to reset
};

// The case's name, not its bytes and addresses, in the test's listed name.
void PrintTo(const CExchange& exchange, std::ostream* os) {
  *os << exchange.m_pszName;
}

class VpcdSessionTest : public ::testing::TestWithParam<CExchange> {};

TEST_P(VpcdSessionTest, AnswersWhatTheDriverSends) {
  CTVRSimCard card(GetParam().m_bMute ? Bytes{} : CTVRSimCard::GetT0Atr());
  CTVRVpcdSession session(card);
  Bytes out;
  EXPECT_EQ(session.Feed(GetParam().m_In.data(), GetParam().m_In.size(), out), GetParam().m_nApdus);
  EXPECT_EQ(Hex(out), GetParam().m_pszOut);
  EXPECT_FALSE(session.IsInsideMessage());
}

INSTANTIATE_TEST_SUITE_P(
    Messages, VpcdSessionTest,
    ::testing::Values(
        CExchange{"PowerOnGetsNoAnswer", {0x00, 0x01, 0x01}, "", 0},
        CExchange{"AnswerToReset", {0x00, 0x01, 0x04}, "00 0F 3B 7A 96 00 00 54 56 52 2D 49 53 4F 2D 30 31", 0},
        CExchange{"SelectMasterFile", {0x00, 0x07, 0x00, 0xA4, 0x00, 0x00, 0x02, 0x3F, 0x00}, "00 02 61 09", 1},
        CExchange{
            "TwoMessagesInOneRead", {0x00, 0x01, 0x02, 0x00, 0x05, 0x00, 0xB0, 0x00, 0x00, 0x01}, "00 02 69 86", 1},
        CExchange{"ZeroLengthIsIgnored", {0x00, 0x00, 0x00, 0x04, 0x00, 0x84, 0x00, 0x00}, "00 02 67 00", 1},
        CExchange{"UnknownControlIsIgnored", {0x00, 0x01, 0x07}, "", 0},
        CExchange{"WrongClassOfCard", {0x00, 0x04, 0x80, 0xA4, 0x00, 0x00}, "00 02 6E 00", 1},
        CExchange{"AMuteCardAnswersAnEmptyAnswerToReset", {0x00, 0x01, 0x04}, "00 00", 0, true}),
    [](const auto& test) { return std::string(test.param.m_pszName); });

// Cut inside a message (the first is 9 bytes long), the session waits for its rest.
TEST(VpcdSession, AMessageCutAnywhereIsAnsweredOnceWhole) {
  const Bytes stream{0x00, 0x07, 0x00, 0xA4, 0x00, 0x0C, 0x02, 0x7F, 0x10, 0x00, 0x01, 0x04};
  for (std::size_t cut = 1; cut < stream.size(); ++cut) {
    CTVRSimCard card;
    CTVRVpcdSession session(card);
    Bytes out;
    session.Feed(stream.data(), cut, out);
    EXPECT_EQ(session.IsInsideMessage(), cut != 9) << "cut at " << cut;
    EXPECT_EQ(out.empty(), cut < 9) << "cut at " << cut;
    session.Feed(stream.data() + cut, stream.size() - cut, out);
    EXPECT_EQ(Hex(out), "00 02 90 00 00 0F 3B 7A 96 00 00 54 56 52 2D 49 53 4F 2D 30 31") << "cut at " << cut;
  }
}

TEST(VpcdSession, AnOversizedMessageIsReadToItsEndAndAnsweredWrongLength) {
  CTVRSimCard card;
  CTVRVpcdSession session(card);
  Bytes in{0x01, 0x06};  // 262 bytes: one more than the longest short APDU
  in.resize(2 + 262, 0xAA);
  in.insert(in.end(), {0x00, 0x01, 0x04});  // the next message is still understood
  Bytes out;
  // Fed in small pieces, as a slow socket would deliver it.
  for (std::size_t at = 0; at < in.size(); at += 7)
    session.Feed(in.data() + at, std::min<std::size_t>(7, in.size() - at), out);
  EXPECT_EQ(Hex(out), "00 02 67 00 00 0F 3B 7A 96 00 00 54 56 52 2D 49 53 4F 2D 30 31");
  EXPECT_EQ(session.GetApduCount(), 1u);
}

TEST(VpcdSession, PowerControlsReachTheCard) {
  CTVRSimCard card;
  CTVRVpcdSession session(card);
  Bytes out;
  const Bytes selectDf{0x00, 0x07, 0x00, 0xA4, 0x00, 0x0C, 0x02, 0x7F, 0x10};
  session.Feed(selectDf.data(), selectDf.size(), out);
  EXPECT_EQ(card.GetCurrentFile(), 0x7F10);
  const Bytes powerOn{0x00, 0x01, 0x01};
  session.Feed(powerOn.data(), powerOn.size(), out);
  EXPECT_TRUE(session.IsPowered());
  // A reset starts a new card session: the master file is selected again.
  EXPECT_EQ(card.GetCurrentFile(), 0x3F00);
  const Bytes powerOff{0x00, 0x01, 0x00};
  session.Feed(powerOff.data(), powerOff.size(), out);
  EXPECT_FALSE(session.IsPowered());
}

}  // namespace
