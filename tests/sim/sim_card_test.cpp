// The simulated ISO 7816-4 card: file system, status words, T=0 response chaining.
#include <gtest/gtest.h>

#include <vector>

#include "sim_card.h"

namespace {

using Bytes = std::vector<BYTE>;

Bytes Sw(WORD sw) {
  return {BYTE(sw >> 8), BYTE(sw)};
}

class SimCard : public ::testing::Test {
 protected:
  void SetUp() override { m_Card.Reset(); }

  Bytes Run(const Bytes& apdu) { return m_Card.Process(apdu.data(), apdu.size()); }
  static WORD StatusOf(const Bytes& response) {
    return response.size() < 2 ? 0 : WORD(response[response.size() - 2] << 8 | response.back());
  }
  Bytes Select(WORD fid) { return Run({0x00, 0xA4, 0x00, 0x0C, 0x02, BYTE(fid >> 8), BYTE(fid)}); }

  CTVRSimCard m_Card;
};

TEST_F(SimCard, AnswersToResetStartWithTsOfTheirConvention) {
  EXPECT_EQ(CTVRSimCard::GetT0Atr().front(), 0x3B);
  EXPECT_EQ(CTVRSimCard::GetT1Atr().front(), 0x3B);
  EXPECT_EQ(CTVRSimCard::GetInverseAtr().front(), 0x3F);
  // T=1 announced: the check byte makes T0..TCK XOR to zero.
  const Bytes t1 = CTVRSimCard::GetT1Atr();
  BYTE x = 0;
  for (std::size_t i = 1; i < t1.size(); ++i) x ^= t1[i];
  EXPECT_EQ(x, 0);
  // The historical byte count matches what follows the interface bytes.
  const Bytes t0 = CTVRSimCard::GetT0Atr();
  EXPECT_EQ(t0.size(), 2u + 3u + (t0[1] & 0x0F));
  EXPECT_FALSE(m_Card.IsMute());
  EXPECT_TRUE(CTVRSimCard(Bytes{}).IsMute());
}

TEST_F(SimCard, SelectWithFciAnswers61xxAndGetResponseDeliversIt) {
  const Bytes select = Run({0x00, 0xA4, 0x00, 0x00, 0x02, 0x2F, 0x01});
  ASSERT_EQ(select.size(), 2u);
  EXPECT_EQ(select[0], 0x61);
  const BYTE available = select[1];

  // Asking for too much tells the right length and keeps the data.
  EXPECT_EQ(Run({0x00, 0xC0, 0x00, 0x00, BYTE(available + 1)}), Sw(WORD(0x6C00 | available)));
  // Part of it, then the rest.
  const Bytes first = Run({0x00, 0xC0, 0x00, 0x00, 0x04});
  ASSERT_EQ(first.size(), 6u);
  EXPECT_EQ(first[0], 0x62);
  EXPECT_EQ(StatusOf(first), 0x6100 | (available - 4));
  const Bytes rest = Run({0x00, 0xC0, 0x00, 0x00, BYTE(available - 4)});
  EXPECT_EQ(StatusOf(rest), 0x9000);
  EXPECT_EQ(rest.size(), std::size_t(available - 4 + 2));
  // The FCI names the file and its size (80 02 00 20).
  Bytes fci(first.begin(), first.end() - 2);
  fci.insert(fci.end(), rest.begin(), rest.end() - 2);
  EXPECT_EQ(fci, (Bytes{0x62, 0x0B, 0x82, 0x01, 0x01, 0x83, 0x02, 0x2F, 0x01, 0x80, 0x02, 0x00, 0x20}));
  // Nothing is left to fetch.
  EXPECT_EQ(Run({0x00, 0xC0, 0x00, 0x00, 0x01}), Sw(0x6985));
}

TEST_F(SimCard, AnyOtherCommandDropsThePendingResponse) {
  Run({0x00, 0xA4, 0x00, 0x00, 0x02, 0x00, 0x01});
  Run({0x00, 0xB0, 0x00, 0x00, 0x01});
  EXPECT_EQ(Run({0x00, 0xC0, 0x00, 0x00, 0x0D}), Sw(0x6985));
}

TEST_F(SimCard, SelectErrors) {
  EXPECT_EQ(Select(0x1234), Sw(0x6A82));
  EXPECT_EQ(Run({0x00, 0xA4, 0x04, 0x00, 0x02, 0x2F, 0x01}), Sw(0x6A86));  // by name: not supported
  EXPECT_EQ(Run({0x00, 0xA4, 0x00, 0x00, 0x01, 0x2F}), Sw(0x6700));
  EXPECT_EQ(Run({0x00, 0xA4, 0x00, 0x00, 0x02, 0x2F}), Sw(0x6700));  // Lc promises more than there is
  EXPECT_EQ(Run({0x00, 0xA4, 0x00, 0x00}), Sw(0x6700));
}

TEST_F(SimCard, FilesOfAChildDfAreReachedOnlyThroughIt) {
  EXPECT_EQ(Select(0x6F01), Sw(0x6A82));
  EXPECT_EQ(Select(0x7F10), Sw(0x9000));
  EXPECT_EQ(Select(0x6F01), Sw(0x9000));
  const Bytes data = Run({0x00, 0xB0, 0x00, 0x00, 0x10});
  EXPECT_EQ(Bytes(data.begin(), data.end() - 2),
            (Bytes{'H', 'E', 'L', 'L', 'O', ' ', 'F', 'R', 'O', 'M', ' ', '7', 'F', '1', '0', '!'}));
  // From inside the DF: its parent's files and the MF.
  EXPECT_EQ(Select(0x0001), Sw(0x9000));
  EXPECT_EQ(Select(0x3F00), Sw(0x9000));
}

TEST_F(SimCard, ReadBinaryLengthsAndOffsets) {
  Select(0x0001);  // 64 bytes 00..3F
  const Bytes part = Run({0x00, 0xB0, 0x00, 0x3C, 0x04});
  EXPECT_EQ(part, (Bytes{0x3C, 0x3D, 0x3E, 0x3F, 0x90, 0x00}));
  EXPECT_EQ(Run({0x00, 0xB0, 0x00, 0x3C, 0x05}), Sw(0x6C04));
  EXPECT_EQ(Run({0x00, 0xB0, 0x00, 0x00, 0x00}), Sw(0x6C40));  // Le 00 asks for 256
  EXPECT_EQ(Run({0x00, 0xB0, 0x00, 0x40, 0x01}), Sw(0x6B00));
  EXPECT_EQ(Run({0x00, 0xB0, 0x01, 0x00, 0x01}), Sw(0x6B00));
  EXPECT_EQ(Run({0x00, 0xB0, 0x00, 0x00}), Sw(0x6700));
  EXPECT_EQ(Run({0x00, 0xB0, 0x81, 0x00, 0x01}), Sw(0x6A81));
  Select(0x3F00);
  EXPECT_EQ(Run({0x00, 0xB0, 0x00, 0x00, 0x01}), Sw(0x6986));
}

TEST_F(SimCard, UpdateBinaryWritesAndChecksBounds) {
  Select(0x0001);
  EXPECT_EQ(Run({0x00, 0xD6, 0x00, 0x02, 0x03, 'a', 'b', 'c'}), Sw(0x9000));
  EXPECT_EQ(Run({0x00, 0xB0, 0x00, 0x01, 0x05}), (Bytes{0x01, 'a', 'b', 'c', 0x05, 0x90, 0x00}));
  EXPECT_EQ(Run({0x00, 0xD6, 0x00, 0x3F, 0x02, 0x01, 0x02}), Sw(0x6700));
  EXPECT_EQ(Run({0x00, 0xD6, 0x00, 0x40, 0x01, 0x01}), Sw(0x6B00));
  EXPECT_EQ(Run({0x00, 0xD6, 0x00, 0x00, 0x02, 0x01}), Sw(0x6700));
  // The files keep their contents across a reset.
  m_Card.Reset();
  EXPECT_EQ(m_Card.GetFileData(0x0001)[2], 'a');
}

TEST_F(SimCard, ProtectedFileNeedsExternalAuthenticateAfterAChallenge) {
  Select(0x2F01);
  EXPECT_EQ(Run({0x00, 0xD6, 0x00, 0x00, 0x01, 0x55}), Sw(0x6982));
  const Bytes cryptogram = {0x00, 0x82, 0x00, 0x00, 0x08, 1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(Run(cryptogram), Sw(0x6985));  // no challenge yet

  const Bytes challenge = Run({0x00, 0x84, 0x00, 0x00, 0x08});
  ASSERT_EQ(challenge.size(), 10u);
  EXPECT_EQ(StatusOf(challenge), 0x9000);
  EXPECT_EQ(Run({0x00, 0x82, 0x00, 0x00, 0x07, 1, 2, 3, 4, 5, 6, 7}), Sw(0x6700));
  EXPECT_EQ(Run(cryptogram), Sw(0x9000));
  EXPECT_TRUE(m_Card.IsAuthenticated());
  EXPECT_EQ(Run(cryptogram), Sw(0x6985));  // the challenge serves once
  EXPECT_EQ(Run({0x00, 0xD6, 0x00, 0x00, 0x01, 0x55}), Sw(0x9000));

  // A new session forgets the authentication.
  m_Card.Reset();
  Select(0x2F01);
  EXPECT_EQ(Run({0x00, 0xD6, 0x00, 0x00, 0x01, 0x56}), Sw(0x6982));
}

TEST_F(SimCard, SixteenByteCryptogramIsAcceptedToo) {
  Run({0x00, 0x84, 0x00, 0x00, 0x08});
  Bytes cryptogram = {0x00, 0x82, 0x00, 0x00, 0x10};
  cryptogram.resize(5 + 16, 0xAA);
  EXPECT_EQ(Run(cryptogram), Sw(0x9000));
}

TEST_F(SimCard, GetChallengeGivesLeBytesThatChange) {
  const Bytes a = Run({0x00, 0x84, 0x00, 0x00, 0x10});
  const Bytes b = Run({0x00, 0x84, 0x00, 0x00, 0x10});
  ASSERT_EQ(a.size(), 18u);
  EXPECT_NE(a, b);
  EXPECT_EQ(Run({0x00, 0x84, 0x00, 0x00, 0x00}).size(), 258u);  // Le 00 asks for 256
  EXPECT_EQ(Run({0x00, 0x84, 0x01, 0x00, 0x08}), Sw(0x6A86));
  EXPECT_EQ(Run({0x00, 0x84, 0x00, 0x00}), Sw(0x6700));
  // Same seed, same challenges: runs are reproducible.
  CTVRSimCard twin;
  EXPECT_EQ(twin.Process(Bytes{0x00, 0x84, 0x00, 0x00, 0x10}.data(), 5), a);
}

TEST_F(SimCard, UnknownClassInstructionAndShortApdus) {
  EXPECT_EQ(Run({0x80, 0xB0, 0x00, 0x00, 0x01}), Sw(0x6E00));
  EXPECT_EQ(Run({0xFF, 0xA4, 0x00, 0x00, 0x02, 0x3F, 0x00}), Sw(0x6E00));
  EXPECT_EQ(Run({0x00, 0x20, 0x00, 0x00, 0x00}), Sw(0x6D00));
  EXPECT_EQ(Run({0x00, 0xB0, 0x00}), Sw(0x6700));
  EXPECT_EQ(m_Card.Process(nullptr, 0), Sw(0x6700));
}

TEST_F(SimCard, ResetStartsANewSessionAtTheMf) {
  Select(0x7F10);
  EXPECT_EQ(m_Card.GetCurrentFile(), 0x7F10);
  EXPECT_EQ(m_Card.Reset(), CTVRSimCard::GetT0Atr());
  EXPECT_EQ(m_Card.GetCurrentFile(), 0x3F00);
}

}  // namespace
