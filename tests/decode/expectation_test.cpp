// The expectation directives: each form read, met and failed, the wildcards
// at their edges, the words of a mismatch, and the texts refused.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "decode/expectation.h"

namespace {

CTVRAnswerSeen Answer(std::vector<tvr::BYTE> bytes, int status = -1, bool error = false, double ms = 10) {
  CTVRAnswerSeen a;
  a.m_bAnswered = true;
  a.m_Bytes = std::move(bytes);
  a.m_bHasStatus = status >= 0;
  a.m_wStatus = tvr::WORD(status < 0 ? 0 : status);
  a.m_bError = error;
  a.m_dRoundTripMs = ms;
  return a;
}

TEST(Expectation, EachFormIsMetOrFailedByTheAnswerItReads) {
  const CTVRAnswerSeen verta = Answer({0x60, 0x00, 0x03, 0x00, 0x90, 0x00, 0xF3}, 0x9000);
  const CTVRAnswerSeen empty = Answer({});
  const CTVRAnswerSeen error = Answer({0xE0, 0x00, 0x01, 0x12}, -1, true);
  const CTVRAnswerSeen more = Answer({0x61, 0x0D}, 0x610D);
  const CTVRAnswerSeen none;
  const struct {
    const char* directive;
    const CTVRAnswerSeen& answer;
    bool met;
  } cases[] = {
      {".expect(60 00 03 00 90 00 f3)", verta, true},
      {".expect(600003009000F3)", verta, true},
      {".expect(60 00 ?? ?? 9? *)", verta, true},
      {".expect(60 00 ?? ?? 8? *)", verta, false},
      {".expect(60 00 03 00 90 00)", verta, false},          // a byte left over, no '*'
      {".expect(60 00 03 00 90 00 f3 ?\?)", verta, false},   // longer than the answer
      {".expect(60 00 03 00 90 00 f3 ?? *)", verta, false},  // longer, '*' or not
      {".expect(60 00 03 00 90 00 f3 *)", verta, true},      // '*' stands for none too
      {".expect(*)", verta, true},
      {".expect(*)", empty, true},
      {".expect()", empty, true},
      {".expect()", verta, false},
      {".expect(?\?)", empty, false},
      {".expect(*)", none, false},  // no answer at all fails every form
      {".expect_sw(9000)", verta, true},
      {".expect_sw(6a82|9000)", verta, true},
      {".expect_sw(61?\?)", more, true},
      {".expect_sw(6??d)", more, true},
      {".expect_sw(9000|6c?\?)", more, false},
      {".expect_sw(???\?)", error, false},  // no status word
      {".expect_ok", verta, true},
      {".expect_ok", error, false},
      {".expect_ok", none, false},
      {".expect_time(<= 10 ms)", verta, true},
      {".expect_time(< 10 ms)", verta, false},
      {".expect_time(<0.011s)", verta, true},
      {".expect_time(<= 9999 us)", verta, false},
      {".expect_time(<= 50)", none, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.directive);
    CTVRExpectation expectation;
    ASSERT_EQ(CTVRExpectation::Parse(c.directive, expectation), "");
    EXPECT_EQ(expectation.IsMetBy(c.answer), c.met);
  }
}

// (The words of the mismatches a run meets: the scenario cases verdicts_*.)
TEST(Expectation, AMismatchSaysWhatWasExpectedAndWhatCameInTheTracesTerms) {
  const struct {
    const char* directive;
    CTVRAnswerSeen answer;
    const char* expected;
    const char* received;
  } cases[] = {
      {".expect( 60 0? ?? * )", Answer({0x6A, 0x82}), "60 0? ?? *", "6A 82"},
      {".expect(60)", Answer({}), "60", "an empty answer"},
      {".expect_time(< 1.5 s)", Answer({}, -1, false, 2000.25), "< 1500 ms", "2000.250 ms"},
      {".expect_ok", CTVRAnswerSeen(), "no error", "no answer"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.directive);
    CTVRExpectation expectation;
    ASSERT_EQ(CTVRExpectation::Parse(c.directive, expectation), "");
    EXPECT_EQ(expectation.Expected(), c.expected);
    EXPECT_EQ(expectation.Received(c.answer), c.received);
  }
}

TEST(Expectation, TextsThatCannotBeReadAreRefusedWithAMessage) {
  for (const char* text :
       {".expect(6)",          ".expect(60 0x)",     ".expect(* 60)",          ".expect(60 ** )",
        ".expect(60",          ".expect(60) 61",     ".expect(6(0))",          ".expect_sw()",
        ".expect_sw(900)",     ".expect_sw(9000|)",  ".expect_sw(90000)",      ".expect_sw(9000||6100)",
        ".expect_time(50 ms)", ".expect_time(<=)",   ".expect_time(<= 5 min)", ".expect_time(<= 1234567890)",
        ".expect_time(<= 1.)", ".expect_time(=< 5)", ".expect_ok()",           ".expected(60)",
        ".expect_okay"}) {
    SCOPED_TRACE(text);
    CTVRExpectation expectation;
    EXPECT_NE(CTVRExpectation::Parse(text, expectation), "");
  }
  const struct {
    const char* text;
    bool read;
    ETVRMismatchAction action;
  } actions[] = {{".on_mismatch(continue)", true, MISMATCH_CONTINUE},
                 {".on_mismatch( pause )", true, MISMATCH_PAUSE},
                 {".on_mismatch(stop)", true, MISMATCH_STOP},
                 {".on_mismatch(halt)", false, MISMATCH_CONTINUE},
                 {".on_mismatch", false, MISMATCH_CONTINUE}};
  for (const auto& a : actions) {
    SCOPED_TRACE(a.text);
    ETVRMismatchAction action = MISMATCH_CONTINUE;
    EXPECT_EQ(CTVRExpectation::ParseMismatchAction(a.text, action).empty(), a.read);
    EXPECT_EQ(action, a.action);
  }
}

}  // namespace
