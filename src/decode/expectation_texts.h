// Every text of the expectation directives, in one place, character for
// character: the refusals shown for a directive that cannot be read, and the
// words of a mismatch record.
#pragma once

namespace tvr_expectation_texts {

// Message boxes.
inline constexpr const char* kBytesSyntax =
    ".expect(XX YY ...) syntax error !\nXX = two hexadecimal digits, '?' for any digit, a last '*' for any further "
    "bytes.";
inline constexpr const char* kStatusSyntax =
    ".expect_sw(XXXX|YYYY) syntax error !\nXXXX = four hexadecimal digits of the status word, '?' for any digit.";
inline constexpr const char* kTimeSyntax =
    ".expect_time(<= n ms) syntax error !\nn = at most 9 decimal digits, "
    "'<' or '<=' before it, ms, s or us after it.";
inline constexpr const char* kUnknownExpectation =
    "Unknown expectation !\n.expect(...), .expect_sw(...), .expect_ok or .expect_time(...)";
inline constexpr const char* kMismatchActionSyntax = ".on_mismatch(continue|pause|stop) syntax error !";

// Mismatch records.
inline constexpr const char* kNoAnswer = "no answer";
inline constexpr const char* kEmptyAnswer = "an empty answer";
inline constexpr const char* kNoStatusWord = "no status word";
inline constexpr const char* kNoError = "no error";
inline constexpr const char* kErrorAnswer = "an error answer";
// A bound met by a script edited under way, on an answer that nothing timed.
inline constexpr const char* kNoRoundTrip = "no round-trip time";
// A mismatch record's text, after its prefix: " line N: expected E, received R".
inline constexpr const char* kMismatchLine = " line ";
inline constexpr const char* kMismatchExpected = ": expected ";
inline constexpr const char* kMismatchReceived = ", received ";

}  // namespace tvr_expectation_texts
