// Triple DES and the cyphering object: known answers (worked out with the
// openssl command-line tool), the keys as text, the settings window, the
// deciphering of answer data into the trace and the cryptogram of the
// authentication.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tavric/crypto_settings.h>
#include <tavric/hex_text.h>
#include <tavric/trace_record.h>

#include "doc_fixture.h"
#include "document/board_doc_private.h"
#include "hex_bytes.h"
#include "run_state.h"
#include "trace/trace_log.h"
#include "trace_reader.h"
#include "triple_des.h"
#include "triple_des_crypto.h"

namespace {

using Bytes = std::vector<BYTE>;

using tvr_test::Hex;

std::string ToHex(const Bytes& bytes) {
  return CTVRHexText::BytesText(bytes.data(), bytes.size(), " ");
}

const Bytes kZero(8, 0);

TEST(TripleDes, KnownAnswers) {
  struct CCase {
    const char* what;
    bool encipher;
    const char* key;
    const char* icv;
    const char* in;
    const char* out;
  };
  const CCase cases[] = {
      {"two-key", true, "404142434445464748494A4B4C4D4E4F", "0000000000000000", "CCC677BBC39796A3", "B73D52A0BD791679"},
      {"three-key", true, "0123456789ABCDEF23456789ABCDEF01456789ABCDEF0123", "0000000000000000", "0011223344556677",
       "109AEAC4D79BFADD"},
      {"single DES", true, "0123456789ABCDEF", "0000000000000000", "0011223344556677", "CADB6782EE2B4823"},
      {"CBC over two blocks", false, "00112233445566778899AABBCCDDEEFF", "0000000000000000",
       "00112233445566778899AABBCCDDEEFF", "9D4CA660206318A980F1B36248EA6A6D"},
      {"from an ICV", false, "00112233445566778899AABBCCDDEEFF", "0011223344556677", "8899AABBCCDDEEFF",
       "80F1B36248EA6A6D"},
  };
  for (const CCase& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes key, out;
    ASSERT_TRUE(CTVRTripleDes::ParseKey(c.key, key));
    const Bytes in = Hex(c.in), icv = Hex(c.icv);
    ASSERT_TRUE(c.encipher ? CTVRTripleDes::Encipher(key, in.data(), in.size(), icv.data(), out)
                           : CTVRTripleDes::Decipher(key, in.data(), in.size(), icv.data(), out));
    EXPECT_EQ(out, Hex(c.out));
  }
  Bytes key = Hex("404142434445464748494A4B4C4D4E4F"), out;
  EXPECT_FALSE(CTVRTripleDes::Encipher(key, key.data(), 7, kZero.data(), out));  // not whole blocks
  EXPECT_FALSE(CTVRTripleDes::Encipher(Bytes(15, 1), key.data(), 8, kZero.data(), out));
}

TEST(TripleDes, KeysAsText) {
  const struct {
    const char* text;
    std::size_t size;  // 0: refused
  } cases[] = {
      {"404142434445464748494A4B4C4D4E4F", 16},
      {"40 41 42 43 44 45 46 47 48 49 4a 4b 4c 4d 4e 4f", 16},
      {"0123456789abcdef", 8},
      {"0123456789ABCDEF23456789ABCDEF01456789ABCDEF0123", 24},
      {"404142434445464748494A4B4C4D4E4", 0},
      {"404142434445464748494A4B4C4D4E4G", 0},
      {"0011223344", 0},
      {"", 0},
  };
  for (const auto& c : cases) {
    Bytes key;
    EXPECT_EQ(CTVRTripleDes::ParseKey(c.text, key), c.size != 0) << c.text;
    EXPECT_EQ(key.size(), c.size) << c.text;
  }
}

class Cyphering : public CTVRDocFixture {
 protected:
  void SetUp() override {
    CTVRDocFixture::SetUp();
    CTVRBoardDocPrivate::Of(*m_pDoc).m_pCrypto = &m_Crypto;
  }
  // The comments written to the trace since the last call.
  std::vector<std::string> Comments() {
    std::vector<std::string> comments = tvr_test::TraceTexts(*m_pDoc, TRACE_COMMENT, m_nSeen);
    m_nSeen = CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().GetCount();
    return comments;
  }
  void Receive(const std::string& hex) {
    Bytes data = Hex(hex);
    m_Crypto.ReceivedData(data.empty() ? nullptr : data.data(), DWORD(data.size()));
  }

