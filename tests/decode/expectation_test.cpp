// The expectation directives where a run against the simulated reader cannot
// go: time limits met and failed to the microsecond, and no answer at all.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "decode/expectation.h"
#include "seen_answer.h"

namespace {

using tvr_test::AnswerSeen;

// The forms, their wildcards and the words of their mismatches against the
// simulated reader's answers: the scenario cases verdicts_forms (each form met
// and failed) and verdicts_refused_forms (the texts refused). Here, what a
// run cannot show: the limits of time, and no answer at all.
TEST(Expectation, TimeLimitsAndNoAnswerAtAll) {
  const CTVRAnswerSeen tenMs = AnswerSeen({0x90, 0x00}, true), none;
  const struct {
    const char* directive;
    const CTVRAnswerSeen& answer;
    bool met;
  } cases[] = {
      {".expect_time(<= 10 ms)", tenMs, true},
      {".expect_time(< 10 ms)", tenMs, false},
      {".expect_time(<0.011s)", tenMs, true},
      {".expect_time(<= 9999 us)", tenMs, false},
      {".expect_time(<= 50)", none, false},
      {".expect(*)", none, false},
      {".expect_ok", none, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.directive);
    CTVRExpectation expectation;
    ASSERT_EQ(CTVRExpectation::Parse(c.directive, expectation), "");
    EXPECT_EQ(expectation.IsMetBy(c.answer), c.met);
  }
  const struct {
    const char* directive;
    CTVRAnswerSeen answer;
    const char* expected;
    const char* received;
  } words[] = {
      {".expect_time(< 1.5 s)", AnswerSeen({}, false, 2000.25), "< 1500 ms", "2000.250 ms"},
      {".expect_ok", CTVRAnswerSeen(), "no error", "no answer"},
  };
  for (const auto& w : words) {
    SCOPED_TRACE(w.directive);
    CTVRExpectation expectation;
    ASSERT_EQ(CTVRExpectation::Parse(w.directive, expectation), "");
    EXPECT_EQ(expectation.Expected(), w.expected);
    EXPECT_EQ(expectation.Received(w.answer), w.received);
  }
}

}  // namespace
