// The serial board's frame cutter: bytes in pieces of any size, frames and
// bad runs out, by the selected protocol's frame geometry.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include <tavric/hex_text.h>

#include "ccid_frame.h"
#include "frame_cutter.h"
#include "hex_bytes.h"
#include "kiro_frame.h"
#include "lpb_frame.h"
#include "verta_frame.h"

namespace {

using tvr_test::Hex;

// "F 60 00 01 12 73": the kind's letter, then the bytes.
std::vector<std::string> Render(const std::vector<CTVRFrameCutter::CPiece>& pieces) {
  static const char kLetters[] = {'F', 'G', 'T', 'N'};
  std::vector<std::string> out;
  for (const CTVRFrameCutter::CPiece& piece : pieces)
    out.push_back(kLetters[piece.m_eKind] +
                  (" " + CTVRHexText::BytesText(piece.m_Bytes.data(), piece.m_Bytes.size(), " ")));
  return out;
}

// Feeds: "|" alone is a silence of the line, "~" a clear; a last "+" expected:
// bytes still pending.
struct CCase {
  const char* m_pszName;
  const CTVRFrameGeometry* m_pGeometry;
  std::vector<const char*> m_Feeds;
  std::vector<std::string> m_Expected;
  friend void PrintTo(const CCase& c, std::ostream* os) { *os << c.m_pszName; }
};

std::vector<CCase> Cases() {
  const CTVRFrameGeometry* verta = &CTVRVertaFrame::GetGeometry();
  const CTVRFrameGeometry* kiro = &CTVRKiroFrame::GetGeometry();
  const CTVRFrameGeometry* ccid = &CTVRCcidFrame::GetGeometry();
  const CTVRFrameGeometry* lpb = &CTVRLpbFrame::GetGeometry();
  const char* const g = "60 00 01 12 73";  // a good Verta frame
  const std::string fg = std::string("F ") + g;
  return {
      {"VertaByteByByte",
       verta,
       {"60", "00", "02", "30", "41", "13", "40 00 01 30 71"},
       {"F 60 00 02 30 41 13", "F 40 00 01 30 71"}},
      {"VertaSplitInTheLength", verta, {"60 00", "02 30 41 13"}, {"F 60 00 02 30 41 13"}},
      {"VertaTwoInOneRead", verta, {"60 00 01 12 73 E0 00 02 10 11 E3"}, {fg, "F E0 00 02 10 11 E3"}},
      {"VertaUnfinishedWaits", verta, {"60 00 02 30"}, {"+"}},
      {"VertaGarbledThenGood",
       verta,
       {"60 00 01 12 74 60 00 01 12 73", "60 00 01 12 74", "|"},
       {"G 60 00 01 12 74", fg, "G 60 00 01 12 74"}},
      {"VertaNoiseBeforeAFrame", verta, {"FF 13 60 00 01 12 73"}, {"N FF 13", fg}},
      {"VertaTruncatedThenNextFrame", verta, {"60 00 05 30 41", "|", g}, {"T 60 00 05 30 41", fg}},
      // A garbled length swallows the next frame until the silence gives it back.
      {"VertaLongLengthHidesNextFrame", verta, {"60 00 09 12 73", g}, {"+"}},
      {"VertaLongLengthGivesNextFrameBack", verta, {"60 00 09 12 73", g, "|"}, {"T 60 00 09 12 73", fg}},
      {"VertaZeroLengthIsNoFrame", verta, {"60 00 00 60 00 01 12 73"}, {"N 60 00 00", fg}},
      {"VertaLengthBeyondTheBufferIsNoFrame", verta, {"60 02 00 60 00 01 12 73"}, {"N 60 02 00", fg}},
      {"VertaNoiseAloneWaitsForSilence", verta, {"01 02 03"}, {"+"}},
      {"VertaNoiseAtSilence", verta, {"|", "01 02 03", "|"}, {"N 01 02 03"}},
      {"VertaClearForgetsWhatWasPending", verta, {"60 00 02", "~", g}, {fg}},
      {"KiroStandard", kiro, {"00 00 FF 03 FD D5 03 02 26 00"}, {"F 00 00 FF 03 FD D5 03 02 26 00"}},
      {"KiroErrorFrame", kiro, {"00 00 FF 01 FF 7F 81 00"}, {"F 00 00 FF 01 FF 7F 81 00"}},
      {"KiroExtended", kiro, {"00 00 FF FF FF 00 03 FD D5 03 02 26 00"}, {"F 00 00 FF FF FF 00 03 FD D5 03 02 26 00"}},
      {"KiroBadLengthChecksumIsNoFrame", kiro, {"00 00 FF 03 FC", "|"}, {"N 00 00 FF 03 FC"}},
      {"KiroMissingPostambleIsGarbled",
       kiro,
       {"00 00 FF 01 FF 7F 81 01 00 00 FF 01 FF 7F 81 00"},
       {"G 00 00 FF 01 FF 7F 81 01", "F 00 00 FF 01 FF 7F 81 00"}},
      {"CcidDataBlock", ccid, {"80 02 00 00 00 00 01 00 00 00", "90 00"}, {"F 80 02 00 00 00 00 01 00 00 00 90 00"}},
      {"CcidSlotChangeThenSlotStatus",
       ccid,
       {"50 03 00 81 00 00 00 00 00 02 00 00 00"},
       {"F 50 03 00", "F 81 00 00 00 00 00 02 00 00 00"}},
      {"CcidUnknownTypeIsNoise",
       ccid,
       {"77 81 00 00 00 00 00 02 00 00 00"},
       {"N 77", "F 81 00 00 00 00 00 02 00 00 00"}},
      {"LoopbackStepAndRefusal",
       lpb,
       {"02 02 47 AA BB 56 15 01 47 01 52"},
       {"F 02 02 47 AA BB 56", "F 15 01 47 01 52"}},
      {"LoopbackRefusalWithTwoCodesIsNoFrame", lpb, {"15 02", "|"}, {"N 15 02"}},
      {"SilencesEndFramesWithoutGeometry",
       nullptr,
       {"60 00", "01 12", "|", "|", "02 03", "|", "04"},
       {"F 60 00 01 12", "F 02 03", "+"}},
  };
}

class FrameCutterTest : public ::testing::TestWithParam<CCase> {};

TEST_P(FrameCutterTest, CutsTheStream) {
  const CCase& c = GetParam();
  CTVRFrameCutter cutter(c.m_pGeometry);
  std::vector<std::string> got;
  for (const char* feed : c.m_Feeds) {
    if (std::string(feed) == "~") {
      cutter.Clear();
      continue;
    }
    const bool silence = std::string(feed) == "|";
    const std::vector<tvr::BYTE> bytes = silence ? std::vector<tvr::BYTE>() : Hex(feed);
    const auto pieces = silence ? cutter.Flush() : cutter.Feed(bytes.data(), bytes.size());
    for (const std::string& piece : Render(pieces)) got.push_back(piece);
  }
  if (cutter.IsPending()) got.push_back("+");
  EXPECT_EQ(got, c.m_Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FrameCutterTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<CCase>& test) { return test.param.m_pszName; });

TEST(FrameCutterLimits, AStreamThatNeverFallsSilentGoesUpInPiecesOfTheMaximum) {
  // Without a geometry, a frame; with one, a run of noise.
  for (const CTVRFrameGeometry* geometry :
       {static_cast<const CTVRFrameGeometry*>(nullptr), &CTVRVertaFrame::GetGeometry()}) {
    CTVRFrameCutter cutter(geometry);
    const std::vector<tvr::BYTE> bytes(5000, 0x11);
    const auto pieces = cutter.Feed(bytes.data(), bytes.size());
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].m_eKind, geometry ? CTVRFrameCutter::CUT_NOISE : CTVRFrameCutter::CUT_FRAME);
    EXPECT_EQ(pieces[0].m_Bytes.size(), 4096u);
    const auto rest = cutter.Flush();
    ASSERT_EQ(rest.size(), 1u);
    EXPECT_EQ(rest[0].m_Bytes.size(), 904u);
  }
}

}  // namespace
