// The ISO/IEC 7816-4 card of the simulated reader: an answer to reset and a
// small file system behind the commands a test bench exercises most.
//
//   3F00 MF
//     2F01 transparent EF, 32 bytes; updating it needs EXTERNAL AUTHENTICATE
//     0001 transparent EF, 64 bytes, free to update
//     7F10 DF
//       6F01 transparent EF, 16 bytes
//
// EXTERNAL AUTHENTICATE takes the cryptogram of the last GET CHALLENGE under
// the card's triple-DES key (CTVRTripleDes::Cryptogram): 90 00 and the session
// is authenticated, 63 00 for any other cryptogram.
//
// It answers like a T=0 card: a command that returns data it cannot send at
// once (the FCI of SELECT) answers 61xx and the data come with GET RESPONSE;
// a wrong Le answers 6Cxx with the right one. A card built with an empty
// answer to reset is mute: the reader gets no answer when it resets it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <tavric/types.h>

class CTVRSimCard {
 public:
  // The answer to reset of the cards the simulated reader ships with.
  static std::vector<tvr::BYTE> GetT0Atr();
  static std::vector<tvr::BYTE> GetT1Atr();
  static std::vector<tvr::BYTE> GetInverseAtr();
  // The two-key triple-DES key of every simulated card, as a script's
  // ".3des(" directive gives it: 40 41 ... 4F.
  static std::vector<tvr::BYTE> GetAuthenticationKey();

  explicit CTVRSimCard(std::vector<tvr::BYTE> atr = GetT0Atr(), std::uint32_t seed = 0x5EED7816u);

  bool IsMute() const { return m_Atr.empty(); }
  const std::vector<tvr::BYTE>& GetAtr() const { return m_Atr; }

  // A reset, cold or warm, starts a new session: the MF selected, no
  // challenge, not authenticated, nothing waiting for GET RESPONSE. The files
  // keep their contents, as an EEPROM would.
  const std::vector<tvr::BYTE>& Reset();
  void PowerOff() { Reset(); }

  // The card's response to one command APDU: response data, then SW1 SW2.
  std::vector<tvr::BYTE> Process(const tvr::BYTE* apdu, std::size_t length);

  bool IsAuthenticated() const { return m_bAuthenticated; }
  tvr::WORD GetCurrentFile() const;
  // Contents of a transparent EF, empty for an unknown file or a DF.
  std::vector<tvr::BYTE> GetFileData(tvr::WORD fileId) const;

 private:
  struct CFile {
    tvr::WORD m_wId;
    int m_nParent;  // index of the parent DF, -1 for the MF
    bool m_bDf;
    bool m_bNeedsAuth;
    std::vector<tvr::BYTE> m_Data;
  };

  std::vector<tvr::BYTE> Select(const tvr::BYTE* apdu, std::size_t length);
  std::vector<tvr::BYTE> ReadBinary(const tvr::BYTE* apdu, std::size_t length);
  std::vector<tvr::BYTE> UpdateBinary(const tvr::BYTE* apdu, std::size_t length);
  std::vector<tvr::BYTE> GetResponse(const tvr::BYTE* apdu, std::size_t length);
  std::vector<tvr::BYTE> GetChallenge(const tvr::BYTE* apdu, std::size_t length);
  std::vector<tvr::BYTE> ExternalAuthenticate(const tvr::BYTE* apdu, std::size_t length);

  int FindFile(tvr::WORD fileId) const;
  int CurrentDf() const;
  std::vector<tvr::BYTE> Fci(const CFile& file) const;
  tvr::BYTE NextRandom();

  std::vector<tvr::BYTE> m_Atr;
  std::vector<CFile> m_Files;
  int m_nCurrent = 0;
  std::vector<tvr::BYTE> m_PendingResponse;
  std::vector<tvr::BYTE> m_Challenge;  // the last challenge, until EXTERNAL AUTHENTICATE uses it
  bool m_bAuthenticated = false;
  std::uint32_t m_uRandom;
};
