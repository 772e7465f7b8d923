// Every text the script interpreter shows or writes to the trace, in one place,
// character for character.
#pragma once

namespace tvr_interpreter_texts {

// Message boxes.
inline constexpr const char* kTooManyBytes =
    "Error : more than 300 bytes in the statement, only the first 300 are sent !";
inline constexpr const char* kDelaySyntax = ".t(xxx) syntax error !";
inline constexpr const char* kDelayTooLong = "Error : Size of delay > 99999999 !";
inline constexpr const char* kConfigSyntax =
    ".config(code) syntax error !\n.config(code, Buffer) syntax error !\n.config(code, code1, Buffer) syntax error ! "
    "(see the documentation)";
inline constexpr const char* kConfigCodeTooLong = "Error : Size of Code > FF !";
inline constexpr const char* kConfigCode1TooLong = "Error : Size of Code1 > FF !";
inline constexpr const char* kWriteSyntax = ".write(XX YY ZZ) syntax error !\n'XX YY ZZ' = buffer to write.";
inline constexpr const char* kReadSyntax = ".read(n) syntax error !\nn = Number of byte to read in decimal.";
inline constexpr const char* kEscapeSyntax = ".escape(code,data) syntax error !\n";
inline constexpr const char* kEscapeCodeTooLong = "escape(code,data) syntax error : the code length > 8 digits!\n";
inline constexpr const char* k3desSyntax =
    ".3des(GetChallengeDataLength,ExternalAuthenticateDataLength,key) syntax error !";
inline constexpr const char* kNoStopDuration = "Error : the .StopDuration command has not been found !";
inline constexpr const char* kNoStartDuration = "Error : the .StartDuration command has not been found !";
inline constexpr const char* kNoDurations =
    "Error : the .StartDuration and .StopDuration commands have not been found !";

// Trace texts (printf formats where they take values).
inline constexpr const char* kDurationHeader = "(m_Stop - m_Start) / CLOCKS_PER_SEC = Duration seconds\r\n";
inline constexpr const char* kDurationFormat = "(%ld - %ld)/ %d = %f seconds\r\n";
inline constexpr const char* kInfoScriptFormat = "> Script Name : %s\r\n";
inline constexpr const char* kInfoTimeFormat = "> %.19s \r\n";
inline constexpr const char* kInfoLoopFormat = "> Loop Counter : %d \r\n";
inline constexpr const char* kEscapeCommandFormat = " ESCAPE COMMAND ( %X )";
inline constexpr const char* kEscapeAnswer = " ESCAPE COMMAND ANSWER";

}  // namespace tvr_interpreter_texts
