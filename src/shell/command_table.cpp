#include "command_table.h"

#include <algorithm>

namespace {

const std::vector<CTVRCommandInfo> kCommands = {
    // File
    {57600, "Create a new reader\nNew", "&New...", "new", "Ctrl+N"},
    {32847, "New Script File\nNew Script File", "New &Script File", "new_script", nullptr},
    {57601, "Open an existing document\nOpen", "&Open...", "open", "Ctrl+O"},
    {57602, "Close the active document\nClose", "&Close", nullptr, nullptr},
    {57603, "Save the active document\nSave", "&Save", "save", "Ctrl+S"},
    {57604, "Save the active document with a new name\nSave As", "Save &As...", nullptr, "Ctrl+Shift+S"},
    {57607, "Print the active document\nPrint", "&Print...", "print", "Ctrl+P"},
    {57606, "Change the printer and printing options\nPrint Setup", "P&rint Setup...", nullptr, nullptr},
    {57665, "Quit the application; prompts to save documents\nExit", "E&xit", nullptr, nullptr},
    {32820, "Save the trace log\nSave Log", "Save &Log", nullptr, "Ctrl+L"},
    // Reader
    {33818, "Change the settings of the active reader\nSettings", "S&ettings...", nullptr, nullptr},
    // Edit
    {57635, "Cut the selection and put it on the Clipboard\nCut", "Cu&t", "cut", "Ctrl+X;Shift+Del"},
    {57634, "Copy the selection and put it on the Clipboard\nCopy", "&Copy", "copy", "Ctrl+C;Ctrl+Ins"},
    {57637, "Insert Clipboard contents\nPaste", "&Paste", "paste", "Ctrl+V;Shift+Ins"},
    {57643, "Undo the last action\nUndo", "&Undo", "undo", "Ctrl+Z;Alt+Backspace"},
    {57642, "Select the entire document\nSelect All", "Select &All", nullptr, "Ctrl+A"},
    // Script
    {33792, "Start / Continue Script execution\nStart", "&Start", "start", "F5"},
    {33794, "Execute next script command\nStep", "S&tep", "step", "F10"},
    {33793, "Stop current script execution\nStop", "St&op", "stop", "Esc"},
    {33791, "Insert / Remove Breakpoint\nBreakpoint", "&Breakpoint", "breakpoint", "F9"},
    {33787, "Enable / Disable Loop Mode\nLoop", "&Loop", "loop", nullptr},
    {33788, "Set Next Statement\nSet Next", "Set &Next", "set_next", nullptr},
    {33789, "Show Next Statement\nShow Next", "Show Ne&xt", "show_next", nullptr},
    {33784, "The script contains raw data\nRaw data", "&Raw data", nullptr, nullptr},
    {33785, "The script contains commands\nCommands", "&Commands", nullptr, nullptr},
    {33786, "The script contains APDUs\nAPDU", "&APDU", nullptr, nullptr},
    {32831, "Delay Options\nDelay Options", "&Delay Options...", "delay", nullptr},
    {32849, "Cyphering", "C&yphering...", "cyphering", nullptr},
    // Protocol
    {35002, "Mask Number\nMask Number", nullptr, "mask", nullptr},
    {35015, "Power On 5V\nPower On 5V", nullptr, "power_5v", nullptr},
    {35017, "Power OFF\nPower OFF", nullptr, "power_off", nullptr},
    {35016, "Power On 3V\nPower On 3V", nullptr, "power_3v", nullptr},
    // Quick commands
    {32856, "Command Setting\nCommand Setting", "Command S&etting...", "command_setting", nullptr},
    {32850, "Command 1\nCommand 1", "Command &1", "command_1", "Ctrl+F1"},
    {32851, "Command 2\nCommand 2", "Command &2", "command_2", "Ctrl+F2"},
    {32853, "Command 3\nCommand 3", "Command &3", "command_3", "Ctrl+F3"},
    {32854, "Command 4\nCommand 4", "Command &4", "command_4", "Ctrl+F4"},
    {32855, "Command 5\nCommand 5", "Command &5", "command_5", "Ctrl+F5"},
    // Loopback
    {32784, "Run Loopback EMV\nRun Loopback EMV", nullptr, "loopback_emv", "F11"},
    {32783, "Run Loopback GIE\nRun Loopback GIE", nullptr, "loopback_gie", "F12"},
    // Synchronous cards
    {35005, "Power UP I2C\nPower UP I2C", nullptr, "sync_i2c", nullptr},
    {35006, "Power UP S9\nPower UP S9", nullptr, "sync_s9", nullptr},
    {35007, "Power UP S10\nPower UP S10", nullptr, "sync_s10", nullptr},
    {35010, "Power UP Euro\nPower UP Euro", nullptr, "sync_euro", nullptr},
    {35008, "Power UP Gpm -> Fuse 0\nPower UP Gpm -> Fuse 0", nullptr, "sync_fuse0", nullptr},
    {35009, "Power UP Gpm -> Fuse 1\nPower UP Gpm -> Fuse 1", nullptr, "sync_fuse1", nullptr},
    // Modes
    {32775, "Standard Mode\nStandard Mode", nullptr, "mode_standard", nullptr},
    {32776, "Energy Saving Mode ENABLE - REQUEST\nEnergy Saving Mode ENABLE - REQUEST", nullptr, "mode_esm_request",
     nullptr},
    {32777, "Energy Saving Mode CHAR\nEnergy Saving Mode CHAR", nullptr, "mode_esm_char", nullptr},
    // Standard script
    {35001, "EMV Standard\nEMV Standard", nullptr, "emv", nullptr},
    {35000, "ISO Standard\nISO Standard", nullptr, "iso", nullptr},
    {32780, "Auto Pause on communication error !\nAuto Pause on communication error !", nullptr, "auto_pause", nullptr},
    {32832, "Enable / Disable Beep on Error\nEnable / Disable Beep on Error", nullptr, "beep", nullptr},
    {57633, "Clear Log View\nClear Log View", nullptr, "clear_log", nullptr},
    {32857, "Switch from Hex to ASCII Mode / Switch from Hex to ASCII Mode\nSwitch from Hex to ASCII Mode", nullptr,
     "hex_ascii", nullptr},
    {32858, "", "Register tool", "register_tool", nullptr},
    // Select card
    {36011, "Select Card 1\nSelect Card 1", nullptr, "card_1", nullptr},
    {36012, "Select Card 2\nSelect Card 2", nullptr, "card_2", nullptr},
    {36013, "Select Card 3\nSelect Card 3", nullptr, "card_3", nullptr},
    {36014, "Select Card 4\nSelect Card 4", nullptr, "card_4", nullptr},
    {36015, "Select Card 5\nSelect Card 5", nullptr, "card_5", nullptr},
    {36016, "Select Card 6\nSelect Card 6", nullptr, "card_6", nullptr},
    // Window and help
    {57664, "Display program information, version number and copyright\nAbout", "&About Tavric...", "about", nullptr},
    {57670, "List Help topics\nHelp Topics", nullptr, nullptr, "F1"},
    {57680, "Switch to the next window pane\nNext Pane", nullptr, nullptr, "F6"},
    {57681, "Switch back to the previous window pane\nPrevious Pane", nullptr, nullptr, "Shift+F6"},
    {57650, "Arrange windows so they overlap\nCascade Windows", "&Cascade", "cascade", nullptr},
    {57651, "Arrange windows as non-overlapping tiles\nTile Windows", "&Tile", "tile", nullptr},
    {59393, "Show or hide the status bar\nToggle StatusBar", "&Status Bar", nullptr, nullptr},
    {32870, "Show or hide the round-trip time of every answer in the trace\nTime Column", "T&ime Column", nullptr,
     nullptr},
    {32871, "Show the round-trip times of the active reader's answers per script line\nStatistics", "Statisti&cs...",
     nullptr, nullptr},
    {32800, "Customize toolbars\nCustomize", "&Customize...", nullptr, nullptr},
    {32816, "Options\nOptions", "&Options...", nullptr, nullptr},
};

const std::vector<CTVRToolBarInfo> kToolBars = {
    {59392, "Standard", "S&tandard Toolbar", {57600, 32847, 57601, 57603, 0, 57635, 57634, 57637, 0, 57607}},
    {32818, "Script", "&Script Toolbar", {33792, 33794, 33793, 33791, 33787, 33788, 0, 32831, 32849}},
    {32819, "Protocol", "&Protocol Toolbar", {35002, 0, 35015, 35017, 35016}},
    {37819, "Command", "&Command Toolbar", {32856, 0, 32850, 32851, 32853, 32854, 32855}},
    {35819, "Loopback", "&Loopback Toolbar", {32784, 32783}},
    {36819, "Synchrone Card", "&Synchrone Toolbar", {35005, 35006, 35007, 35010, 35008, 35009}},
    {35101, "Mode", "&Mode Toolbar", {32775, 0, 32776, 32777}},
    {35100, "Standard Script", "St&andard Script Toolbar", {35001, 35000, 0, 32780, 32832, 57633, 32857, 32858}},
    {32817, "Select Card", "S&elect Card Toolbar", {36011, 36012, 36013, 36014, 36015, 36016}},
};

}  // namespace

const CTVRCommandInfo* CTVRCommandTable::Find(tvr::UINT nID) {
  auto it = std::find_if(kCommands.begin(), kCommands.end(), [nID](const auto& c) { return c.m_nID == nID; });
  return it == kCommands.end() ? nullptr : &*it;
}

const std::vector<CTVRCommandInfo>& CTVRCommandTable::GetCommands() {
  return kCommands;
}

const std::vector<CTVRToolBarInfo>& CTVRCommandTable::GetToolBars() {
  return kToolBars;
}

std::string CTVRCommandTable::GetPrompt(tvr::UINT nID) {
  const CTVRCommandInfo* pInfo = Find(nID);
  if (pInfo == nullptr) return {};
  std::string text = pInfo->m_szText;
  return text.substr(0, text.find('\n'));
}

std::string CTVRCommandTable::GetToolTip(tvr::UINT nID) {
  const CTVRCommandInfo* pInfo = Find(nID);
  if (pInfo == nullptr) return {};
  std::string text = pInfo->m_szText;
  std::size_t nl = text.find('\n');
  return nl == std::string::npos ? text : text.substr(nl + 1);
}
