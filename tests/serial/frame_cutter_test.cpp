// The serial board's frame cutter: bytes in pieces of any size, frames and
// bad runs out, by the selected protocol's frame geometry.
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "ccid_frame.h"
#include "frame_cutter.h"
#include "kiro_frame.h"
#include "lpb_frame.h"
#include "verta_frame.h"

namespace {

std::vector<tvr::BYTE> Hex(const std::string& text) {
  std::vector<tvr::BYTE> bytes;
  std::istringstream in(text);
  std::string word;
  while (in >> word) bytes.push_back(tvr::BYTE(std::stoul(word, nullptr, 16)));
  return bytes;
}

// "F 60 00 01 12 73": the kind's letter, then the bytes.
std::vector<std::string> Render(const std::vector<CTVRFrameCutter::CPiece>& pieces) {
  static const char kLetters[] = {'F', 'G', 'T', 'N'};
  std::vector<std::string> out;
  for (const CTVRFrameCutter::CPiece& piece : pieces) {
    std::string text(1, kLetters[piece.m_eKind]);
    char hex[4];
    for (tvr::BYTE b : piece.m_Bytes) {
      std::snprintf(hex, sizeof hex, " %02X", b);
      text += hex;
    }
    out.push_back(text);
  }
  return out;
}

struct CCase {
  const char* m_pszName;
  const CTVRFrameGeometry* m_pGeometry;
  std::vector<const char*> m_Feeds;  // "|" alone: the line falls silent here
  std::vector<std::string> m_Expected;
  bool m_bPendingAfter;
  friend void PrintTo(const CCase& c, std::ostream* os) { *os << c.m_pszName; }
};

std::vector<CCase> Cases() {
  const CTVRFrameGeometry* verta = &CTVRVertaFrame::GetGeometry();
  const CTVRFrameGeometry* kiro = &CTVRKiroFrame::GetGeometry();
  const CTVRFrameGeometry* ccid = &CTVRCcidFrame::GetGeometry();
  const CTVRFrameGeometry* lpb = &CTVRLpbFrame::GetGeometry();
  return {
      {"VertaWhole", verta, {"60 00 02 30 41 13"}, {"F 60 00 02 30 41 13"}, false},
      {"VertaByteByByte", verta, {"60", "00", "02", "30", "41", "13"}, {"F 60 00 02 30 41 13"}, false},
      {"VertaSplitInTheLength", verta, {"60 00", "02 30 41 13"}, {"F 60 00 02 30 41 13"}, false},
      {"VertaTwoInOneRead",
       verta,
       {"60 00 01 12 73 E0 00 02 10 11 E3"},
       {"F 60 00 01 12 73", "F E0 00 02 10 11 E3"},
       false},
      {"VertaCommandFrame", verta, {"40 00 01 30 71"}, {"F 40 00 01 30 71"}, false},
      {"VertaUnfinishedWaits", verta, {"60 00 02 30"}, {}, true},
      {"VertaGarbledThenGood",
       verta,
       {"60 00 01 12 74 60 00 01 12 73"},
       {"G 60 00 01 12 74", "F 60 00 01 12 73"},
       false},
      {"VertaGarbledAloneAtSilence", verta, {"60 00 01 12 74", "|"}, {"G 60 00 01 12 74"}, false},
      {"VertaNoiseBeforeAFrame", verta, {"FF 13 60 00 01 12 73"}, {"N FF 13", "F 60 00 01 12 73"}, false},
      {"VertaTruncatedAtSilence", verta, {"60 00 02 30", "|"}, {"T 60 00 02 30"}, false},
      {"VertaTruncatedThenNextFrame",
       verta,
       {"60 00 05 30 41", "|", "60 00 01 12 73"},
       {"T 60 00 05 30 41", "F 60 00 01 12 73"},
       false},
      // A garbled length swallows the next frame until the silence gives it back.
      {"VertaLongLengthHidesNextFrame", verta, {"60 00 09 12 73", "60 00 01 12 73"}, {}, true},
      {"VertaLongLengthGivesNextFrameBack",
       verta,
       {"60 00 09 12 73", "60 00 01 12 73", "|"},
       {"T 60 00 09 12 73", "F 60 00 01 12 73"},
       false},
      {"VertaZeroLengthIsNoFrame", verta, {"60 00 00 60 00 01 12 73"}, {"N 60 00 00", "F 60 00 01 12 73"}, false},
      {"VertaLengthBeyondTheBufferIsNoFrame",
       verta,
       {"60 02 00 60 00 01 12 73"},
       {"N 60 02 00", "F 60 00 01 12 73"},
       false},
      {"VertaNoiseAloneWaitsForSilence", verta, {"01 02 03"}, {}, true},
      {"VertaNoiseAtSilence", verta, {"01 02 03", "|"}, {"N 01 02 03"}, false},
      {"KiroStandard", kiro, {"00 00 FF 03 FD D5 03 02 26 00"}, {"F 00 00 FF 03 FD D5 03 02 26 00"}, false},
      {"KiroErrorFrame", kiro, {"00 00 FF 01 FF 7F 81 00"}, {"F 00 00 FF 01 FF 7F 81 00"}, false},
      {"KiroExtended",
       kiro,
       {"00 00 FF FF FF 00 03 FD D5 03 02 26 00"},
       {"F 00 00 FF FF FF 00 03 FD D5 03 02 26 00"},
       false},
      {"KiroBadLengthChecksumIsNoFrame", kiro, {"00 00 FF 03 FC", "|"}, {"N 00 00 FF 03 FC"}, false},
      {"KiroMissingPostambleIsGarbled",
       kiro,
       {"00 00 FF 01 FF 7F 81 01 00 00 FF 01 FF 7F 81 00"},
       {"G 00 00 FF 01 FF 7F 81 01", "F 00 00 FF 01 FF 7F 81 00"},
       false},
      {"CcidDataBlock",
       ccid,
       {"80 02 00 00 00 00 01 00 00 00", "90 00"},
       {"F 80 02 00 00 00 00 01 00 00 00 90 00"},
       false},
      {"CcidSlotChangeThenSlotStatus",
       ccid,
       {"50 03 00 81 00 00 00 00 00 02 00 00 00"},
       {"F 50 03 00", "F 81 00 00 00 00 00 02 00 00 00"},
       false},
      {"CcidUnknownTypeIsNoise",
       ccid,
       {"77 81 00 00 00 00 00 02 00 00 00"},
       {"N 77", "F 81 00 00 00 00 00 02 00 00 00"},
       false},
      {"LoopbackStep", lpb, {"02 02 47 AA BB 56"}, {"F 02 02 47 AA BB 56"}, false},
      {"LoopbackRefusal", lpb, {"15 01 47 01 52"}, {"F 15 01 47 01 52"}, false},
      {"LoopbackRefusalWithTwoCodesIsNoFrame", lpb, {"15 02", "|"}, {"N 15 02"}, false},
      {"SilenceEndsAFrameWithoutGeometry", nullptr, {"60 00", "01 12", "|"}, {"F 60 00 01 12"}, false},
      {"NothingBeforeSilenceWithoutGeometry", nullptr, {"60 00 01 12 73"}, {}, true},
      {"TwoSilencesTwoFramesWithoutGeometry", nullptr, {"01", "|", "02 03", "|"}, {"F 01", "F 02 03"}, false},
      {"SilenceWithNothingPending", verta, {"|"}, {}, false},
  };
}

class FrameCutterTest : public ::testing::TestWithParam<CCase> {};

TEST_P(FrameCutterTest, CutsTheStream) {
  const CCase& c = GetParam();
  CTVRFrameCutter cutter(c.m_pGeometry);
  std::vector<std::string> got;
  for (const char* feed : c.m_Feeds) {
    const bool silence = std::string(feed) == "|";
    const std::vector<tvr::BYTE> bytes = silence ? std::vector<tvr::BYTE>() : Hex(feed);
    const auto pieces = silence ? cutter.Flush() : cutter.Feed(bytes.data(), bytes.size());
    for (const std::string& piece : Render(pieces)) got.push_back(piece);
  }
  EXPECT_EQ(got, c.m_Expected);
  EXPECT_EQ(cutter.IsPending(), c.m_bPendingAfter);
}

INSTANTIATE_TEST_SUITE_P(Cases, FrameCutterTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<CCase>& test) { return test.param.m_pszName; });

