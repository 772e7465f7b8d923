// Every text that the answer decoder and the command naming write to the
// trace, character for character.
#pragma once

namespace tvr_decoder_texts {

// Command names and decoded answers begin with a space, as the table names do.
inline constexpr char kUnknownCommand[] = " UNKNOWN COMMAND";
inline constexpr char kUnknownCommandSeeCommandTxt[] = " UNKNOWN COMMAND (see command.txt)";
inline constexpr char kUnknownCommandSeeKirocmdTxt[] = " UNKNOWN COMMAND (see kirocmd.txt)";
inline constexpr char kExecuted[] = " EXECUTED";
inline constexpr char kUnknownCommandExecuted[] = " UNKNOWN COMMAND EXECUTED";
inline constexpr char kUnknownCardResult[] = " UNKNOWN CARD RESULT";
inline constexpr char kVendorCommandMask[] = " VENDOR COMMAND : MASK";
inline constexpr char kAtr[] = " ATR";
inline constexpr char kUnknownError[] = " UNKNOWN ERROR";
inline constexpr char kUndefinedCommand[] = " UNDEFINED COMMAND";
inline constexpr char kUndefinedExtraMsg[] = " UNDEFINED EXTRA MSG";
inline constexpr char kUnknownExtraMsg[] = " UNKNOWN EXTRA MSG";
inline constexpr char kLoopbackOk[] = "LOOPBACK : TEST OK\r\n\r\n";
// The "kiro" release number, for the card parameters bar.
inline constexpr char kReleaseFormat[] = "Release %d.%d";

}  // namespace tvr_decoder_texts
