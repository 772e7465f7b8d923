// Every text the reader document itself shows, character for character.
#pragma once

#include <string>

namespace tvr_doc_texts {

inline constexpr const char* kNotImplemented = "This operation is not implemented.";
inline constexpr const char* kUnknownProtocol = "Unknown Protocol!";
inline constexpr const char* kNoDocumentInRegistry = "No document in registry !";
inline constexpr const char* kNoCyphering = "No cyphering in this Tavric version !";
inline constexpr const char* kFailedToOpen = "Failed to open document.";
inline constexpr const char* kFailedToSave = "Failed to save document.";
// A script file larger than the memory the program can have.
inline const std::string kScriptTooLarge = "The script \"";
inline constexpr const char* kScriptTooLargeEnd = "\" is too large to be held in memory.";
inline constexpr const char* kBoardDisconnected =
    "The USB connection has been broken !\n"
    " - either the reader has been unplugged : plug it in and click on the menu \"Reader->Connect\".\n"
    " - or the reader has exited from suspend mode : click on the menu \"Reader->Connect\"\n"
    "\n"
    "Rem. : After resuming from a suspend mode, this message can appear several times after a "
    "\"Reader->Connect\".\n"
    "           Try again \"Reader->Connect\" in a few seconds. The enumeration can take a long time.";

// The board settings window
inline constexpr const char* kSettingsCaption = "Settings of ";
inline constexpr const char* kSettingNumberRange = " must be a whole number from ";
inline constexpr const char* kSettingNumberTo = " to ";
inline constexpr const char* kSettingRefused = " cannot be set to \"";

// Script files and closing
inline constexpr const char* kScriptExtension = "cmd";
inline constexpr const char* kScriptFilter = "Script Files (*.cmd)|*.cmd|All Files (*.*)|*.*||";
inline constexpr const char* kCloseQuestion =
    "If you close the document now, you will lose all parameters of the document (Protocol, COM, ...) !\n"
    "Do you want to close it ?";

// Protocol menu
inline constexpr const char* kNoProtocols = "No availables protocols";
inline constexpr const char* kNoCommands = "No availables commands";

// The registry defaults of a document that is not stored.
inline constexpr const char* kNoname = "noname";
inline constexpr const char* kDefaultProtocol = "Verta";
inline constexpr const char* kNoProtocol = "none";

}  // namespace tvr_doc_texts
