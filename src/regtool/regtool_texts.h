// The register tool's texts that users see, character for character, in one
// place ("mentionned" and "Managment" included: users and their scripts know
// them so).
#pragma once

namespace regtool_texts {

inline constexpr const char* PARENT_MISMATCH =
    "Syntax error for the parent reg number mentionned in the [SUB_REGISTER] part\n in the '*.par' file";
inline constexpr const char* PAR_SYNTAX_ERROR = "Syntax error in the '*.par' file!";
inline constexpr const char* MAPPING_SYNTAX_ERROR = "Mapping syntax error in the '*.par' file!";
inline constexpr const char* CONFIG_SYNTAX_ERROR =
    ".config(code) syntax error !\n.config(code, Buffer) syntax error !\n.config(code, code1, Buffer) syntax error ! "
    "(see the documentation)";
inline constexpr const char* CODE_TOO_LONG = "Error : Size of Code > FF !";
inline constexpr const char* CODE1_TOO_LONG = "Error : Size of Code1 > FF !";
inline constexpr const char* READ_FIRST_REGISTER = "&Read the first register";
inline constexpr const char* READ_NAMED_REGISTER = "&Read the '%s' register";
inline constexpr const char* DIALOG_TITLE = "Register Managment";
inline constexpr const char* NO_CHANGE = "No change";

}  // namespace regtool_texts