  CTVRTripleDesCrypto m_Crypto;
  std::size_t m_nSeen = 0;
};

TEST_F(Cyphering, TheSettingsWindowHoldsTheFourKeysAndTheDeciphering) {
  m_Crypto.SetCypheringKey("0123456789ABCDEF");
  m_Crypto.Set3DecypheringKey("00112233445566778899AABBCCDDEEFF");
  // The directive's key shows as the triple-DES cyphering key, as hex text.
  Bytes directiveKey = Hex("404142434445464748494A4B4C4D4E4F");
  m_Crypto.Set3desParameters(0, 8, 16, directiveKey.data());
  std::vector<std::string> labels, values, checks;
  m_Prompts.m_CryptoSettingsAnswer = [&](CTVRCryptoSettings& settings) {
    for (const CTVRCryptoSettings::CKey& key : settings.m_Keys) {
      labels.push_back(key.m_strLabel);
      values.push_back(key.m_strValue);
    }
    EXPECT_EQ(settings.m_strActivatedText, "Decipher the data of answers (with the triple-DES decyphering key)");
    EXPECT_EQ(settings.m_bActivated, FALSE);
    for (const char* text : {"", "  ", "0011223344556677", "00 11 22 33 44 55 66 77", "0011", "00112233445566GG"})
      checks.push_back(settings.m_CheckKey(1, text));
    settings.m_Keys[1].m_strValue = "FEDCBA9876543210";
    settings.m_Keys[3].m_strValue = "";
    settings.m_bActivated = TRUE;
    return TRUE;
  };
  m_Crypto.OnCryptoShow();
  EXPECT_EQ(m_Prompts.m_CryptoSettingsTitles, std::vector<std::string>{"Triple-DES cyphering"});
  EXPECT_EQ(labels, (std::vector<std::string>{"Cyphering key :", "Decyphering key :", "Triple-DES cyphering key :",
                                              "Triple-DES decyphering key :"}));
  EXPECT_EQ(values, (std::vector<std::string>{"0123456789ABCDEF", "", "404142434445464748494A4B4C4D4E4F",
                                              "00112233445566778899AABBCCDDEEFF"}));
  const std::string bad = "Decyphering key must be empty or 16, 32 or 48 hexadecimal digits.";
  EXPECT_EQ(checks, (std::vector<std::string>{"", "", "", "", bad, bad}));
  // OK: the object takes what the window gives.
  EXPECT_EQ(m_Crypto.GetCypheringKey(), "0123456789ABCDEF");
  EXPECT_EQ(m_Crypto.GetDecypheringKey(), "FEDCBA9876543210");
  EXPECT_EQ(m_Crypto.Get3DecypheringKey(), "");
  EXPECT_EQ(m_Crypto.GetCryptoActivated(), 1);
  // Cancel: nothing changes.
  m_Prompts.m_CryptoSettingsAnswer = [](CTVRCryptoSettings& settings) {
    settings.m_Keys[0].m_strValue = "";
    settings.m_bActivated = FALSE;
    return FALSE;
  };
  m_Crypto.OnCryptoShow();
  EXPECT_EQ(m_Crypto.GetCypheringKey(), "0123456789ABCDEF");
  EXPECT_EQ(m_Crypto.GetCryptoActivated(), 1);
}

TEST_F(Cyphering, AnswerDataAreDecipheredAsOneStreamUntilAReset) {
  m_Crypto.Set3DecypheringKey("00112233445566778899AABBCCDDEEFF");
  Receive("0011223344556677");  // a fresh object is off: nothing deciphered
  EXPECT_TRUE(Comments().empty());
  m_Crypto.Set3DecypheringKey("");
  m_Crypto.SetCryptoActivated(1);
  Receive("0011223344556677");
  EXPECT_EQ(Comments(), std::vector<std::string>{"DECIPHERED DATA : no deciphering key\r\n"});

  m_Crypto.SetDecypheringKey("0123456789ABCDEF");  // used while key 4 is not a valid key
  m_Crypto.Set3DecypheringKey("00112233445566778899AABBCCDDEEFF");
  Receive("0011223344556677");
  Receive("8899AABBCCDDEEFF");  // carries on from the block before
  Receive("00112233445566");
  Receive("");
  EXPECT_EQ(Comments(), (std::vector<std::string>{"DECIPHERED DATA : 9D 4C A6 60 20 63 18 A9\r\n",
                                                  "DECIPHERED DATA : 80 F1 B3 62 48 EA 6A 6D\r\n",
                                                  "DECIPHERED DATA : 7 bytes, not whole blocks of 8\r\n"}));
  m_Crypto.ResetCrypto();
  Receive("8899AABBCCDDEEFF");  // from a zero ICV again
  EXPECT_EQ(Comments(), std::vector<std::string>{"DECIPHERED DATA : 80 E0 91 51 0C BF 0C 1A\r\n"});
  CTVRBoardDocPrivate::Of(*m_pDoc).GetRunController().SetTraceOn(FALSE);
  Receive("0011223344556677");
  EXPECT_TRUE(Comments().empty());
}

TEST_F(Cyphering, TheChallengeIsAnsweredWithExternalAuthenticate) {
  MarkConnected();
  Bytes key = Hex("404142434445464748494A4B4C4D4E4F");
  // (Whole cryptograms of 16 and 8 bytes, which the card checks: the golden
  // example triple_des.)
  struct CCase {
    BYTE authenticateLength;
    const char* command;  // the command bytes inside the frame
  };
  const CCase cases[] = {
      {0x05, "00 00 82 00 00 05 B7 3D 52 A0 BD"},           // the first bytes of the cryptogram
      {0x00, "00 00 82 00 00 08 B7 3D 52 A0 BD 79 16 79"},  // no length given: the challenge's
  };
  for (const CCase& c : cases) {
    m_pDoc->m_Sent.clear();
    m_pDoc->m_SentCommandKinds.clear();
    m_Crypto.Set3desParameters(0, 8, c.authenticateLength, key.data());
    Bytes challenge = Hex("CCC677BBC39796A300");
    DWORD length = 8;
    m_Crypto.TripleDes(challenge.data(), length);
    ASSERT_EQ(m_pDoc->m_Sent.size(), 1u);
    const Bytes& frame = m_pDoc->m_Sent[0];
    EXPECT_EQ(ToHex(Bytes(frame.begin() + 3, frame.end() - 1)), c.command);
    EXPECT_EQ(m_pDoc->m_SentCommandKinds, std::vector<DWORD>{1});
    tvr_test::SetRun(*m_pDoc, m_pDoc->IsRunning());
    RunQueue();
  }
}

}  // namespace