TEST(FrameCutterLimits, AStreamThatNeverFallsSilentGoesUpInPiecesOfTheMaximum) {
  CTVRFrameCutter cutter;
  const std::vector<tvr::BYTE> bytes(5000, 0x11);
  const auto pieces = cutter.Feed(bytes.data(), bytes.size());
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_EQ(pieces[0].m_eKind, CTVRFrameCutter::CUT_FRAME);
  EXPECT_EQ(pieces[0].m_Bytes.size(), 4096u);
  const auto rest = cutter.Flush();
  ASSERT_EQ(rest.size(), 1u);
  EXPECT_EQ(rest[0].m_Bytes.size(), 904u);
}

TEST(FrameCutterLimits, ALongRunOfNoiseIsReportedBeforeTheLineFallsSilent) {
  CTVRFrameCutter cutter(&CTVRVertaFrame::GetGeometry());
  const std::vector<tvr::BYTE> bytes(5000, 0x11);
  const auto pieces = cutter.Feed(bytes.data(), bytes.size());
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_EQ(pieces[0].m_eKind, CTVRFrameCutter::CUT_NOISE);
  EXPECT_EQ(pieces[0].m_Bytes.size(), 4096u);
  EXPECT_EQ(cutter.Flush()[0].m_Bytes.size(), 904u);
}

TEST(FrameCutterLimits, ClearForgetsWhatWasPending) {
  CTVRFrameCutter cutter(&CTVRVertaFrame::GetGeometry());
  const std::vector<tvr::BYTE> partial = Hex("60 00 02");
  cutter.Feed(partial.data(), partial.size());
  cutter.Clear();
  EXPECT_FALSE(cutter.IsPending());
  const std::vector<tvr::BYTE> frame = Hex("60 00 01 12 73");
  EXPECT_EQ(Render(cutter.Feed(frame.data(), frame.size())), std::vector<std::string>{"F 60 00 01 12 73"});
}

}  // namespace
